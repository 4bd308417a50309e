#include "device_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace calvex::sim {

void DeviceLink::point_to(const std::string& target) {
    struct stat existing {};
    if (::lstat(path_.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        throw std::system_error(EEXIST, std::generic_category(), path_ + " exists and is not a symlink");
    }
    const std::string temporary = path_ + ".tmp-" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        throw std::system_error(errno, std::generic_category(), "symlink " + temporary);
    }
    if (::rename(temporary.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), "rename to " + path_);
    }
    target_ = target;
}

void DeviceLink::remove() {
    if (target_.empty()) {
        return;
    }
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink(path_.c_str(), buffer.data(), buffer.size() - 1);
    if (length >= 0 && std::string(buffer.data(), static_cast<std::size_t>(length)) == target_) {
        ::unlink(path_.c_str());
    }
    target_.clear();
}

}  // namespace calvex::sim
