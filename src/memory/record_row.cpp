#include "memory/record_row.h"

#include <cstdint>

#include "instrument/instrument_state.h"
#include "instrument/meter.h"
#include "instrument/text_format.h"
#include "memory/memory_image.h"

namespace calvex {

void decodeRecord(InstrumentState& state, std::string_view record) {
    std::uint8_t bytes[kRecordBytes] = {};
    for (std::size_t j = 0; j < kRecordBytes && j < record.size(); ++j)
        bytes[j] = static_cast<std::uint8_t>(record[j]);
    decodeReading(state, bytes);
}

std::string decodeRecordRow(InstrumentState& state, std::string_view record, int number, long long timeOfDay,
                            bool dual) {
    decodeRecord(state, record);
    std::string row =
        std::to_string(number) + '\t' + formatTimeOfDay(timeOfDay) + '\t' + state.T1Value.format("0.0");
    if (dual)
        row += '\t' + state.T2Value.format("0.0") + '\t' + state.T1T2Value.format("0.0");
    row += '\t' + state.Unit.text();
    return row;
}

bool decodeSetRows(InstrumentState& state, std::string_view records, int sampling, int start,
                   const std::function<void(std::size_t number, std::string row)>& add) {
    // Decoding the first record settles DualModel before any row is made, rather than trusting
    // whichever frame was seen last.
    const std::size_t count = records.size() / kRecordBytes;
    if (count > 0)
        decodeRecord(state, records.substr(0, kRecordBytes));
    const bool dual = state.DualModel;
    for (std::size_t r = 1; r <= count; ++r) {
        const long long time = start + static_cast<long long>(r - 1) * sampling;
        add(r, decodeRecordRow(state, records.substr((r - 1) * kRecordBytes, kRecordBytes),
                               static_cast<int>(r), time, dual));
    }
    return dual;
}

}  // namespace calvex
