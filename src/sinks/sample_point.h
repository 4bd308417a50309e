#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

namespace calvex {

// One recorded sample as the sinks beside the TAB file take it: the sample's local date and time
// with the zone's offset, and the readings exactly as the TAB line holds them.
struct SamplePoint {
    LocalDateTime at;  // whole second; at.utcOffsetSeconds is the zone's offset then
    bool dual = false;
    std::string unit;  // "C", "F" or "K"
    std::string type;  // the thermocouple type letter; empty when not known
    // T1, or T1, T2 and T1-T2, as displayed: "23.4", "OL", "-OL" or "----".
    std::vector<std::string> readings;
};

// What a reading's text says the instrument measured.
enum class ReadingState { Measured = 0, Over = 1, Under = -1, Unknown = 2 };
// "OL" is Over, "-OL" Under, a plain decimal number ("-12.3", "0.0") Measured, anything else
// ("----", an empty or malformed text) Unknown.
ReadingState readingState(const std::string& text);

// Seconds since 1970-01-01T00:00:00Z of a local date and time.
std::int64_t epochSeconds(const LocalDateTime& at);
// ISO 8601 with the date and the offset: "2026-12-10T14:05:32+01:00" ("+00:00" for UTC).
std::string isoLocalTime(const LocalDateTime& at);

// The field names of the channels: "t1", or "t1", "t2", "t1_t2".
const std::vector<std::string>& channelNames(bool dual);

// A tag value with the blanks, commas and equals signs escaped as line protocol wants them.
std::string escapeTagValue(const std::string& text);
// Why `name` cannot be an instrument tag (a backslash, a control character, empty, too long), or
// empty when it can.
std::string instrumentNameProblem(const std::string& name);

// One point of InfluxDB line protocol ending in "\n", timestamp in whole seconds:
//   calvex,instrument=oven\ 1,model=dual,type=K,unit=C t1=23.4,t1_state=0i,t2_state=1i,... 1765375532
// Each channel has an integer field `<name>_state` (0 measured, 1 "OL", -1 "-OL", 2 no value) and
// a float field `<name>` only when it was measured, so no number stands for what was not measured.
// `instrument` must have passed instrumentNameProblem().
std::string lineProtocol(const SamplePoint& point, const std::string& instrument);

// The local date and time as every spreadsheet reads it into a date cell: "2026-12-10 14:05:32".
// (An offset after it, "+01:00", makes LibreOffice and Excel take the whole cell for text.)
std::string spreadsheetTime(const LocalDateTime& at);

// CSV for a spreadsheet, CR LF line ends: "time,t1,t2,t1_t2,unit" or "time,t1,unit", then per
// sample its spreadsheet time, each reading ("OL", "-OL", the number, empty for no value) and the
// unit.
std::string csvHeader(bool dual);
std::string csvLine(const SamplePoint& point);

}  // namespace calvex
