// Any downloaded image: closing it, listing its sets and decoding every listed set must stay
// inside the image and end, and the decoded set holds as many records as the listing says.
#include <cstddef>
#include <cstdint>
#include <string>

#include "instrument/instrument_state.h"
#include "memory/memory_image.h"
#include "memory/record_row.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace calvex;
    std::string image(reinterpret_cast<const char*>(data), size);
    // The first byte, when there is one, says how much of the rest counts as received.
    if (!image.empty()) {
        const std::size_t total = static_cast<unsigned char>(image[0]) * 64u;
        image.erase(0, 1);
        closeImage(image, total);
    }
    const std::vector<SetRow> rows = listSets(image);
    // A set takes at least its header and sampling byte (an empty set is listed with 0 records).
    if (rows.size() > image.size() / 5 + 1)
        __builtin_trap();
    InstrumentState state;
    for (const SetRow& row : rows) {
        if (row.records < 0 || row.sampling < 0 || row.sampling > 255)
            __builtin_trap();
        const std::optional<CollectedSet> set = collectSet(image, row.number);
        if (!set)
            __builtin_trap();  // every listed set has its header in the image
        if (set->records.size() % kRecordBytes != 0 || set->records.size() > image.size())
            __builtin_trap();
        if (set->count() != static_cast<std::size_t>(row.records) || set->sampling != row.sampling)
            __builtin_trap();  // the listing and the decoding end the set at the same place
        for (std::size_t r = 0; r < set->count(); ++r) {
            const std::string line =
                decodeRecordRow(state, std::string_view(set->records).substr(r * 7, 7),
                                static_cast<int>(r + 1), static_cast<long long>(r) * 255, state.DualModel);
            if (line.empty())
                __builtin_trap();
        }
    }
    return 0;
}
