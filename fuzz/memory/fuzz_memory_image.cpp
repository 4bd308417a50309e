// Any downloaded image: closing it, listing its sets and decoding every listed set must stay
// inside the image and end.
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
    if (rows.size() > image.size() / 12 + 1)
        __builtin_trap();
    InstrumentState state;
    for (const SetRow& row : rows) {
        if (row.records < 1 || row.sampling < 0 || row.sampling > 255)
            __builtin_trap();
        const std::optional<CollectedSet> set = collectSet(image, row.number);
        if (!set)
            __builtin_trap();  // every listed set has its header in the image
        if (set->records.size() % kRecordBytes != 0 || set->records.size() > image.size())
            __builtin_trap();
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
