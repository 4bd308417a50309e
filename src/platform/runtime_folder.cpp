#include "platform/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace calvex {

namespace {

// A folder this user owns and only this user may enter, as Qt wants it.
bool isPrivateFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 0777) == 0700;
}

}  // namespace

std::string provideRuntimeFolder() {
    if (const char* set = std::getenv("XDG_RUNTIME_DIR"); set != nullptr && *set != '\0')
        return set;
    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && *tmp == '/' ? tmp : "/tmp";
    std::string folder = base + "/calvex-runtime-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0) {
        struct stat st {};
        // Ours but opened up: closed again. Anybody else's, or not a folder: a fresh one.
        if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
            ::chmod(folder.c_str(), 0700);
        if (!isPrivateFolder(folder)) {
            std::string pattern = base + "/calvex-runtime-XXXXXX";
            std::vector<char> name(pattern.begin(), pattern.end());
            name.push_back('\0');
            if (::mkdtemp(name.data()) == nullptr)
                return {};
            folder = name.data();
        }
    }
    if (!isPrivateFolder(folder) || ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) != 0)
        return {};
    return folder;
}

}  // namespace calvex
