#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace calvex::test {

// A file's bytes as they are on disk; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

}  // namespace calvex::test
