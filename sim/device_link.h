#pragma once

#include <string>

namespace calvex::sim {

// The --link symlink: a stable name for the pty device, which changes at every replug.
class DeviceLink {
public:
    explicit DeviceLink(std::string path) : path_(std::move(path)) {}
    ~DeviceLink() { remove(); }
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Makes the link point to target, replacing an earlier symlink at that path in one step.
    // Throws std::system_error, also when the path exists and is not a symlink.
    void point_to(const std::string& target);
    // Removes the link if it is still the one made here.
    void remove();

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string target_;  // empty when no link is made
};

}  // namespace calvex::sim
