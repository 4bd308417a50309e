#include "instrument_types.h"

#include <array>
#include <cmath>

#include "sim_error.h"
#include "text_util.h"

namespace calvex::sim {

namespace {

constexpr std::array<std::string_view, 7> kTypeNames = {"K", "J", "E", "T", "R", "S", "N"};

}  // namespace

Model parse_model(std::string_view text) {
    if (equals_ignore_case(text, "dual")) {
        return Model::Dual;
    }
    if (equals_ignore_case(text, "single")) {
        return Model::Single;
    }
    throw SimError("bad model '" + std::string(text) + "' (use dual or single)");
}

Unit parse_unit(std::string_view text) {
    if (equals_ignore_case(text, "C")) {
        return Unit::Celsius;
    }
    if (equals_ignore_case(text, "F")) {
        return Unit::Fahrenheit;
    }
    if (equals_ignore_case(text, "K")) {
        return Unit::Kelvin;
    }
    throw SimError("bad unit '" + std::string(text) + "' (use C, F or K)");
}

ThermocoupleType parse_type(std::string_view text) {
    for (std::size_t code = 0; code < kTypeNames.size(); ++code) {
        if (equals_ignore_case(text, kTypeNames[code])) {
            return static_cast<ThermocoupleType>(code);
        }
    }
    throw SimError("bad thermocouple type '" + std::string(text) + "' (use K, J, E, T, R, S or N)");
}

Reading parse_reading(std::string_view text) {
    if (text == "----") {
        return Reading::no_value();
    }
    if (equals_ignore_case(text, "OL")) {
        return Reading::overload();
    }
    if (equals_ignore_case(text, "-OL")) {
        return Reading::negative_overload();
    }
    const std::optional<double> number = parse_double(text);
    if (!number) {
        throw SimError("bad reading '" + std::string(text) +
                       "' (use a number such as 25.1, or OL, -OL, ----)");
    }
    const double tenths = std::round(*number * 10.0);
    if (std::fabs(tenths) > Reading::kMaxMagnitude) {
        throw SimError("reading '" + std::string(text) + "' is out of range (-6553.5 .. 6553.5)");
    }
    return Reading::value(static_cast<std::int32_t>(tenths));
}

std::optional<Reading> parse_channel_source(std::string_view text) {
    if (equals_ignore_case(text, "auto")) {
        return std::nullopt;
    }
    return parse_reading(text);
}

std::string to_string(Model model) {
    return model == Model::Dual ? "dual" : "single";
}

std::string to_string(Unit unit) {
    switch (unit) {
        case Unit::Celsius:
            return "C";
        case Unit::Fahrenheit:
            return "F";
        case Unit::Kelvin:
            return "K";
    }
    return "?";
}

std::string to_string(ThermocoupleType type) {
    const auto code = static_cast<std::size_t>(type);
    return code < kTypeNames.size() ? std::string(kTypeNames[code]) : "?";
}

std::string to_string(const Reading& reading) {
    switch (reading.kind) {
        case Reading::Kind::NoValue:
            return "----";
        case Reading::Kind::Overload:
            return "OL";
        case Reading::Kind::NegativeOverload:
            return "-OL";
        case Reading::Kind::Value:
            break;
    }
    const std::int32_t magnitude = reading.tenths < 0 ? -reading.tenths : reading.tenths;
    return (reading.tenths < 0 ? "-" : "") + std::to_string(magnitude / 10) + "." +
           std::to_string(magnitude % 10);
}

}  // namespace calvex::sim
