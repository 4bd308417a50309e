// Any bytes as a capture file: the reader either refuses them naming a line of the input, or
// accepts them, and then every chunk it read, written again as calvex writes it, reads back the
// same, one line at a time and as a whole file.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "capture_file.h"
#include "platform/capture_link.h"
#include "sim_error.h"

namespace {

using calvex::sim::CaptureChunk;
using calvex::sim::CaptureFile;

std::string written(const CaptureChunk& chunk) {
    const std::string bytes(chunk.bytes.begin(), chunk.bytes.end());
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(chunk.at).count();
    return calvex::formatCaptureLine(micros, chunk.direction == CaptureChunk::Direction::Sent ? '>' : '<',
                                     bytes);
}

std::size_t lineCount(std::string_view text) {
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++lines) {
        const std::size_t end = text.find('\n', at);
        at = end == std::string_view::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<CaptureChunk> chunks;
    try {
        chunks = CaptureFile::parse(text);
    } catch (const calvex::sim::SimError& error) {
        const std::string message = error.what();
        if (!message.starts_with("line "))
            __builtin_trap();
        const std::size_t line = std::stoul(message.substr(5));
        if (line < 1 || line > lineCount(text))
            __builtin_trap();
        return 0;
    }
    std::string file(calvex::kCaptureHeader);
    for (const CaptureChunk& chunk : chunks) {
        if (chunk.bytes.empty() || chunk.bytes.size() > calvex::kCaptureBytesPerLine)
            __builtin_trap();
        const std::string line = written(chunk);
        if (line.size() > CaptureFile::kMaxLineLength ||
            CaptureFile::parse_line(line.substr(0, line.size() - 1)) != chunk)
            __builtin_trap();
        file += line;
    }
    if (CaptureFile::parse(file) != chunks)
        __builtin_trap();
    return 0;
}
