#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calvex {

// The points on their way to a database, on disk: each point is appended (and handed to the
// operating system) before it is sent, and only what the server took is given up. A run killed at
// any moment resumes from the folder: no point is lost, and a batch whose answer never came is sent
// again with the same bytes (a point with its own timestamp overwrites itself on the server).
//
// `path` is a folder of the spool's own, holding:
//   lock          locked while a calvex-record uses the spool, so a second one is refused;
//   points.<gen>  the points, one line each ("\n"), gen a decimal generation number;
//   sent          "<gen> <offset>\n": the points file in use and the offset of its first point not
//                 yet taken, replaced whole (a new file renamed over it).
// What the server took is dropped by copying the points not yet taken into the next generation,
// naming it in `sent`, and removing the old file: a server that answers as slowly as points come
// keeps the spool small although a point is always pending.
class Spool {
public:
    enum class Append { Kept, Full, Failed };
    struct Batch {
        std::string body;  // whole lines
        std::size_t points = 0;
        // Where the batch ends, for commit(). It stays valid while the spool drops what was taken,
        // so a batch in flight can be committed after points were appended.
        std::uint64_t end = 0;
    };

    // Taken points are dropped at once when nothing is pending; else once they fill
    // `compactAfterBytes` of the points file and are at least as many bytes as the points still
    // pending (so a copy never costs more than it frees).
    static constexpr std::uint64_t kCompactAfterBytes = 4 << 20;

    Spool(std::string path, std::uint64_t limitBytes, std::uint64_t compactAfterBytes = kCompactAfterBytes);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    // Opens or creates the spool's folder (its parent must exist) and resumes it: leftovers of an
    // interrupted copy are removed, a torn last line (a crash mid-write) is cut off, the offset of
    // what was sent is read back. False with `why` set when it cannot be used.
    bool open(std::string& why);
    // One point, a whole line ending in "\n". Full: the points file holds `limitBytes` already (and
    // dropping what was taken would not make room worth its copy), the point was not kept; Failed:
    // a write error (lastError()).
    Append append(const std::string& line);
    // Up to `maxPoints` points from the first one not yet taken.
    Batch next(std::size_t maxPoints);
    // The server took everything before `end`. False when that could not be recorded on disk or
    // dropping the taken points failed (lastError()); the spool goes on after `end` either way.
    bool commit(std::uint64_t end);
    std::uint64_t pendingPoints() const;
    std::uint64_t pendingBytes() const;
    const std::string& path() const { return m_path; }
    const std::string& lastError() const { return m_error; }

private:
    std::string pointsPath(std::uint64_t gen) const;
    bool saveSent(std::uint64_t gen, std::uint64_t offset);
    bool resume(std::string& why);
    bool merge(const std::vector<std::uint64_t>& gens, std::string& why);
    bool worthCompacting() const;
    bool compact();
    void close();

    std::string m_path;
    std::uint64_t m_limit;
    std::uint64_t m_compactAfter;
    int m_lock = -1;
    int m_fd = -1;  // points.<m_gen>
    std::uint64_t m_gen = 0;
    std::uint64_t m_dropped = 0;  // bytes dropped from the front since open(): Batch::end counts them
    std::uint64_t m_sent = 0;     // offset in the points file of the first point not taken
    std::uint64_t m_size = 0;     // bytes of whole lines in the points file
    std::uint64_t m_pending = 0;  // points after m_sent
    std::string m_error;
};

}  // namespace calvex
