#include "platform/open_failure.h"

namespace calvex {

std::string openFailureText(OpenFailure reason, const std::string& system) {
    switch (reason) {
        case OpenFailure::PermissionDenied:
            return "Permission denied: add yourself to the dialout group (then log out and in)";
        case OpenFailure::NoSuchDevice:
            return "No such device";
        case OpenFailure::DeviceBusy:
            return "Device busy";
        case OpenFailure::NotMapped:
            return "No serial port of this machine stands for this COM number";
        case OpenFailure::Other:
            break;
    }
    return system.empty() ? "The port could not be opened" : system;
}

}  // namespace calvex
