#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace calvex {

// A reading as the instrument state holds it: never written yet, a number, or a text
// (one of the markers "----", "OL", "-OL", or a number already formatted "0.0").
class ReadingValue {
public:
    ReadingValue() = default;
    ReadingValue(double number) : m_value(number) {}  // NOLINT: a reading is naturally built from a number
    ReadingValue(std::string text) : m_value(std::move(text)) {}    // NOLINT
    ReadingValue(const char* text) : m_value(std::string(text)) {}  // NOLINT

    bool isEmpty() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isNumber() const { return std::holds_alternative<double>(m_value); }
    bool isText() const { return std::holds_alternative<std::string>(m_value); }
    bool isText(std::string_view text) const { return isText() && std::get<std::string>(m_value) == text; }

    // The value as a number: a Number itself, the leading number of a Text, 0 when empty.
    double number() const;
    // The text a label shows: a Number formatted with the pattern, a Text unchanged, "" when empty.
    std::string format(std::string_view pattern = "0.0") const;
    // The raw text: a Text unchanged, a Number in plain decimal, "" when empty.
    std::string text() const;

    friend bool operator==(const ReadingValue&, const ReadingValue&) = default;
    // Shows the value in test failures and logs: Empty, a number, or a quoted text.
    friend std::string debugText(const ReadingValue& v) {
        return v.isEmpty() ? "Empty" : v.isNumber() ? v.text() : "\"" + v.text() + "\"";
    }
    template <typename Stream>
    friend Stream& operator<<(Stream& out, const ReadingValue& v) {
        out << debugText(v);
        return out;
    }

private:
    std::variant<std::monostate, double, std::string> m_value;
};

}  // namespace calvex
