#include "sinks/line_formats.h"

#include <algorithm>
#include <vector>

namespace calvex {

namespace {

std::vector<std::string> tabFields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = text.find('\t', from);
        fields.push_back(text.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos)
            return fields;
        from = tab + 1;
    }
}

bool allOf(std::string_view bytes, std::string_view allowed) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [allowed](char c) { return allowed.find(c) != std::string_view::npos; });
}

const char* modelName(bool dual) {
    return dual ? "dual-input" : "single-input";
}

}  // namespace

SamplePoint samplePointOf(const std::string& sample, const LocalDateTime& at, const std::string& type) {
    SamplePoint point;
    point.at = at;
    point.at.millisecond = 0;
    point.type = type;
    std::vector<std::string> fields = tabFields(sample);
    // time, readings..., unit: three readings are the dual-input model's
    if (fields.size() >= 2) {
        point.unit = fields.back();
        point.readings.assign(fields.begin() + 1, fields.end() - 1);
    }
    point.dual = point.readings.size() > 1;
    return point;
}

std::string CsvFormat::line(const std::string& sample) const {
    return csvLine(samplePointOf(sample, m_at, {}));
}

Recorder::Refusal CsvFormat::accepts(std::string_view first, bool dual, std::string& why) const {
    const auto headerOf = [](bool d) {
        std::string h = csvHeader(d);
        return h.substr(0, h.find('\r'));
    };
    if (first == headerOf(dual))
        return Recorder::Refusal::None;
    if (first == headerOf(!dual)) {
        why = std::string("It holds ") + modelName(!dual) + " data and the instrument is " + modelName(dual) +
              ".";
        return Recorder::Refusal::OtherModel;
    }
    why = "Its first line is not this program's CSV header.";
    return Recorder::Refusal::Foreign;
}

// What a crash leaves of a CSV line: the start of the header, or of a line of dates, numbers,
// marks and units. A line that lacks only its line end (or its LF) is kept.
Recorder::LineFormat::Fragment CsvFormat::fragment(std::string_view bytes, bool first,
                                                   std::string& missing) const {
    if (first) {
        const std::string header = csvHeader(true);
        const std::string single = csvHeader(false);
        if (header.compare(0, bytes.size(), bytes) == 0 || single.compare(0, bytes.size(), bytes) == 0)
            return Fragment::Torn;
        return Fragment::Foreign;
    }
    if (bytes.empty())
        return Fragment::Torn;
    // The date and time in front ("2026-12-10 14:05:32,"), then numbers, marks and a unit.
    constexpr std::string_view shape = "0000-00-00 00:00:00,";
    for (std::size_t i = 0; i < std::min(bytes.size(), shape.size()); ++i) {
        const bool digit = bytes[i] >= '0' && bytes[i] <= '9';
        if (shape[i] == '0' ? !digit : bytes[i] != shape[i])
            return Fragment::Foreign;
    }
    if (!allOf(bytes, "0123456789-: .,OLCFK\r") || bytes.find('\r') < bytes.size() - 1)
        return Fragment::Foreign;
    if (bytes.back() == '\r') {
        missing = "\n";
        return Fragment::Whole;
    }
    return Fragment::Torn;
}

std::string LineProtocolFormat::line(const std::string& sample) const {
    return lineProtocol(samplePointOf(sample, m_at, m_type.text()), m_instrument);
}

Recorder::Refusal LineProtocolFormat::accepts(std::string_view first, bool dual, std::string& why) const {
    if (first.substr(0, 7) != "calvex,") {
        why = "Its first line is not a point of this program.";
        return Recorder::Refusal::Foreign;
    }
    const bool fileDual = first.find(",model=dual") != std::string_view::npos;
    if (fileDual != dual) {
        why = std::string("It holds ") + modelName(fileDual) + " data and the instrument is " +
              modelName(dual) + ".";
        return Recorder::Refusal::OtherModel;
    }
    return Recorder::Refusal::None;
}

// A point is tags, a blank, fields, a blank and the timestamp's ten digits; the blanks of a tag
// value are escaped, and no backslash is written but as an escape. Anything shorter is torn.
Recorder::LineFormat::Fragment LineProtocolFormat::fragment(std::string_view bytes, bool,
                                                            std::string& missing) const {
    const std::string_view start = "calvex,";
    if (bytes.substr(0, start.size()) != start.substr(0, bytes.size()))
        return Fragment::Foreign;
    if (std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }))
        return Fragment::Foreign;
    std::vector<std::size_t> blanks;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == ' ' && (i == 0 || bytes[i - 1] != '\\'))
            blanks.push_back(i);
    if (blanks.size() > 2)
        return Fragment::Foreign;
    if (blanks.size() == 2 && bytes.size() - blanks[1] == 11 &&
        allOf(bytes.substr(blanks[1] + 1), "0123456789")) {
        missing = "\n";
        return Fragment::Whole;
    }
    return Fragment::Torn;
}

}  // namespace calvex
