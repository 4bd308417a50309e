#include "files/data_file_set.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "files/csv_records.h"
#include "files/data_file_reader.h"
#include "instrument/text_format.h"
#include "platform/civil_date.h"
#include "session/session.h"

namespace calvex {

namespace {

constexpr std::int64_t kDay = 86400;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitsValue(std::string_view text) {
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

// Seconds into the day of the time field of a TAB line (its second field, hh:mm:ss); none when the
// line has no such field.
std::optional<std::int64_t> timeOfDay(std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos || line.size() < tab + 9)
        return std::nullopt;
    if (line.size() > tab + 9 && line[tab + 9] != '\t')
        return std::nullopt;
    if (const std::optional<int> seconds = parseTimeOfDay(line.substr(tab + 1, 8)))
        return *seconds;
    return std::nullopt;
}

// Takes in one file's lines: TAB lines as they are, or a CSV whose header the first line is.
class TimedFileSink : public DataFileSink {
public:
    explicit TimedFileSink(TimedFile& file) : m_file(file) {}

    bool start(bool dual) override {
        m_dual = dual;
        return true;
    }
    void record(std::string_view line) override {
        ++m_lines;
        if (m_lines == 1) {
            if (const std::optional<bool> model = csvHeaderModel(line)) {
                m_file.csv = true;
                m_file.dated = true;
                m_dual = *model;
                return;
            }
        }
        if (m_file.csv) {
            if (m_badLine != 0 || line.empty())
                return;
            std::optional<CsvRecord> r = csvRecord(line, m_dual, m_file.rows.size() + 1);
            if (!r) {
                m_badLine = m_lines;
                return;
            }
            m_file.rows.push_back(std::move(r->tabLine));
            m_file.seconds.push_back(daysFromCivil(r->year, r->month, r->day) * kDay + r->hour * 3600 +
                                     r->minute * 60 + r->second);
            return;
        }
        if (!m_anyRecord && recordShape(line) != RecordShape::NotARecord)
            m_anyRecord = true;
        m_file.rows.emplace_back(line);
        const std::optional<std::int64_t> t = timeOfDay(line);
        if (!t) {
            m_file.seconds.push_back(kNoTime);
            return;
        }
        // The clock passed midnight.
        if (m_lastTime && *t < *m_lastTime)
            m_day += kDay;
        m_lastTime = t;
        m_file.seconds.push_back(m_day + *t);
    }

    bool dual() const { return m_dual; }
    bool anyRecord() const { return m_file.csv ? !m_file.rows.empty() : m_anyRecord; }
    long badLine() const { return m_badLine; }

private:
    TimedFile& m_file;
    bool m_dual = false;
    long m_lines = 0;
    long m_badLine = 0;
    bool m_anyRecord = false;
    std::int64_t m_day = 0;
    std::optional<std::int64_t> m_lastTime;
};

void refuse(Session& session, const std::string& title, const std::string& path, const std::string& reason) {
    session.dialogs.message(title + ":\n" + path + "\n\n" + reason, kCriticalStop);
}

const char* modelName(bool dual) {
    return dual ? "dual-input" : "single-input";
}

std::int64_t firstTime(const TimedFile& file) {
    for (const std::int64_t t : file.seconds)
        if (t != kNoTime)
            return t;
    return kNoTime;
}

std::int64_t lastTime(const TimedFile& file) {
    for (auto t = file.seconds.rbegin(); t != file.seconds.rend(); ++t)
        if (*t != kNoTime)
            return *t;
    return kNoTime;
}

void shift(TimedFile& file, std::int64_t by) {
    for (std::int64_t& t : file.seconds)
        if (t != kNoTime)
            t += by;
}

}  // namespace

bool dateInFileName(const std::string& path, std::int64_t& days) {
    const std::string name = std::filesystem::path(path).filename().string();
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (!isDigit(name[i]) || (i > 0 && isDigit(name[i - 1])))
            continue;
        std::size_t run = i;
        while (run < name.size() && isDigit(name[run]))
            ++run;
        const std::string_view digits(name.data() + i, run - i);
        int year = 0, month = 0, day = 0;
        if (digits.size() == 4 && run + 6 <= name.size() && name[run] == '-' && isDigit(name[run + 1]) &&
            isDigit(name[run + 2]) && name[run + 3] == '-' && isDigit(name[run + 4]) &&
            isDigit(name[run + 5]) && (run + 6 == name.size() || !isDigit(name[run + 6]))) {
            year = digitsValue(digits);
            month = digitsValue(std::string_view(name.data() + run + 1, 2));
            day = digitsValue(std::string_view(name.data() + run + 4, 2));
        } else if (digits.size() == 8 || digits.size() == 12 || digits.size() == 14) {
            // YYYYMMDD, alone or with hhmm or hhmmss after it
            year = digitsValue(digits.substr(0, 4));
            month = digitsValue(digits.substr(4, 2));
            day = digitsValue(digits.substr(6, 2));
        } else {
            continue;
        }
        if (year >= 1900 && isCivilDate(year, month, day)) {
            days = daysFromCivil(year, month, day);
            return true;
        }
    }
    return false;
}

