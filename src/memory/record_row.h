#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace calvex {

struct InstrumentState;

// Decodes one 7-byte record of the memory into the shared reading and gives its list row:
// "r TAB time TAB T1 TAB T2 TAB T1-T2 TAB unit" for the dual-input lists, "r TAB time TAB T1 TAB
// unit" for the single-input ones; readings "0.0", marks as they are. `record` holds 7 bytes.
std::string decodeRecordRow(InstrumentState& state, std::string_view record, int number, long long timeOfDay,
                            bool dual);

// Only the decoding, for a record whose row is not wanted yet.
void decodeRecord(InstrumentState& state, std::string_view record);

// The rows of a logging set's records (7 bytes each, `sampling` seconds apart, the first at
// `start` seconds after midnight), handed to `add` one by one with their number from 1. The set's
// first record says which instrument logged it (dual: six fields, else four); returns that.
bool decodeSetRows(InstrumentState& state, std::string_view records, int sampling, int start,
                   const std::function<void(std::size_t number, std::string row)>& add);

}  // namespace calvex
