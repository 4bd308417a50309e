// calvex-record's CSV read back as records, from any bytes. The first byte picks the model and
// the record's number; the rest is one line. A row taken as a record becomes a TAB line of that
// model which the data file's own check takes for one, with the row's time and readings in it,
// and the CSV written back from that record reads as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/csv_records.h"
#include "files/data_file_parser.h"
#include "platform/civil_date.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

std::string twoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool dual = (data[0] & 1) != 0;
    const std::uint64_t number = 1 + (data[0] >> 1);
    const std::string_view line(reinterpret_cast<const char*>(data + 1), size - 1);

    if (const auto model = calvex::csvHeaderModel(line))
        require(line == (*model ? "time,t1,t2,t1_t2,unit" : "time,t1,unit"));

    const auto record = calvex::csvRecord(line, dual, number);
    if (!record)
        return 0;
    require(line.size() <= 256);
    require(calvex::isCivilDate(record->year, record->month, record->day));
    require(record->hour >= 0 && record->hour < 24 && record->minute >= 0 && record->minute < 60 &&
            record->second >= 0 && record->second < 60);
    const std::string& tab = record->tabLine;
    require(calvex::recordShape(tab) == (dual ? calvex::RecordShape::Dual : calvex::RecordShape::Single));
    const std::string prefix = std::to_string(number) + "\t" + twoDigits(record->hour) + ":" +
                               twoDigits(record->minute) + ":" + twoDigits(record->second) + "\t";
    require(tab.compare(0, prefix.size(), prefix) == 0);
    // The row's date and time are in it as written.
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %s:%s:%s", record->year, record->month, record->day,
                  twoDigits(record->hour).c_str(), twoDigits(record->minute).c_str(),
                  twoDigits(record->second).c_str());
    require(line.find(stamp) != std::string_view::npos);

    // The row calvex-record would write for that record reads as the same record.
    std::string row = stamp;
    std::size_t from = prefix.size();
    for (;;) {
        const std::size_t tabAt = tab.find('\t', from);
        const std::string cell =
            tab.substr(from, tabAt == std::string::npos ? std::string::npos : tabAt - from);
        row += ',';
        if (cell != "----")
            row += cell;
        if (tabAt == std::string::npos)
            break;
        from = tabAt + 1;
    }
    const auto again = calvex::csvRecord(row, dual, number);
    require(again && again->tabLine == tab);
    return 0;
}
