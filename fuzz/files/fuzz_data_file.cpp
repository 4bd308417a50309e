// Any bytes, in pieces of any size: every line is one record holding the line's bytes, the list
// is the one the first line's length picks, and an empty input gives no list. A record limit, set
// by the input, ends the reading exactly past the limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/data_file_parser.h"

namespace {

struct Lists : calvex::DataFileSink {
    bool start(bool isDual) override {
        if (started)
            __builtin_trap();  // one list per file
        started = true;
        dual = isDual;
        return true;
    }
    void record(std::string_view line) override {
        if (!started)
            __builtin_trap();
        rows.emplace_back(line);
    }
    bool started = false;
    bool dual = false;
    std::vector<std::string> rows;
};

// The lines as the file format has them, cut the plain way: CR LF, LF or a lone CR end a line.
std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            line.push_back(c);
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Byte 0: the size of the pieces the bytes come in (1 to 256); byte 1: the record limit, 0
    // for none. The rest is the file.
    if (size < 2)
        return 0;
    const std::size_t piece = static_cast<std::size_t>(data[0]) + 1;
    const long limit = data[1] == 0 ? 1'000'000 : static_cast<long>(data[1]);
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    Lists lists;
    calvex::DataFileParser parser(lists, limit);
    bool going = true;
    for (std::size_t at = 0; going && at < bytes.size(); at += piece)
        going = parser.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
    parser.finish(going);

    std::vector<std::string> lines = linesOf(bytes);
    const bool over = static_cast<long>(lines.size()) > limit;
    if (parser.stop() !=
        (over ? calvex::DataFileParser::Stop::TooManyRecords : calvex::DataFileParser::Stop::None))
        __builtin_trap();
    if (over)
        lines.resize(static_cast<std::size_t>(limit));
    if (lists.rows != lines || parser.records() != static_cast<long>(lines.size()))
        __builtin_trap();
    if (lists.started != !bytes.empty())
        __builtin_trap();
    if (!lines.empty() && lists.dual != (lines[0].size() >= calvex::kDualLineLength))
        __builtin_trap();
    for (const std::string& row : lists.rows)
        if (row.find_first_of("\r\n") != std::string::npos)
            __builtin_trap();
    return 0;
}
