#include "sinks/spool.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace calvex {

namespace {

// Reads go by chunks of this size, so a spool of any size is scanned and copied in bounded memory.
constexpr std::size_t kChunk = 64 * 1024;
// No point of ours comes near this; a longer "line" is damage, and is passed over rather than held
// in memory whole.
constexpr std::size_t kMaxLine = 64 * 1024;
// Generations are counted from 0 one copy at a time, so a longer number is not a file of ours; the
// bound also keeps `gen + 1` from wrapping around onto a file in use.
constexpr std::size_t kMaxGenerationDigits = 18;
constexpr std::uint64_t kLastGeneration = 999'999'999'999'999'999;

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

// Appends the bytes [from, to) of `in` to `out`.
bool copyBytes(int in, std::uint64_t from, std::uint64_t to, int out) {
    std::vector<char> buffer(kChunk);
    while (from < to) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, to - from));
        if (readAt(in, buffer.data(), length, from) != static_cast<ssize_t>(length) ||
            !writeAll(out, buffer.data(), length))
            return false;
        from += length;
    }
    return true;
}

bool parseNumber(const char*& at, const char* end, std::uint64_t& value) {
    const auto [stop, error] = std::from_chars(at, end, value);
    if (error != std::errc() || stop == at)
        return false;
    at = stop;
    return true;
}

// The generation a file name stands for, when it is one of the spool's points files.
std::optional<std::uint64_t> generationOf(const std::string& name) {
    constexpr std::string_view prefix = "points.";
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.size() - prefix.size() > kMaxGenerationDigits)
        return std::nullopt;
    std::uint64_t gen = 0;
    const char* at = name.data() + prefix.size();
    const char* end = name.data() + name.size();
    // Only the spelling the spool writes: "points.007" would be a second name for points.7.
    if (!parseNumber(at, end, gen) || at != end ||
        name.compare(prefix.size(), std::string::npos, std::to_string(gen)) != 0)
        return std::nullopt;
    return gen;
}

// "<gen> <offset>\n" from the sent file; false when it is missing or says anything else.
bool readSent(const std::string& path, std::uint64_t& gen, std::uint64_t& offset) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[64];
    const ssize_t n = readAt(fd, text, sizeof text, 0);
    ::close(fd);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof text))
        return false;
    const char* at = text;
    const char* end = text + n;
    if (end[-1] == '\n')
        --end;
    if (!parseNumber(at, end, gen) || at == end || *at++ != ' ' || !parseNumber(at, end, offset))
        return false;
    return at == end;
}

}  // namespace

Spool::Spool(std::string path, std::uint64_t limitBytes, std::uint64_t compactAfterBytes)
    : m_path(std::move(path)), m_limit(limitBytes), m_compactAfter(compactAfterBytes) {}

Spool::~Spool() {
    close();
}

void Spool::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_lock >= 0)
        ::close(m_lock);  // also gives the lock up
    m_fd = m_lock = -1;
}

std::string Spool::pointsPath(std::uint64_t gen) const {
    return m_path + "/points." + std::to_string(gen);
}

bool Spool::open(std::string& why) {
    close();
    m_gen = m_dropped = m_sent = m_size = m_pending = 0;
    struct stat status {};
    if (::stat(m_path.c_str(), &status) == 0) {
        // Never written to: a file here is someone else's (a data file named by mistake, or a spool
        // of the one-file kind that came before the folder).
        if (S_ISREG(status.st_mode)) {
            why = "the spool " + m_path +
                  " is a file, where the spool wants a folder of its own (give another path or move the "
                  "file away)";
            return false;
        }
        if (!S_ISDIR(status.st_mode)) {
            why = "the spool " + m_path + " is not a folder";
            return false;
        }
    } else if (errno != ENOENT) {
        why = failure("cannot reach the spool", m_path);
        return false;
    } else if (::mkdir(m_path.c_str(), 0755) != 0 && errno != EEXIST) {
        // Only the spool's own folder is made: its parent is the one the user named beside the data
        // file, and a mistyped folder is better told than quietly planted as a new tree.
        const bool noParent = errno == ENOENT;
        why = failure("cannot create the spool folder", m_path);
        if (noParent)
            why += " (its parent folder must exist)";
        return false;
    }

    const std::string lockPath = m_path + "/lock";
    m_lock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_lock < 0) {
        why = failure("cannot open", lockPath);
        return false;
    }
    if (::flock(m_lock, LOCK_EX | LOCK_NB) != 0) {
        why = errno == EWOULDBLOCK ? "the spool " + m_path + " is in use by another calvex-record"
                                   : failure("cannot lock the spool", lockPath);
        close();
        return false;
    }
    if (!resume(why)) {
        close();
        return false;
    }
    return true;
}

