#include "files/save_grid_to_file.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string_view>

#include "files/progress_throttle.h"
#include "files/system_reason.h"
#include "lists/grid.h"
#include "session/session.h"

namespace calvex {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Puts the busy pointer, the caption and FileChosen back however the save ends.
class SaveScope {
public:
    SaveScope(Session& session, TableWindow& window)
        : m_session(session), m_window(window), m_caption(window.caption()) {
        m_session.dialogs.setBusy(true);
    }
    ~SaveScope() {
        m_window.setCaption(m_caption);
        m_session.FileChosen = false;
        m_session.dialogs.setBusy(false);
    }
    SaveScope(const SaveScope&) = delete;
    SaveScope& operator=(const SaveScope&) = delete;

private:
    Session& m_session;
    TableWindow& m_window;
    std::string m_caption;
};

std::string hexSuffix(unsigned long long value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (int i = 0; i < 8; ++i, value >>= 4)
        text.push_back(kDigits[value & 0xF]);
    return text;
}

// Creates a file of our own next to the target (same folder, so the final rename cannot cross
// file systems). A name that another file already holds is never opened.
FilePtr createTempBeside(const std::filesystem::path& target, std::string& tempPath, int& error) {
    const std::filesystem::path folder = target.parent_path();
    unsigned long long seed =
        static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 32;
         ++attempt, seed = seed * 6364136223846793005ULL + 1442695040888963407ULL) {
        std::string name = target.filename().string() + ".tmp-" + hexSuffix(seed >> 16);
        tempPath = (folder / name).string();
        std::FILE* file = std::fopen(tempPath.c_str(), "wbx");
        if (file == nullptr && errno == ENAMETOOLONG) {
            // A target name near the limit leaves no room for the suffix.
            tempPath = (folder / ("calvex.tmp-" + hexSuffix(seed >> 16))).string();
            file = std::fopen(tempPath.c_str(), "wbx");
        }
        if (file != nullptr)
            return FilePtr(file);
        error = errno;
        if (error != EEXIST)
            break;
    }
    tempPath.clear();
    return nullptr;
}

void reportFailure(Session& session, const std::string& reason) {
    session.dialogs.message("The list could not be saved to the file:\n" + session.DataFileName + "\n\n" +
                                reason + "\n\nThe file on disk has not been changed.",
                            kCriticalStop);
}

}  // namespace

void appendListFileLine(std::string& out, std::string_view row, int cols) {
    std::size_t end = row.size();
    int fields = 1;
    for (std::size_t tab = row.find('\t'); tab != std::string_view::npos; tab = row.find('\t', tab + 1)) {
        if (fields == cols) {
            end = tab;
            break;
        }
        ++fields;
    }
    out.append(row.substr(0, end));
    out.append(static_cast<std::size_t>(cols - fields + 1), '\t');
    out.append("\r\n");
}

bool SaveGridToFile(Session& session, TableWindow& window) {
    SaveScope scope(session, window);
    std::error_code ec;
    std::filesystem::path target(session.DataFileName);
    // A link is followed: the file it names gets the table, and the link stays a link.
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path linked = std::filesystem::canonical(target, ec);
        if (!ec)
            target = linked;
    }
    // The user may replace a file only where the system would let them write it.
    const bool replacing = std::filesystem::exists(target, ec);
    if (replacing) {
        FilePtr probe(std::fopen(target.c_str(), "r+b"));
        if (!probe) {
            reportFailure(session, systemReason(errno));
            return false;
        }
    }

    std::string tempPath;
    int error = 0;
    FilePtr file = createTempBeside(target, tempPath, error);
    if (!file) {
        reportFailure(session, systemReason(error));
        return false;
    }

    Grid& grid = window.grid();
    // The count shown may lag behind the rows written; the caption comes back at the end anyway.
    ProgressThrottle progress(session.clock);
    std::string buffer;
    buffer.reserve(1 << 16);
    bool ok = true;
    for (int i = 1; i < grid.rows() && ok; ++i) {
        if (progress.due())
            window.setCaption(std::to_string(i) + "Records Completed");
        appendListFileLine(buffer, grid.rowText(i), grid.cols());
        if (buffer.size() >= (1 << 16) - 512 || i == grid.rows() - 1) {
            errno = 0;
            ok = std::fwrite(buffer.data(), 1, buffer.size(), file.get()) == buffer.size();
            buffer.clear();
        }
    }
    if (ok) {
        errno = 0;
        ok = std::fflush(file.get()) == 0;
    }
    error = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (ok && !closed)
        error = errno;
    ok = ok && closed;
    if (ok) {
        // The new file keeps the permissions of the one it replaces.
        const std::filesystem::perms old = std::filesystem::status(target, ec).permissions();
        if (replacing && !ec && old != std::filesystem::perms::unknown)
            std::filesystem::permissions(tempPath, old, ec);
        std::filesystem::rename(tempPath, target, ec);
        if (ec) {
            ok = false;
            error = ec.value();
        }
    }
    if (!ok) {
        std::remove(tempPath.c_str());
        reportFailure(session, systemReason(error));
        return false;
    }
    return true;
}

}  // namespace calvex
