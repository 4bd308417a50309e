#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvex {

// The instrument's memory as the program downloads it: "A" gives the pointer, "U" the stored
// bytes in blocks. Addresses below the base hold no logged data.
inline constexpr int kMemoryBase = 35966;
inline constexpr int kMemoryTop = 65535;
inline constexpr int kUploadBlock = 4096;
inline constexpr int kEmptyMemoryBytes = 2;
// A lead byte, a set header, a sampling byte, one record and a trailing byte: the smallest memory
// that holds anything.
inline constexpr std::size_t kMinimumImage = 14;
inline constexpr std::size_t kRecordBytes = 7;

// The pointer in a reply to "A" (bytes 2 and 3), whether or not the reply is accepted; 0 when the
// reply is too short to hold one.
int pointerOf(std::string_view reply);
// A reply to "A" is 0x02, high, low, 0x03, and the pointer cannot lie below the base.
bool pointerAccepted(std::string_view reply);

// After the download the last byte received is dropped and bytes 2 to 8 are appended, so the last
// set is closed by a set header like all the others.
void closeImage(std::string& image, std::size_t receivedTotal);

// One logging set as the Memory window lists it.
struct SetRow {
    int number = 0;
    int sampling = 0;
    int records = 0;
    friend bool operator==(const SetRow&, const SetRow&) = default;
};

// The logging sets of a closed image. A set ends at the set header on its next record boundary;
// a set whose closing header is not in the image (a cut or damaged download) is not listed, nor
// anything after it. The listing and collectSet share this rule, so a listed set decodes into
// exactly the records listed for it.
std::vector<SetRow> listSets(std::string_view image);

// One set's bytes, as the decoding of a clicked set gathers them.
struct CollectedSet {
    int sampling = 0;
    // The set's records, 7 bytes each, in order; only whole records.
    std::string records;
    std::size_t count() const { return records.size() / kRecordBytes; }
};

// The n-th set (from 1) of listSets: its sampling byte and its records. nullopt when the image
// lists no such set.
std::optional<CollectedSet> collectSet(std::string_view image, int setNumber);

}  // namespace calvex