bool Spool::resume(std::string& why) {
    std::vector<std::uint64_t> gens;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_path, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name == "sent.new")  // a replacement of `sent` that never took place
            ::unlink(it->path().c_str());
        else if (const auto gen = generationOf(name))
            gens.push_back(*gen);
    }
    if (error) {
        why = "cannot list the spool " + m_path + ": " + error.message();
        return false;
    }
    std::sort(gens.begin(), gens.end());

    // `sent` names the generation in use; a file is only named once it holds every point its
    // predecessor had pending. So an older file is a predecessor already copied, and a newer one a
    // copy cut short: both go.
    std::uint64_t sentGen = 0;
    std::uint64_t offset = 0;
    const bool named =
        readSent(m_path + "/sent", sentGen, offset) && std::binary_search(gens.begin(), gens.end(), sentGen);
    // Without that word (a spool killed before its first `sent`, or `sent` lost or damaged) the
    // points go again from the start: resending is harmless, skipping is not.
    if (named) {
        m_gen = sentGen;
    } else if (gens.size() == 1) {
        m_gen = gens.front();
    } else if (gens.size() > 1) {
        // Either file may be the one in use, and the other could hold points it lacks: all of them
        // go, in order, to a new generation. Points present in two are sent twice, same bytes.
        if (!merge(gens, why))
            return false;
    }
    if (!named)
        offset = 0;

    const std::string points = pointsPath(m_gen);
    m_fd = ::open(points.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    struct stat status {};
    if (m_fd < 0 || ::fstat(m_fd, &status) != 0) {
        why = failure("cannot open", points);
        return false;
    }
    // A write cut short by a crash leaves a piece of a line; it was never a point the server could
    // have taken, and cutting it keeps every line that follows whole.
    std::uint64_t whole = 0;
    if (!lastLineEnd(m_fd, static_cast<std::uint64_t>(status.st_size), whole) ||
        (whole < static_cast<std::uint64_t>(status.st_size) &&
         ::ftruncate(m_fd, static_cast<off_t>(whole)) != 0)) {
        why = failure("cannot repair", points);
        return false;
    }
    m_size = whole;

    // An offset past the end or inside a line cannot be ours (points emptied by hand, a file
    // half-written by a power cut): starting over at 0 resends, it never skips.
    std::uint64_t sent = offset;
    if (sent > m_size)
        sent = 0;
    if (sent > 0) {
        char before = 0;
        if (readAt(m_fd, &before, 1, sent - 1) != 1 || before != '\n')
            sent = 0;
    }
    m_sent = sent;
    if (!countLines(m_fd, m_sent, m_size, m_pending)) {
        why = failure("cannot read", points);
        return false;
    }
    if ((!named || sent != offset) && !saveSent(m_gen, m_sent)) {
        why = m_error;
        return false;
    }
    for (const std::uint64_t gen : gens)
        if (gen != m_gen)
            ::unlink(pointsPath(gen).c_str());
    // Everything was taken, or a long stretch of it, before the last run ended. Not fatal when it
    // fails: the points are all there, and the next commit tries again.
    if (worthCompacting())
        compact();
    return true;
}

bool Spool::merge(const std::vector<std::uint64_t>& gens, std::string& why) {
    if (gens.back() == kLastGeneration) {
        why = "the spool " + m_path + " has used up its generation numbers";
        return false;
    }
    const std::uint64_t gen = gens.back() + 1;
    const std::string to = pointsPath(gen);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) {
        why = failure("cannot write", to);
        return false;
    }
    bool copied = true;
    for (const std::uint64_t from : gens) {
        const std::string path = pointsPath(from);
        const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status {};
        std::uint64_t whole = 0;
        copied = in >= 0 && ::fstat(in, &status) == 0 &&
                 lastLineEnd(in, static_cast<std::uint64_t>(status.st_size), whole) &&
                 copyBytes(in, 0, whole, out);
        if (!copied)
            why = failure("cannot gather the points of", path + " into " + to);
        if (in >= 0)
            ::close(in);
        if (!copied)
            break;
    }
    ::close(out);
    if (!copied || !saveSent(gen, 0)) {
        if (copied)
            why = m_error;
        ::unlink(to.c_str());
        return false;
    }
    m_gen = gen;
    return true;
}

// Replaces `sent` whole, so a crash leaves either the old word or the new one.
bool Spool::saveSent(std::uint64_t gen, std::uint64_t offset) {
    const std::string sent = m_path + "/sent";
    const std::string temporary = sent + ".new";
    const std::string text = std::to_string(gen) + " " + std::to_string(offset) + "\n";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = failure("cannot write", temporary);
        return false;
    }
    const bool written = writeAll(fd, text.data(), text.size());
    if (!written)
        m_error = failure("cannot write", temporary);
    ::close(fd);
    if (written && ::rename(temporary.c_str(), sent.c_str()) != 0) {
        m_error = failure("cannot replace", sent);
        return false;
    }
    return written;
}

