#pragma once

#include <string>

namespace calvex {

// Why a serial port did not open, as far as the program can tell the user what to do about it.
enum class OpenFailure { PermissionDenied, NoSuchDevice, DeviceBusy, NotMapped, Other };

// One line for the message box and standard error: the reason and, where there is one, the cure.
// `system` is the system's own words, used for reasons without a text of their own.
std::string openFailureText(OpenFailure reason, const std::string& system = {});

}  // namespace calvex
