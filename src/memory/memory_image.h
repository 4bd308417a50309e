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

// The logging sets of a closed image. A set whose end lies past the image (a cut or damaged
// download) is not listed, nor anything after it.
std::vector<SetRow> listSets(std::string_view image);

// One set's bytes, as the decoding of a clicked set gathers them.
struct CollectedSet {
    int sampling = 0;
    // The set's records, 7 bytes each, in order; only whole records.
    std::string records;
    std::size_t count() const { return records.size() / kRecordBytes; }
};

// Finds the n-th set header (from 1) and gathers its sampling byte and its records up to the next
// header, or up to the last whole record when the image ends first. nullopt when there is no such
// set.
std::optional<CollectedSet> collectSet(std::string_view image, int setNumber);

}  // namespace calvex
