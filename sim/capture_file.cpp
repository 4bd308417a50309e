#include "capture_file.h"

#include <string>

#include "sim_error.h"

namespace calvex::sim {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Splits at runs of blanks and tabs; every other byte belongs to a field.
std::vector<std::string_view> fields_of(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !is_blank(line[i])) {
            ++i;
        }
        if (i > start) {
            fields.push_back(line.substr(start, i - start));
        }
    }
    return fields;
}

// "12.345678" -> microseconds. Nine digits of seconds (31 years) keep the time in nanoseconds
// far from overflowing.
Time parse_time(std::string_view text) {
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
    if (whole.empty() || whole.size() > 9 || (point != std::string_view::npos && fraction.empty()) ||
        fraction.size() > 6) {
        throw SimError("bad time '" + std::string(text) + "' (seconds like 12.345678)");
    }
    std::int64_t micros = 0;
    for (const char c : whole) {
        if (!is_digit(c)) {
            throw SimError("bad time '" + std::string(text) + "' (seconds like 12.345678)");
        }
        micros = micros * 10 + (c - '0');
    }
    std::int64_t scale = 1'000'000;
    micros *= scale;
    for (const char c : fraction) {
        if (!is_digit(c)) {
            throw SimError("bad time '" + std::string(text) + "' (seconds like 12.345678)");
        }
        scale /= 10;
        micros += (c - '0') * scale;
    }
    return std::chrono::microseconds(micros);
}

}  // namespace

std::optional<CaptureChunk> CaptureFile::parse_line(std::string_view line) {
    if (line.size() > kMaxLineLength) {
        throw SimError("line longer than " + std::to_string(kMaxLineLength) + " characters");
    }
    const std::vector<std::string_view> fields = fields_of(line);
    if (fields.empty() || fields[0].front() == '#') {
        return std::nullopt;
    }
    if (fields.size() < 3) {
        throw SimError("expected time, direction and bytes");
    }
    CaptureChunk chunk;
    chunk.at = parse_time(fields[0]);
    if (fields[1] == "<") {
        chunk.direction = CaptureChunk::Direction::Received;
    } else if (fields[1] == ">") {
        chunk.direction = CaptureChunk::Direction::Sent;
    } else {
        throw SimError("bad direction '" + std::string(fields[1].substr(0, 16)) + "' (< or >)");
    }
    if (fields.size() - 2 > kMaxBytesPerLine) {
        throw SimError("more than " + std::to_string(kMaxBytesPerLine) + " bytes on a line");
    }
    chunk.bytes.reserve(fields.size() - 2);
    for (std::size_t i = 2; i < fields.size(); ++i) {
        const std::string_view field = fields[i];
        const int high = field.size() == 2 ? hex_digit(field[0]) : -1;
        const int low = field.size() == 2 ? hex_digit(field[1]) : -1;
        if (high < 0 || low < 0) {
            throw SimError("bad byte '" + std::string(field.substr(0, 16)) + "' (two hex digits)");
        }
        chunk.bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return chunk;
}

std::vector<CaptureChunk> CaptureFile::parse(std::string_view text) {
    std::vector<CaptureChunk> chunks;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        try {
            std::optional<CaptureChunk> chunk = parse_line(line);
            if (!chunk) {
                continue;
            }
            if (!chunks.empty() && chunk->at < chunks.back().at) {
                throw SimError("the time goes back");
            }
            chunks.push_back(std::move(*chunk));
        } catch (const SimError& error) {
            throw SimError("line " + std::to_string(number) + ": " + error.what());
        }
    }
    return chunks;
}

}  // namespace calvex::sim
