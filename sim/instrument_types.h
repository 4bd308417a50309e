#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace calvex::sim {

// Time since the simulator started, on the monotonic clock.
using Time = std::chrono::nanoseconds;

enum class Model { Dual, Single };

// Values are the unit codes sent in bits 0-1 of a status byte.
enum class Unit : std::uint8_t { Celsius = 0, Fahrenheit = 1, Kelvin = 2 };

// Values are the thermocouple type codes sent in the last data byte.
enum class ThermocoupleType : std::uint8_t { K = 0, J = 1, E = 2, T = 3, R = 4, S = 5, N = 6 };

// One channel reading as the instrument shows it: a number in tenths of the unit, or a marker.
struct Reading {
    enum class Kind { Value, NoValue, Overload, NegativeOverload };

    Kind kind = Kind::Value;
    std::int32_t tenths = 0;  // only meaningful for Kind::Value; |tenths| <= kMaxMagnitude

    static constexpr std::int32_t kMaxMagnitude = 65535;

    static Reading value(std::int32_t tenths) { return Reading{Kind::Value, tenths}; }
    static Reading no_value() { return Reading{Kind::NoValue, 0}; }
    static Reading overload() { return Reading{Kind::Overload, 0}; }
    static Reading negative_overload() { return Reading{Kind::NegativeOverload, 0}; }

    friend bool operator==(const Reading&, const Reading&) = default;
};

// Parsers accept the spellings documented in --help and throw SimError otherwise.
Model parse_model(std::string_view text);
Unit parse_unit(std::string_view text);
ThermocoupleType parse_type(std::string_view text);
// "25.1", "-3", "OL", "-OL", "----"; numbers are rounded to tenths and must fit 16 bits of tenths.
Reading parse_reading(std::string_view text);
// Like parse_reading, plus "auto" which yields no fixed reading.
std::optional<Reading> parse_channel_source(std::string_view text);

std::string to_string(Model model);
std::string to_string(Unit unit);
std::string to_string(ThermocoupleType type);
std::string to_string(const Reading& reading);

}  // namespace calvex::sim
