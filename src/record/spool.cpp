#include "record/spool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

namespace calvex {

namespace {

// Reads go by chunks of this size, so a spool of any size is scanned in bounded memory.
constexpr std::size_t kChunk = 64 * 1024;
// No point of ours comes near this; a longer "line" is damage, and is passed over rather than held
// in memory whole.
constexpr std::size_t kMaxLine = 64 * 1024;

std::string failure(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// pread() whole or to the end of the file, through interruptions; -1 on an error.
ssize_t readAt(int fd, char* buffer, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The offset just after the last "\n" before `size`, or 0 when there is none.
bool lastLineEnd(int fd, std::uint64_t size, std::uint64_t& end) {
    std::vector<char> buffer(kChunk);
    std::uint64_t to = size;
    while (to > 0) {
        const std::uint64_t from = to > kChunk ? to - kChunk : 0;
        const auto length = static_cast<std::size_t>(to - from);
        if (readAt(fd, buffer.data(), length, from) != static_cast<ssize_t>(length))
            return false;
        for (std::size_t i = length; i > 0; --i) {
            if (buffer[i - 1] == '\n') {
                end = from + i;
                return true;
            }
        }
        to = from;
    }
    end = 0;
    return true;
}

bool countLines(int fd, std::uint64_t from, std::uint64_t to, std::uint64_t& lines) {
    std::vector<char> buffer(kChunk);
    lines = 0;
    while (from < to) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - from));
        if (readAt(fd, buffer.data(), length, from) != static_cast<ssize_t>(length))
            return false;
        lines += static_cast<std::uint64_t>(std::count(buffer.begin(), buffer.begin() + length, '\n'));
        from += length;
    }
    return true;
}

// The offset the .sent file holds, or 0 when it is missing or says anything but a plain decimal
// number. 0 is always safe: at worst points the server already took go again, with their same
// bytes and timestamps, and each overwrites itself there.
std::uint64_t readSentFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32];
    const ssize_t n = readAt(fd, text, sizeof text, 0);
    ::close(fd);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof text))
        return 0;
    std::size_t length = static_cast<std::size_t>(n);
    if (text[length - 1] == '\n')
        --length;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text, text + length, value);
    if (error != std::errc() || end != text + length || length == 0)
        return 0;
    return value;
}

// Replaces the .sent file whole, so a crash leaves either the old offset or the new one.
bool saveOffset(const std::string& path, std::uint64_t offset, std::string& error) {
    const std::string sentPath = path + ".sent";
    const std::string temporary = sentPath + ".new";
    const std::string text = std::to_string(offset) + "\n";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = failure("cannot write", temporary);
        return false;
    }
    const bool written = writeAll(fd, text.data(), text.size());
    if (!written)
        error = failure("cannot write", temporary);
    ::close(fd);
    if (written && ::rename(temporary.c_str(), sentPath.c_str()) != 0) {
        error = failure("cannot replace", sentPath);
        return false;
    }
    return written;
}

// Everything was taken: the offset goes to 0 first, then the file. Between the two steps the disk
// holds every point behind an offset of 0, so a crash there sends them all once more with the same
// bytes. The other order would leave the old offset over an empty file, and the points appended
// after it would be skipped up to that offset.
bool emptySpool(int fd, const std::string& path, std::string& error) {
    if (!saveOffset(path, 0, error))
        return false;
    if (::ftruncate(fd, 0) != 0) {
        error = failure("cannot empty the spool", path);
        return false;
    }
    return true;
}

}  // namespace

Spool::Spool(std::string path, std::uint64_t limitBytes) : m_path(std::move(path)), m_limit(limitBytes) {}

Spool::~Spool() {
    if (m_fd >= 0)
        ::close(m_fd);  // also gives the lock up
}