bool Spool::worthCompacting() const {
    const std::uint64_t tail = m_size - m_sent;
    // A copy of the pending tail is paid for by at least as many taken bytes, so a long backlog is
    // copied a bounded number of times while it drains.
    return m_sent > 0 && m_sent >= tail && (tail == 0 || m_sent >= m_compactAfter);
}

// Drops what was taken: the pending tail goes to the next generation, `sent` names it, the old file
// goes. Killed before `sent` is replaced, the next open() finds the old generation named and removes
// the partial copy; killed after, it finds the new one named and removes the old file.
//
// Emptying the spool when everything was taken is this same copy of an empty tail. Truncating the
// file in place would need `sent` set to 0 first (else points appended later would hide behind the
// old offset), and a crash between the two would resend every point taken; here `sent` moves in one
// rename from "everything taken" to "a new, empty file".
bool Spool::compact() {
    if (m_gen == kLastGeneration) {
        m_error = "the spool " + m_path + " has used up its generation numbers";
        return false;
    }
    const std::uint64_t gen = m_gen + 1;
    const std::string to = pointsPath(gen);
    const int fd = ::open(to.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = failure("cannot write", to);
        return false;
    }
    if (!copyBytes(m_fd, m_sent, m_size, fd)) {
        m_error = failure("cannot copy the points to", to);
        ::close(fd);
        ::unlink(to.c_str());
        return false;
    }
    if (!saveSent(gen, 0)) {
        ::close(fd);
        ::unlink(to.c_str());
        return false;
    }
    const std::string from = pointsPath(m_gen);
    ::close(m_fd);
    m_fd = fd;
    m_gen = gen;
    m_dropped += m_sent;
    m_size -= m_sent;
    m_sent = 0;
    // Left behind, the old file costs disk until the next open() removes it; nothing is lost.
    if (::unlink(from.c_str()) != 0) {
        m_error = failure("cannot remove", from);
        return false;
    }
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
    if (m_size + line.size() > m_limit) {
        // Taken points may be what fills the file: dropping them makes room, as long as the copy
        // frees at least what it costs (else a nearly full spool would be copied for every point).
        if (m_sent == 0 || m_sent < m_size - m_sent)
            return Append::Full;
        const std::uint64_t gen = m_gen;
        if (!compact() && m_gen == gen)
            return Append::Failed;
        if (m_size + line.size() > m_limit)
            return Append::Full;
    }
    // One write() of the whole line: a kill -9 leaves either the line or a piece of it, which the
    // next open() cuts off.
    if (!writeAll(m_fd, line.data(), line.size())) {
        m_error = failure("cannot write to", pointsPath(m_gen));
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
    batch.end = m_dropped + m_sent;
    if (m_fd < 0)
        return batch;
    std::vector<char> buffer(kChunk);
    std::string line;       // the line read so far, when it began in an earlier chunk
    bool skipping = false;  // the line is longer than kMaxLine: it is passed over
    std::uint64_t at = m_sent;
    while (at < m_size && batch.points < maxPoints) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, m_size - at));
        if (readAt(m_fd, buffer.data(), length, at) != static_cast<ssize_t>(length)) {
            m_error = failure("cannot read", pointsPath(m_gen));
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
            batch.end = m_dropped + at + from;
        }
        at += length;
    }
    return batch;
}

bool Spool::commit(std::uint64_t end) {
    if (m_fd < 0) {
        m_error = "the spool " + m_path + " is not open";
        return false;
    }
    if (end <= m_dropped + m_sent)
        return true;  // taken already
    const std::uint64_t at = end - m_dropped;
    char before = 0;
    if (at > m_size || readAt(m_fd, &before, 1, at - 1) != 1 || before != '\n') {
        m_error = "the offset " + std::to_string(end) + " is not the end of a point in " + m_path;
        return false;
    }
    std::uint64_t taken = 0;
    if (!countLines(m_fd, m_sent, at, taken)) {
        m_error = failure("cannot read", pointsPath(m_gen));
        return false;
    }
    // The server has these points whatever the disk says next: this run goes on after them. Should
    // the offset not reach the disk, the next run sends them again, which does no harm.
    m_sent = at;
    m_pending -= std::min(taken, m_pending);

    if (!worthCompacting())
        return saveSent(m_gen, m_sent);
    const std::uint64_t gen = m_gen;
    if (compact())
        return true;
    if (m_gen != gen)
        return false;  // the new generation is in use; only the old file was left behind
    // The copy failed: the offset alone still records what was taken.
    const std::string copyError = m_error;
    m_error = saveSent(m_gen, m_sent) ? copyError : copyError + "; " + m_error;
    return false;
}

std::uint64_t Spool::pendingPoints() const {
    return m_pending;
}

std::uint64_t Spool::pendingBytes() const {
    return m_size - m_sent;
}

}  // namespace calvex
