#pragma once

#include <cstdint>
#include <string>

namespace calvex {

// The points on their way to a database, on disk: each point is appended (and handed to the
// operating system) before it is sent, and only what the server took is given up. A run killed at
// any moment resumes from the file: no point is lost, and a batch whose answer never came is sent
// again with the same bytes (a point with its own timestamp overwrites itself on the server).
//
// Files: `path` holds the points, one line each ("\n"); `path + ".sent"` holds the offset of the
// first point not yet taken, replaced whole (a new file renamed over it). When every point was
// taken the spool is emptied. A second process on the same spool is refused (a lock on `path`).
class Spool {
public:
    enum class Append { Kept, Full, Failed };
    struct Batch {
        std::string body;  // whole lines
        std::size_t points = 0;
        std::uint64_t end = 0;  // the offset after the batch's last line, for commit()
    };

    Spool(std::string path, std::uint64_t limitBytes);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Opens or creates the spool and resumes it: a torn last line (a crash mid-write) is cut off,
    // the offset of what was sent is read back. False with `why` set when it cannot be used.
    bool open(std::string& why);
    // One point, a whole line ending in "\n". Full: the spool holds `limitBytes` already and the
    // point was not kept; Failed: a write error (lastError()).
    Append append(const std::string& line);
    // Up to `maxPoints` points from the first one not yet taken.
    Batch next(std::size_t maxPoints);
    // The server took everything before `end`.
    bool commit(std::uint64_t end);
    std::uint64_t pendingPoints() const;
    std::uint64_t pendingBytes() const;
    const std::string& path() const { return m_path; }
    const std::string& lastError() const { return m_error; }

private:
    std::string m_path;
    std::uint64_t m_limit;
    int m_fd = -1;
    std::uint64_t m_sent = 0;     // offset of the first point not taken
    std::uint64_t m_size = 0;     // bytes of whole lines in the file
    std::uint64_t m_pending = 0;  // points after m_sent
    std::string m_error;
};

}  // namespace calvex
