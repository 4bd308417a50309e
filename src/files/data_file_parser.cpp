#include "files/data_file_parser.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

namespace calvex {

const char* fileKind(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

namespace {

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

}  // namespace

bool DataFileParser::take(std::string_view line) {
    if (m_records == 0 && !m_sink.start(isDualFirstLine(line))) {
        m_stop = Stop::Refused;
        return false;
    }
    if (m_records >= m_maxRecords) {
        m_stop = Stop::TooManyRecords;
        return false;
    }
    m_sink.record(line);
    ++m_records;
    return true;
}

bool DataFileParser::feed(const char* data, std::size_t size) {
    if (m_stop != Stop::None)
        return false;
    std::size_t i = 0;
    if (m_afterCR && size > 0) {
        if (data[0] == '\n') {
            i = 1;
            m_endOfLines = m_fed + 1;
            m_lastLineEnd = "\r\n";
        }
        m_afterCR = false;
    }
    std::size_t start = i;
    for (; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        const std::string_view piece(data + start, i - start);
        bool more = true;
        if (m_line.empty()) {
            more = take(piece);
        } else {
            m_line.append(piece);
            more = take(m_line);
            m_line.clear();
        }
        if (!more)
            return false;
        m_lastLineEnd = c == '\r' ? "\r" : "\n";
        if (c == '\r') {
            if (i + 1 == size) {
                m_afterCR = true;
            } else if (data[i + 1] == '\n') {
                ++i;
                m_lastLineEnd = "\r\n";
            }
        }
        m_endOfLines = m_fed + i + 1;
        start = i + 1;
    }
    m_line.append(data + start, size - start);
    m_fed += size;
    return true;
}

void DataFileParser::finish(bool whole) {
    if (whole && m_stop == Stop::None && !m_line.empty())
        take(m_line);
    m_line.clear();
    m_line.shrink_to_fit();
}

namespace {

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What a reading field may hold: a number, "----", "OL" or "-OL", at most 7 printable characters.
bool readingText(std::string_view text) {
    return text.size() <= 7 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 127; });
}

}  // namespace

RecordShape recordShape(std::string_view line) {
    constexpr std::size_t kMostFields = 7;
    std::string_view fields[kMostFields + 1];
    std::size_t count = 0;
    for (std::size_t from = 0;;) {
        const std::size_t tab = line.find('\t', from);
        if (count == kMostFields + 1)
            return RecordShape::NotARecord;
        fields[count++] =
            line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from);
        if (tab == std::string_view::npos)
            break;
        from = tab + 1;
    }
    if (count > 4 && fields[count - 1].empty())
        --count;  // a list's line
    if (count != 4 && count != 6)
        return RecordShape::NotARecord;
    const std::string_view time = fields[1];
    if (time.size() != 8 || time[2] != ':' || time[5] != ':' || !allDigits(time.substr(0, 2)) ||
        !allDigits(time.substr(3, 2)) || !allDigits(time.substr(6, 2)))
        return RecordShape::NotARecord;
    for (std::size_t k = 2; k + 1 < count; ++k)
        if (fields[k].empty() || !readingText(fields[k]))
            return RecordShape::NotARecord;
    const std::string_view unit = fields[count - 1];
    if (unit != "C" && unit != "F" && unit != "K")
        return RecordShape::NotARecord;
    if (fields[0].empty() || !allDigits(fields[0]))
        return RecordShape::NotARecord;
    if (fields[0].size() > 18)
        return RecordShape::NumberTooLarge;
    return count == 4 ? RecordShape::Single : RecordShape::Dual;
}

bool isRecordPrefix(std::string_view text, bool dual) {
    const std::size_t readings = dual ? 3 : 1;
    const std::size_t unitField = 2 + readings;
    std::size_t field = 0;
    for (std::size_t from = 0;; ++field) {
        const std::size_t tab = text.find('\t', from);
        const bool last = tab == std::string_view::npos;
        const std::string_view f = text.substr(from, last ? std::string_view::npos : tab - from);
        if (field == 0) {
            if ((f.empty() && !last) || f.size() > 18 || !allDigits(f))
                return false;
        } else if (field == 1) {
            constexpr std::string_view kTime = "00:00:00";
            if (f.size() > kTime.size() || (!last && f.size() != kTime.size()))
                return false;
            for (std::size_t k = 0; k < f.size(); ++k)
                if (kTime[k] == ':' ? f[k] != ':' : (f[k] < '0' || f[k] > '9'))
                    return false;
        } else if (field < unitField) {
            if ((!last && f.empty()) || !readingText(f))
                return false;
        } else if (field == unitField) {
            if (!(f.empty() && last) && f != "C" && f != "F" && f != "K")
                return false;
        } else if (field > unitField + 1 || !f.empty() || !last) {
            return false;  // only a list's closing TAB follows the unit
        }
        if (last)
            return true;
        from = tab + 1;
    }
}