bool Spool::open(std::string& why) {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_sent = m_size = m_pending = 0;
    // The folder is not made here: it is the one the user named beside the data file, and a
    // mistyped folder is better told than quietly planted as a new tree.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        const bool noFolder = errno == ENOENT;
        why = failure("cannot open the spool", m_path);
        if (noFolder)
            why += " (its folder must exist)";
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? "the spool " + m_path + " is in use by another calvex-record"
                                   : failure("cannot lock the spool", m_path);
        ::close(fd);
        return false;
    }
    m_fd = fd;
    struct stat status {};
    const bool known = ::fstat(m_fd, &status) == 0;
    if (!known || !S_ISREG(status.st_mode)) {
        why =
            known ? "the spool " + m_path + " is not a plain file" : failure("cannot read the spool", m_path);
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    // A write cut short by a crash leaves a piece of a line; it was never a point the server could
    // have taken, and cutting it keeps every line that follows whole.
    std::uint64_t whole = 0;
    if (!lastLineEnd(m_fd, static_cast<std::uint64_t>(status.st_size), whole) ||
        (whole < static_cast<std::uint64_t>(status.st_size) &&
         ::ftruncate(m_fd, static_cast<off_t>(whole)) != 0)) {
        why = failure("cannot repair the spool", m_path);
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    m_size = whole;

    // An offset past the end or inside a line cannot be ours (a spool emptied by hand, a file
    // half-written by a power cut): starting over at 0 resends, it never skips.
    std::uint64_t sent = readSentFile(m_path + ".sent");
    if (sent > m_size)
        sent = 0;
    if (sent > 0) {
        char before = 0;
        if (readAt(m_fd, &before, 1, sent - 1) != 1 || before != '\n')
            sent = 0;
    }
    m_sent = sent;
    if (!countLines(m_fd, m_sent, m_size, m_pending)) {
        why = failure("cannot read the spool", m_path);
        ::close(m_fd);
        m_fd = -1;
        return false;
    }
    // Everything was taken but the run ended before the spool was emptied.
    if (m_sent > 0 && m_sent == m_size && emptySpool(m_fd, m_path, m_error))
        m_sent = m_size = 0;
    return true;
}

Spool::Append Spool::append(const std::string& line) {
    if (m_fd < 0) {
        m_error = "the spool " + m_path + " is not open";
        return Append::Failed;
    }
    if (line.empty() || line.back() != '\n' || line.find('\n') != line.size() - 1 || line.size() > kMaxLine) {
        m_error = "not one point of at most 64 KiB ending in a new line";
        return Append::Failed;
    }
    if (m_size + line.size() > m_limit)
        return Append::Full;
    // One write() of the whole line: a kill -9 leaves either the line or a piece of it, which the
    // next open() cuts off.
    if (!writeAll(m_fd, line.data(), line.size())) {
        m_error = failure("cannot write to the spool", m_path);
        // A piece of the line may be in the file: cut it off so that the next point starts a line.
        if (::ftruncate(m_fd, static_cast<off_t>(m_size)) != 0)
            m_error += std::string(", and cannot cut it back: ") + std::strerror(errno);
        return Append::Failed;
    }
    m_size += line.size();
    ++m_pending;
    return Append::Kept;
}

Spool::Batch Spool::next(std::size_t maxPoints) {
    Batch batch;
    batch.end = m_sent;
    if (m_fd < 0)
        return batch;
    std::vector<char> buffer(kChunk);
    std::string line;       // the line read so far, when it began in an earlier chunk
    bool skipping = false;  // the line is longer than kMaxLine: it is passed over
    std::uint64_t at = m_sent;
    while (at < m_size && batch.points < maxPoints) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, m_size - at));
        if (readAt(m_fd, buffer.data(), length, at) != static_cast<ssize_t>(length)) {
            m_error = failure("cannot read the spool", m_path);
            break;
        }
        std::size_t from = 0;
        while (from < length && batch.points < maxPoints) {
            const char* start = buffer.data() + from;
            const auto* newline = static_cast<const char*>(std::memchr(start, '\n', length - from));
            const std::size_t piece = newline ? static_cast<std::size_t>(newline - start) + 1 : length - from;
            if (!skipping && line.size() + piece <= kMaxLine)
                line.append(start, piece);
            else {
                skipping = true;
                line.clear();
            }
            from += piece;
            if (!newline)
                break;
            if (!skipping) {
                batch.body += line;
                ++batch.points;
            }
            line.clear();
            skipping = false;
            batch.end = at + from;
        }
        at += length;
    }
    return batch;
}

bool Spool::commit(std::uint64_t end) {
    if (m_fd < 0 || end <= m_sent)
        return m_fd >= 0;
    char before = 0;
    if (end > m_size || readAt(m_fd, &before, 1, end - 1) != 1 || before != '\n') {
        m_error = "the offset " + std::to_string(end) + " is not the end of a point in " + m_path;
        return false;
    }
    std::uint64_t taken = 0;
    if (!countLines(m_fd, m_sent, end, taken)) {
        m_error = failure("cannot read the spool", m_path);
        return false;
    }
    // The server has these points whatever the disk says next: this run goes on after them. Should
    // the offset not reach the disk, the next run sends them again, which does no harm.
    m_sent = end;
    m_pending -= std::min(taken, m_pending);

    if (end < m_size)
        return saveOffset(m_path, end, m_error);
    if (!emptySpool(m_fd, m_path, m_error))
        return false;
    m_sent = m_size = m_pending = 0;
    return true;
}

std::uint64_t Spool::pendingPoints() const {
    return m_pending;
}

std::uint64_t Spool::pendingBytes() const {
    return m_size - m_sent;
}

}  // namespace calvex