bool readDataFileSet(Session& session, const std::vector<std::string>& paths, DataFileSet& set,
                     DataFileLimits limits) {
    set = {};
    std::vector<TimedFile> files;
    files.reserve(paths.size());
    std::size_t total = 0;
    for (const std::string& path : paths) {
        files.emplace_back();
        TimedFile& file = files.back();
        file.path = path;
        TimedFileSink sink(file);
        if (!ReadDataFile(session, path, sink, limits))
            return false;
        if (sink.badLine() != 0) {
            refuse(session, "The file is not a data file", path,
                   "Line " + std::to_string(sink.badLine()) + " is not a row of calvex-record's CSV.");
            return false;
        }
        if (!sink.anyRecord()) {
            refuse(session, "The file is not a data file", path,
                   file.csv ? std::string("It holds no rows under its CSV header.")
                            : std::string("None of its lines is a record of the program's data files."));
            return false;
        }
        if (files.size() == 1) {
            set.dual = sink.dual();
        } else if (sink.dual() != set.dual) {
            refuse(session, "The file cannot be drawn with the first one", path,
                   std::string("It holds ") + modelName(sink.dual()) + " records, " + paths.front() + " " +
                       modelName(set.dual) + " ones.");
            return false;
        }
        total += file.rows.size();
        if (total > static_cast<std::size_t>(limits.records)) {
            refuse(session, "The files are too large to draw together", path,
                   "They hold more than " + std::to_string(limits.records) +
                       " records together; a picture takes at most that many.");
            return false;
        }
        std::int64_t days = 0;
        if (!file.csv && dateInFileName(path, days)) {
            file.dated = true;
            shift(file, days * kDay);
        }
        // A file none of whose records has a time has no place among dated ones.
        if (file.dated && firstTime(file) == kNoTime)
            file.dated = false;
    }

    std::stable_partition(files.begin(), files.end(), [](const TimedFile& f) { return f.dated; });
    const auto undated =
        std::find_if(files.begin(), files.end(), [](const TimedFile& f) { return !f.dated; });
    std::stable_sort(files.begin(), undated,
                     [](const TimedFile& a, const TimedFile& b) { return firstTime(a) < firstTime(b); });
    // Each undated file goes on from the day the one before it ends on.
    std::int64_t endDay = 0;
    std::int64_t endTime = kNoTime;
    for (auto f = files.begin(); f != files.end(); ++f) {
        if (!f->dated) {
            const std::int64_t first = firstTime(*f);
            if (first != kNoTime && endTime != kNoTime) {
                std::int64_t day = endDay;
                if (first + day <= endTime)
                    day += kDay;
                shift(*f, day);
            }
        }
        const std::int64_t last = lastTime(*f);
        if (last != kNoTime) {
            endTime = last;
            endDay = floorDiv(last, kDay) * kDay;
        }
    }
    set.dated = undated == files.end();
    set.files = std::move(files);
    return true;
}

}  // namespace calvex
