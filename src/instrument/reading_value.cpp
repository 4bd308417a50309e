#include "instrument/reading_value.h"

#include "instrument/text_format.h"

namespace calvex {

double ReadingValue::number() const {
    if (isNumber())
        return std::get<double>(m_value);
    if (isText())
        return leadingNumber(std::get<std::string>(m_value));
    return 0.0;
}

std::string ReadingValue::format(std::string_view pattern) const {
    if (isNumber())
        return formatNumber(std::get<double>(m_value), pattern);
    if (isText())
        return std::get<std::string>(m_value);
    return {};
}

std::string ReadingValue::text() const {
    if (isNumber())
        return plainNumber(std::get<double>(m_value));
    if (isText())
        return std::get<std::string>(m_value);
    return {};
}

}  // namespace calvex
