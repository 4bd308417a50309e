#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calvex {

// The CSV that calvex-record writes for a spreadsheet, read back as the records of a data file.
// Its header is "time,t1,unit" (single-input) or "time,t1,t2,t1_t2,unit" (dual-input); each row
// holds the local time "2026-12-10 14:05:32", the readings ("23.4", "OL", "-OL", empty for no
// value) and the unit letter. A field may be quoted ("C"), a quote doubled inside it.

// The model a header line names: false single-input, true dual-input; none when the line is not
// one of the two headers.
std::optional<bool> csvHeaderModel(std::string_view line);

// A row as a record: its local date and time, and the TAB line the program's own data file holds
// for it ("<number>\thh:mm:ss\tT1[\tT2\tT1-T2]\tC"), with "----" for a reading without a value.
struct CsvRecord {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::string tabLine;
};

// One row of a file of that model as the record numbered `number`; none when the row is not one
// (a wrong number of fields, a time that is no time of the calendar, a reading that is not a
// number of at most seven characters, "OL" or "-OL", a unit other than C, F or K).
std::optional<CsvRecord> csvRecord(std::string_view line, bool dual, std::uint64_t number);

}  // namespace calvex
