#pragma once

#include <string>
#include <system_error>

namespace calvex {

// The operating system's own words for an error number, shown to the user next to our message.
inline std::string systemReason(int error) {
    if (error == 0)
        return "Unknown error.";
    return std::error_code(error, std::generic_category()).message();
}

}  // namespace calvex
