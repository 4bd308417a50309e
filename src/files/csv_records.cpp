#include "files/csv_records.h"

#include <array>

#include "instrument/text_format.h"
#include "platform/civil_date.h"

namespace calvex {

namespace {

// Rows longer than this are none of calvex-record's (its longest is about 60 bytes).
constexpr std::size_t kLongestRow = 256;
constexpr std::size_t kMostFields = 5;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The fields of a row, unquoted, at most kMostFields of them; none when the row has more, or a
// quote that is not closed or is followed by something other than a comma.
std::optional<std::size_t> splitFields(std::string_view line, std::array<std::string, kMostFields>& fields) {
    std::size_t count = 0;
    std::size_t i = 0;
    for (;;) {
        if (count == kMostFields)
            return std::nullopt;
        std::string& field = fields[count++];
        field.clear();
        if (i < line.size() && line[i] == '"') {
            ++i;
            for (;;) {
                if (i >= line.size())
                    return std::nullopt;  // not closed
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
            if (i < line.size() && line[i] != ',')
                return std::nullopt;
        } else {
            while (i < line.size() && line[i] != ',') {
                if (line[i] == '"')
                    return std::nullopt;  // a quote inside a plain field
                field += line[i++];
            }
        }
        if (i >= line.size())
            return count;
        ++i;  // the comma; a field follows, empty at the end of the row
    }
}

// "2026-12-10 14:05:32"
bool readTime(const std::string& text, CsvRecord& record) {
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
        text[16] != ':')
        return false;
    for (const std::size_t k : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18})
        if (!isDigit(text[k]))
            return false;
    const auto number = [&text](std::size_t from, std::size_t length) {
        int value = 0;
        for (std::size_t k = from; k < from + length; ++k)
            value = value * 10 + (text[k] - '0');
        return value;
    };
    record.year = number(0, 4);
    record.month = number(5, 2);
    record.day = number(8, 2);
    record.hour = number(11, 2);
    record.minute = number(14, 2);
    record.second = number(17, 2);
    return isCivilDate(record.year, record.month, record.day) && record.hour < 24 && record.minute < 60 &&
           record.second < 60;
}

// A plain decimal number as the instrument shows it: an optional minus, digits, and a fraction.
bool isReadingNumber(const std::string& text) {
    std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
    const std::size_t digitsFrom = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i == digitsFrom)
        return false;
    if (i == text.size())
        return true;
    if (text[i] != '.')
        return false;
    const std::size_t fractionFrom = ++i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i > fractionFrom && i == text.size();
}

// The TAB file's text of a reading: "----" for no value.
std::optional<std::string> readingCell(const std::string& field) {
    if (field.empty())
        return std::string("----");
    if (field.size() > 7)
        return std::nullopt;
    if (field == "OL" || field == "-OL" || isReadingNumber(field))
        return field;
    return std::nullopt;
}

}  // namespace

std::optional<bool> csvHeaderModel(std::string_view line) {
    if (line == "time,t1,unit")
        return false;
    if (line == "time,t1,t2,t1_t2,unit")
        return true;
    return std::nullopt;
}

std::optional<CsvRecord> csvRecord(std::string_view line, bool dual, std::uint64_t number) {
    if (line.size() > kLongestRow)
        return std::nullopt;
    std::array<std::string, kMostFields> fields;
    const std::optional<std::size_t> count = splitFields(line, fields);
    const std::size_t readings = dual ? 3 : 1;
    if (!count || *count != readings + 2)
        return std::nullopt;
    CsvRecord record;
    if (!readTime(fields[0], record))
        return std::nullopt;
    const std::string& unit = fields[readings + 1];
    if (unit != "C" && unit != "F" && unit != "K")
        return std::nullopt;
    record.tabLine = std::to_string(number);
    record.tabLine += '\t';
    record.tabLine += formatTimeOfDay(record.hour * 3600 + record.minute * 60 + record.second);
    for (std::size_t k = 1; k <= readings; ++k) {
        const std::optional<std::string> cell = readingCell(fields[k]);
        if (!cell)
            return std::nullopt;
        record.tabLine += '\t';
        record.tabLine += *cell;
    }
    record.tabLine += '\t';
    record.tabLine += unit;
    return record;
}

}  // namespace calvex
