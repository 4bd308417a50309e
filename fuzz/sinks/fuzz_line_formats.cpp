// A sample point and an instrument name from any bytes: the line-protocol point and the CSV line,
// read back by small independent readers, give back the name, the unit and each reading as the
// formats promise, on one line each.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "sinks/sample_point.h"

namespace {

using calvex::ReadingState;

void check(bool ok) {
    if (!ok)
        std::abort();
}

// Splits on `separator` where no backslash stands before it; the pieces keep their escapes.
std::vector<std::string> splitUnescaped(const std::string& text, char separator) {
    std::vector<std::string> pieces(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            pieces.back() += text[i];
            pieces.back() += text[++i];
        } else if (text[i] == separator) {
            pieces.emplace_back();
        } else {
            pieces.back() += text[i];
        }
    }
    return pieces;
}

std::string unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() &&
            (text[i + 1] == ',' || text[i + 1] == '=' || text[i + 1] == ' '))
            ++i;
        plain += text[i];
    }
    return plain;
}

// The fields of one RFC 4180 record that must end in CR LF, or nothing when it is not one.
std::optional<std::vector<std::string>> parseCsvRecord(const std::string& line) {
    std::vector<std::string> fields(1);
    std::size_t i = 0;
    while (true) {
        if (i < line.size() && line[i] == '"') {
            ++i;
            while (true) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        fields.back() += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                fields.back() += line[i++];
            }
        } else {
            while (i < line.size() && line[i] != ',' && line[i] != '\r' && line[i] != '\n') {
                if (line[i] == '"')
                    return std::nullopt;
                fields.back() += line[i++];
            }
        }
        if (i < line.size() && line[i] == ',') {
            ++i;
            fields.emplace_back();
            continue;
        }
        if (line.compare(i, std::string::npos, "\r\n") != 0)
            return std::nullopt;
        return fields;
    }
}

void checkLineProtocol(const calvex::SamplePoint& point, const std::string& name) {
    const std::string line = calvex::lineProtocol(point, name);
    check(!line.empty() && line.back() == '\n');
    check(line.find_first_of("\r\n") == line.size() - 1);
    check(line.rfind("calvex,instrument=", 0) == 0);

    const std::vector<std::string> sections = splitUnescaped(line.substr(0, line.size() - 1), ' ');
    check(sections.size() == 3);
    check(sections[2] == std::to_string(calvex::epochSeconds(point.at)));

    const std::vector<std::string> tags = splitUnescaped(sections[0], ',');
    check(tags.size() >= 3 && tags[0] == "calvex");
    std::vector<std::string> keys;
    for (std::size_t i = 1; i < tags.size(); ++i) {
        const std::vector<std::string> pair = splitUnescaped(tags[i], '=');
        check(pair.size() == 2);
        const std::string value = unescape(pair[1]);
        keys.push_back(pair[0]);
        if (pair[0] == "instrument")
            check(value == name);
        else if (pair[0] == "model")
            check(value == (point.dual ? "dual" : "single"));
        else if (pair[0] == "type")
            check(value == point.type);
        else if (pair[0] == "unit")
            check(value == point.unit);
        else
            check(false);
    }
    check(keys[0] == "instrument" && keys[1] == "model");
    // A type or unit is written when it can be read back as it is, and only then.
    const auto written = [](const std::string& value) {
        return !value.empty() && calvex::instrumentNameProblem(value).empty();
    };
    const auto count = [&](const std::string& key) { return std::count(keys.begin(), keys.end(), key); };
    check(count("type") == (written(point.type) ? 1 : 0));
    check(count("unit") == (written(point.unit) ? 1 : 0));
    check(keys.size() == 2 + static_cast<std::size_t>(count("type") + count("unit")));

    const std::vector<std::string>& channels = calvex::channelNames(point.dual);
    std::size_t states = 0;
    for (const std::string& field : splitUnescaped(sections[1], ',')) {
        const std::vector<std::string> pair = splitUnescaped(field, '=');
        check(pair.size() == 2);
        bool known = false;
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const bool present = c < point.readings.size();
            const ReadingState state =
                present ? calvex::readingState(point.readings[c]) : ReadingState::Unknown;
            if (pair[0] == channels[c] + "_state") {
                check(pair[1] == std::to_string(static_cast<int>(state)) + "i");
                ++states;
                known = true;
            } else if (pair[0] == channels[c]) {
                check(state == ReadingState::Measured && pair[1] == point.readings[c]);
                known = true;
            }
        }
        check(known);
    }
    check(states == channels.size());
}

void checkCsv(const calvex::SamplePoint& point) {
    const std::string line = calvex::csvLine(point);
    check(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    const std::optional<std::vector<std::string>> fields = parseCsvRecord(line);
    check(fields.has_value());
    const std::optional<std::vector<std::string>> header = parseCsvRecord(calvex::csvHeader(point.dual));
    check(header.has_value() && fields->size() == header->size());

    check(fields->front() == calvex::spreadsheetTime(point.at));
    check(fields->back() == point.unit);
    for (std::size_t c = 0; c + 2 < fields->size(); ++c) {
        const std::string& field = (*fields)[c + 1];
        const bool present = c < point.readings.size();
        switch (present ? calvex::readingState(point.readings[c]) : ReadingState::Unknown) {
            case ReadingState::Measured:
                check(field == point.readings[c]);
                break;
            case ReadingState::Over:
                check(field == "OL");
                break;
            case ReadingState::Under:
                check(field == "-OL");
                break;
            case ReadingState::Unknown:
                check(field.empty());
                break;
        }
    }
}

}  // namespace

// NUL separates the fields: settings, name, unit, type, then the readings. The settings' bytes give
// the model and the date and time, each kept near a real calendar so the texts stay readable.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < size && fields.size() < 8; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(8);
    const std::string& settings = fields[0];
    const auto setting = [&](std::size_t i) {
        return i < settings.size() ? static_cast<int>(static_cast<unsigned char>(settings[i])) : 0;
    };

    calvex::SamplePoint point;
    point.dual = (setting(0) & 1) != 0;
    point.at.year = 1900 + setting(1) * 2;
    point.at.month = 1 + setting(2) % 12;
    point.at.day = 1 + setting(3) % 31;
    point.at.hour = setting(4) % 24;
    point.at.minute = setting(5) % 60;
    point.at.second = setting(6) % 60;
    point.at.utcOffsetSeconds = (setting(7) - 128) * 900;
    point.unit = fields[2];
    point.type = fields[3];
    const std::size_t readings = static_cast<std::size_t>(setting(0) >> 1) % 5;
    for (std::size_t i = 0; i < readings; ++i)
        point.readings.push_back(fields[4 + i]);

    const std::string& name = fields[1];
    if (calvex::instrumentNameProblem(name).empty())
        checkLineProtocol(point, name);
    else
        calvex::lineProtocol(point, name);
    checkCsv(point);
    return 0;
}