DataFileReader::DataFileReader(const std::string& path, DataFileLimits limits)
    : m_path(path), m_limits(limits) {
    // The kind is looked at before opening: opening a pipe waits for a writer, and opening a
    // device may act on it (a serial port raises its lines).
    if (::stat(path.c_str(), &m_stat) != 0) {
        m_error = errno;
        m_outcome = Outcome::NotOpened;
        return;
    }
    if (!S_ISREG(m_stat.st_mode)) {
        m_kind = fileKind(m_stat.st_mode);
        m_outcome = Outcome::NotRegular;
        return;
    }
    // Checked again on what was opened, in case the name was given to something else meanwhile.
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno;
        m_outcome = Outcome::NotOpened;
        return;
    }
    if (::fstat(m_fd, &m_stat) != 0) {
        m_error = errno;
        m_outcome = Outcome::NotOpened;
    } else if (!S_ISREG(m_stat.st_mode)) {
        m_kind = fileKind(m_stat.st_mode);
        m_outcome = Outcome::NotRegular;
    } else if (size() > m_limits.bytes) {
        m_outcome = Outcome::TooLarge;
    }
}

DataFileReader::~DataFileReader() {
    if (m_fd >= 0)
        ::close(m_fd);
}

DataFileReader::Outcome DataFileReader::read(DataFileSink& sink) {
    if (m_outcome != Outcome::Read || m_fd < 0)
        return m_outcome;
    DataFileParser parser(sink, m_limits.records);
    try {
        m_outcome = readAll(parser);
    } catch (const std::bad_alloc&) {
        parser.finish(false);
        m_outcome = Outcome::OutOfMemory;
    }
    m_records = parser.records();
    ::close(m_fd);
    m_fd = -1;
    return m_outcome;
}

DataFileReader::Outcome DataFileReader::readAll(DataFileParser& parser) {
    // The file is read up to the size it had when it was opened; what it holds beyond that, or a
    // change meanwhile, means the list would not show the file as it is.
    const std::uint64_t expected = size();
    std::vector<char> chunk(1 << 16);
    while (m_bytesRead < expected) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), expected - m_bytesRead));
        const ssize_t got = ::read(m_fd, chunk.data(), want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            parser.finish(false);
            return Outcome::ReadError;
        }
        if (got == 0) {
            parser.finish(false);
            return Outcome::Shrank;
        }
        m_bytesRead += static_cast<std::uint64_t>(got);
        if (!parser.feed(chunk.data(), static_cast<std::size_t>(got))) {
            parser.finish(false);
            return parser.stop() == DataFileParser::Stop::Refused ? Outcome::Refused
                                                                  : Outcome::TooManyRecords;
        }
    }
    char extra = 0;
    ssize_t beyond = 0;
    do
        beyond = ::read(m_fd, &extra, 1);
    while (beyond < 0 && errno == EINTR);
    if (beyond < 0) {
        m_error = errno;
        parser.finish(false);
        return Outcome::ReadError;
    }
    struct stat now {};
    if (::fstat(m_fd, &now) != 0) {
        m_error = errno;
        parser.finish(false);
        return Outcome::ReadError;
    }
    // Lines added at the end leave the lines read as they were; a last line without its line end
    // is then one the writer had not finished, and is left out.
    const bool grew = beyond > 0 || now.st_size > m_stat.st_size;
    if ((!grew && !sameFile(now, m_stat)) || replaced()) {
        parser.finish(false);
        return Outcome::Changed;
    }
    parser.finish(!grew);
    switch (parser.stop()) {
        case DataFileParser::Stop::Refused:
            return Outcome::Refused;
        case DataFileParser::Stop::TooManyRecords:
            return Outcome::TooManyRecords;
        case DataFileParser::Stop::None:
            break;
    }
    if (parser.records() == 0)
        return Outcome::Empty;
    return grew ? Outcome::Grew : Outcome::Read;
}

bool DataFileReader::replaced() const {
    // Another file moved to the name, or the name removed: what was read is no longer the file.
    struct stat named {};
    if (::stat(m_path.c_str(), &named) != 0)
        return true;
    return named.st_dev != m_stat.st_dev || named.st_ino != m_stat.st_ino;
}

}  // namespace calvex
