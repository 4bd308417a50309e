#include "memory_file.h"

#include <string>

#include "sim_error.h"
#include "text_util.h"

namespace calvex::sim {

namespace {

// "10 dual C K" (without the leading "set").
LoggingSet parse_header(const std::vector<std::string_view>& words) {
    if (words.size() != 4) {
        throw SimError("a set needs: SECONDS MODEL UNIT TYPE (for example: set 10 dual C K)");
    }
    const std::optional<std::uint64_t> seconds = parse_unsigned(words[0]);
    if (!seconds || *seconds < 1 || *seconds > 255) {
        throw SimError("bad sampling time '" + std::string(words[0]) + "' (whole seconds 1..255)");
    }
    LoggingSet set;
    set.sampling_seconds = static_cast<int>(*seconds);
    set.model = parse_model(words[1]);
    set.unit = parse_unit(words[2]);
    set.type = parse_type(words[3]);
    return set;
}

MemoryRecord parse_record(const std::vector<std::string_view>& words, Model model) {
    const std::size_t expected = model == Model::Dual ? 2 : 1;
    if (words.size() != expected) {
        throw SimError(std::string("a record of a ") + (model == Model::Dual ? "dual" : "single") +
                       " set needs " + std::to_string(expected) + (expected == 1 ? " reading" : " readings") +
                       ", got " + std::to_string(words.size()));
    }
    MemoryRecord record{parse_reading(words[0]), Reading::no_value()};
    if (model == Model::Dual) {
        record.t2 = parse_reading(words[1]);
    }
    return record;
}

}  // namespace

std::vector<LoggingSet> MemoryFile::parse(std::string_view text) {
    std::vector<LoggingSet> sets;
    std::size_t line_number = 0;
    while (!text.empty()) {
        ++line_number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        std::vector<std::string_view> words = split_whitespace(line);
        if (words.empty()) {
            continue;
        }
        try {
            if (equals_ignore_case(words[0], "set")) {
                words.erase(words.begin());
                sets.push_back(parse_header(words));
            } else if (sets.empty()) {
                throw SimError("a record before the first 'set' line");
            } else {
                sets.back().records.push_back(parse_record(words, sets.back().model));
            }
        } catch (const SimError& error) {
            throw SimError("line " + std::to_string(line_number) + ": " + error.what());
        }
    }
    return sets;
}

LoggingSet MemoryFile::parse_set_argument(std::string_view text) {
    const std::size_t colon = text.find(':');
    std::vector<std::string_view> header = split_whitespace(text.substr(0, colon));
    if (!header.empty() && equals_ignore_case(header[0], "set")) {
        header.erase(header.begin());
    }
    LoggingSet set = parse_header(header);
    if (colon == std::string_view::npos) {
        return set;
    }
    const std::string_view records = trim(text.substr(colon + 1));
    if (records.empty()) {
        return set;
    }
    std::size_t index = 0;
    for (const std::string_view record : split(records, ',')) {
        ++index;
        try {
            set.records.push_back(parse_record(split_whitespace(record), set.model));
        } catch (const SimError& error) {
            throw SimError("record " + std::to_string(index) + ": " + error.what());
        }
    }
    return set;
}

}  // namespace calvex::sim
