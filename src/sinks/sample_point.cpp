#include "sinks/sample_point.h"

#include "platform/civil_date.h"

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace calvex {

namespace {

// The instrument shows at most a handful of digits; a longer text is not one of its readings, and
// a bound keeps every sink's line short whatever arrives.
constexpr std::size_t kMaxNumberLength = 32;
constexpr std::size_t kMaxInstrumentNameLength = 200;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Digits, with an optional minus in front and an optional fraction after a point: the form the
// display shows, and one that every line-protocol reader and spreadsheet takes as a number.
// A bare point ("1.", ".5"), an exponent or a plus sign never comes from the instrument, so they
// are not guessed at.
bool isPlainDecimal(std::string_view text) {
    if (text.empty() || text.size() > kMaxNumberLength)
        return false;
    std::size_t i = 0;
    if (text[i] == '-')
        ++i;
    const std::size_t integerStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    if (i == integerStart)
        return false;
    if (i == text.size())
        return true;
    if (text[i] != '.')
        return false;
    ++i;
    const std::size_t fractionStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i > fractionStart && i == text.size();
}

// Length of the UTF-8 sequence that starts at `i`, or 0 when it is not a well-formed one
// (overlong forms, surrogates and code points past U+10FFFF included).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (s.size() - i < length)
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

int stateCode(ReadingState state) {
    return static_cast<int>(state);
}

ReadingState stateOf(const SamplePoint& point, std::size_t channel) {
    return channel < point.readings.size() ? readingState(point.readings[channel]) : ReadingState::Unknown;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

}  // namespace

ReadingState readingState(const std::string& text) {
    if (text == "OL")
        return ReadingState::Over;
    if (text == "-OL")
        return ReadingState::Under;
    return isPlainDecimal(text) ? ReadingState::Measured : ReadingState::Unknown;
}

std::int64_t epochSeconds(const LocalDateTime& at) {
    const std::int64_t days = daysFromCivil(at.year, at.month, at.day);
    return days * 86400 + std::int64_t{at.hour} * 3600 + std::int64_t{at.minute} * 60 + at.second -
           at.utcOffsetSeconds;
}

std::string isoLocalTime(const LocalDateTime& at) {
    const std::int64_t offset = at.utcOffsetSeconds;
    const std::int64_t magnitude = offset < 0 ? -offset : offset;
    char zone[32];
    std::snprintf(zone, sizeof zone, "%c%02lld:%02lld", offset < 0 ? '-' : '+',
                  static_cast<long long>(magnitude / 3600), static_cast<long long>(magnitude % 3600 / 60));
    return localStamp(at) + zone;
}

const std::vector<std::string>& channelNames(bool dual) {
    static const std::vector<std::string> single{"t1"};
    static const std::vector<std::string> both{"t1", "t2", "t1_t2"};
    return dual ? both : single;
}

std::string escapeTagValue(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        if (c == ',' || c == '=' || c == ' ')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string instrumentNameProblem(const std::string& name) {
    if (name.empty())
        return "is empty";
    if (name.size() > kMaxInstrumentNameLength)
        return "is longer than 200 bytes";
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (c == '\\')
            return "has a backslash";
        if (c == '"')
            return "has a double quote";
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return "has a control character";
        const std::size_t length = utf8SequenceLength(name, i);
        if (length == 0)
            return "is not valid UTF-8";
        i += length;
    }
    return {};
}

std::string lineProtocol(const SamplePoint& point, const std::string& instrument) {
    std::string line = "calvex,instrument=" + escapeTagValue(instrument);
    line += point.dual ? ",model=dual" : ",model=single";
    // The type and the unit come from the instrument's frames; one that could not be written back
    // faithfully (a backslash would escape the separator after it, a line end would split the
    // point) is left out rather than allowed to corrupt the point.
    if (!point.type.empty() && instrumentNameProblem(point.type).empty())
        line += ",type=" + escapeTagValue(point.type);
    if (!point.unit.empty() && instrumentNameProblem(point.unit).empty())
        line += ",unit=" + escapeTagValue(point.unit);
    const std::vector<std::string>& names = channelNames(point.dual);
    char separator = ' ';
    for (std::size_t channel = 0; channel < names.size(); ++channel) {
        const ReadingState state = stateOf(point, channel);
        if (state == ReadingState::Measured) {
            line += separator;
            line += names[channel] + '=' + point.readings[channel];
            separator = ',';
        }
        line += separator;
        line += names[channel] + "_state=" + std::to_string(stateCode(state)) + 'i';
        separator = ',';
    }
    line += ' ';
    line += std::to_string(epochSeconds(point.at));
    line += '\n';
    return line;
}

std::string csvHeader(bool dual) {
    std::string header = "time";
    for (const std::string& name : channelNames(dual))
        header += ',' + name;
    header += ",unit\r\n";
    return header;
}

std::string spreadsheetTime(const LocalDateTime& at) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", at.year, at.month, at.day, at.hour,
                  at.minute, at.second);
    return text;
}

std::string csvLine(const SamplePoint& point) {
    std::string line = csvField(spreadsheetTime(point.at));
    const std::size_t channels = channelNames(point.dual).size();
    for (std::size_t channel = 0; channel < channels; ++channel) {
        line += ',';
        switch (stateOf(point, channel)) {
            case ReadingState::Measured:
                line += point.readings[channel];
                break;
            case ReadingState::Over:
                line += "OL";
                break;
            case ReadingState::Under:
                line += "-OL";
                break;
            case ReadingState::Unknown:
                break;
        }
    }
    line += ',' + csvField(point.unit);
    line += "\r\n";
    return line;
}

}  // namespace calvex
