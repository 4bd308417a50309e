#include "platform/runtime_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "support/temp_folder.h"

namespace calvex {
namespace {

// The variables the folder depends on, put back as they were.
class Environment {
public:
    Environment() {
        for (const char* name : {"XDG_RUNTIME_DIR", "TMPDIR"})
            if (const char* value = std::getenv(name))
                m_saved.emplace_back(name, std::string(value));
    }
    ~Environment() {
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("TMPDIR");
        for (const auto& [name, value] : m_saved)
            ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(RuntimeFolder, IsMadePrivateWhenTheSessionGivesNone) {
    struct Case {
        const char* name;
        std::function<void(const std::string& usual)> before;  // what the temporary folder holds
        bool usual;  // the user's usual folder is taken, not a fresh one
    };
    const Case cases[] = {
        {"missing", [](const std::string&) {}, true},
        {"ours and open", [](const std::string& usual) { ::mkdir(usual.c_str(), 0755); }, true},
        {"a file in its place", [](const std::string& usual) { test::TempFolder::write(usual, "x"); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Environment environment;
        test::TempFolder tmp;
        ::setenv("TMPDIR", tmp.path().c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        const std::string usual = tmp.file("calvex-runtime-" + std::to_string(::getuid()));
        c.before(usual);
        const std::string folder = provideRuntimeFolder();
        ASSERT_FALSE(folder.empty());
        EXPECT_EQ(folder == usual, c.usual) << folder;
        EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), folder);
        EXPECT_TRUE(S_ISDIR(modeOf(folder)));
        EXPECT_EQ(modeOf(folder) & 0777, 0700u);
    }
}

TEST(RuntimeFolder, ASessionsOwnIsKept) {
    Environment environment;
    ::setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
    EXPECT_EQ(provideRuntimeFolder(), "/run/user/1000");
    EXPECT_EQ(std::string(std::getenv("XDG_RUNTIME_DIR")), "/run/user/1000");
}

}  // namespace
}  // namespace calvex
