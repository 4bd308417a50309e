// Any bytes as a line of a file being continued: the checks end on any input, a whole record is
// never a line with a line end in it, every start of a whole record counts as a torn record of
// its model (so continuing never cuts a whole record).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/data_file_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const calvex::RecordShape shape = calvex::recordShape(line);
    (void)calvex::isRecordPrefix(line, false);
    (void)calvex::isRecordPrefix(line, true);
    if (shape != calvex::RecordShape::Single && shape != calvex::RecordShape::Dual)
        return 0;
    if (line.find_first_of("\r\n") != std::string_view::npos)
        __builtin_trap();
    const bool dual = shape == calvex::RecordShape::Dual;
    for (std::size_t k = 0; k <= line.size(); ++k)
        if (!calvex::isRecordPrefix(line.substr(0, k), dual))
            __builtin_trap();
    return 0;
}
