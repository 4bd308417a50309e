#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "instrument_types.h"

namespace calvex::sim {

// A chunk of bytes of a capture written by calvex --capture.
struct CaptureChunk {
    enum class Direction { Received, Sent };  // "<" from the instrument, ">" to it

    Time at{0};  // since the capture started, in whole microseconds
    Direction direction = Direction::Received;
    std::vector<std::uint8_t> bytes;

    friend bool operator==(const CaptureChunk&, const CaptureChunk&) = default;
};

// The reader of capture files: "SECONDS DIRECTION HEX HEX ...", for example
// "12.345678 < 02 00 00 FB 60 00 64 00 03". SECONDS has up to 9 digits, and up to six decimals
// after an optional point; DIRECTION is "<" or ">"; each byte is two hex digits, upper or lower
// case, at most kMaxBytesPerLine of them; blanks and tabs separate the fields. Lines starting with "#" and
// blank lines are skipped; LF and CR LF end lines. Anything else is refused with SimError naming the line.
class CaptureFile {
public:
    // Longer lines are refused before they are looked at: the longest line calvex writes (4096
    // bytes) is 12 312 characters.
    static constexpr std::size_t kMaxLineLength = 16384;
    // calvex writes a longer chunk on several lines.
    static constexpr std::size_t kMaxBytesPerLine = 4096;

    // One line, without its line end: nullopt for a comment or a blank line. Throws SimError.
    static std::optional<CaptureChunk> parse_line(std::string_view line);
    // A whole file; times must not go back. Throws SimError("line N: ...").
    static std::vector<CaptureChunk> parse(std::string_view text);
};

}  // namespace calvex::sim
