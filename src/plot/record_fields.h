#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace calvex {

// The fields of one row, looked up once in one pass: a field the row does not have is empty.
template <std::size_t Count>
std::array<std::string_view, Count> fieldsOf(std::string_view row) {
    std::array<std::string_view, Count> fields{};
    std::size_t field = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < row.size(); ++i) {
        if (row[i] != '\t')
            continue;
        fields[field] = row.substr(start, i - start);
        start = i + 1;
        if (++field == Count)
            return fields;
    }
    fields[field] = row.substr(start);
    return fields;
}

}  // namespace calvex
