#pragma once

#include <stdexcept>
#include <string>

namespace calvex::sim {

// Raised for bad user input (options, memory files, stdin commands). The message is meant to be
// shown to the user as it is.
class SimError : public std::runtime_error {
public:
    explicit SimError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace calvex::sim
