// What calvex-record --append makes of a CSV or line-protocol file's last bytes, from any bytes and
// from every cut of its own lines: a line of its own, torn anywhere, is never taken for a foreign
// file (which would stop the service), and a line said to be whole is exactly one of its lines.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sinks/line_formats.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

using Fragment = calvex::Recorder::LineFormat::Fragment;

// Every cut of `line` but the empty one and the whole line.
void checkCuts(const calvex::Recorder::LineFormat& format, const std::string& line, bool first) {
    for (std::size_t cut = 1; cut < line.size(); ++cut) {
        const std::string_view bytes(line.data(), cut);
        std::string missing;
        const Fragment fragment = format.fragment(bytes, first, missing);
        check(fragment != Fragment::Foreign);
        if (fragment == Fragment::Whole)
            check(std::string(bytes) + missing == line);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Fields: name, type, then up to three readings, separated by NUL.
    std::string fields[5];
    std::size_t n = 0;
    for (const char c : input) {
        if (c == '\0') {
            if (++n == 5)
                break;
        } else {
            fields[n] += c;
        }
    }
    calvex::LocalDateTime at{2026, 12, 10, 14, 5, 32, 0, 3600};
    if (size > 0) {
        at.hour = data[0] % 24;
        at.second = data[size - 1] % 60;
    }
    const char* units[] = {"C", "F", "K"};
    const std::string unit = units[size % 3];
    const bool dual = !fields[3].empty() || !fields[4].empty();
    std::string sample = "14:05:32\t" + (fields[2].empty() ? std::string("----") : fields[2]);
    if (dual)
        sample += "\t" + fields[3] + "\t" + fields[4];
    sample += "\t" + unit;
    // A reading never holds a TAB or a line end: the sample text would not be one line.
    for (const char c : fields[2] + fields[3] + fields[4])
        if (c == '\t' || c == '\n' || c == '\r')
            return 0;

    calvex::CsvFormat csv(at);
    checkCuts(csv, csv.line(sample), false);
    const std::string header = csv.header(dual);
    checkCuts(csv, header, true);
    std::string why;
    check(csv.accepts(header.substr(0, header.size() - 2), dual, why) == calvex::Recorder::Refusal::None);

    if (calvex::instrumentNameProblem(fields[0]).empty()) {
        const calvex::ReadingValue type(fields[1]);
        calvex::LineProtocolFormat lp(at, fields[0], type);
        const std::string line = lp.line(sample);
        checkCuts(lp, line, false);
        check(lp.accepts(std::string_view(line).substr(0, line.size() - 1), dual, why) ==
              calvex::Recorder::Refusal::None);
    }

    // Any bytes: a whole line is only said of bytes that make one with the missing line end.
    for (const calvex::Recorder::LineFormat* format :
         {static_cast<const calvex::Recorder::LineFormat*>(&csv)}) {
        std::string missing;
        if (input.find('\n') == std::string_view::npos &&
            format->fragment(input, false, missing) == Fragment::Whole)
            check(missing == "\n" && !input.empty() && input.back() == '\r');
    }
    return 0;
}
