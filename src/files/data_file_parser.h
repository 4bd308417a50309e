#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace calvex {

// The shortest first line of dual-input data, in bytes.
inline constexpr std::size_t kDualLineLength = 21;

// How much of a data file the program takes in. A list holds each record as its own text plus
// about 60 bytes of bookkeeping, so these keep an opened file well under a gigabyte: 256 MiB of
// text, or ten million records (a file of empty lines is ten megabytes of line ends but costs
// six hundred megabytes as rows). A recording never comes near either (58300 lines).
struct DataFileLimits {
    std::uint64_t bytes = 256u << 20;
    long records = 10'000'000;
};

// What a file that is not a regular one is: "a folder", "a pipe (FIFO)", "a device", "a socket".
const char* fileKind(mode_t mode);

// The reader's rule for the model of a file: its first line's length.
inline bool isDualFirstLine(std::string_view line) {
    return line.size() >= kDualLineLength;
}

// What a line of a data file is, as this program writes it: the record's number, its time
// (hh:mm:ss), one reading (single-input) or three (dual-input) of at most seven characters each,
// and the unit letter, TAB-separated; a line saved from a list ends in one more TAB. The number
// of a record holds at most 18 digits, so that numbering can go on from it in 64 bits.
enum class RecordShape { NotARecord, Single, Dual, NumberTooLarge };
RecordShape recordShape(std::string_view line);
// Whether `text` is what a record of that model (its first bytes, or all of it) would begin
// with: what a crash or a full disk leaves of a line being written.
bool isRecordPrefix(std::string_view text, bool dual);

// Receives a data file's records as they are read.
class DataFileSink {
public:
    virtual ~DataFileSink() = default;
    // Before the first record: the first line's length says which list shows the file. Returns
    // false when there is no list to fill, which ends the reading.
    virtual bool start(bool dual) = 0;
    virtual void record(std::string_view line) = 0;
};

// Cuts a data file's bytes into records, whatever size the pieces come in. CR LF, LF and a lone
// CR each end a line (a CR at the end of one piece and an LF at the start of the next are one line
// end); commas and any other bytes stay inside their record.
class DataFileParser {
public:
    enum class Stop { None, Refused, TooManyRecords };

    DataFileParser(DataFileSink& sink, long maxRecords) : m_sink(sink), m_maxRecords(maxRecords) {}

    // Returns false once reading must end (see stop()); the rest of the piece is not looked at.
    bool feed(const char* data, std::size_t size);
    // The file's end. The last line, when it has no line end, is a record only when `whole`: a
    // line that a read error or a changing file cut short is not one.
    void finish(bool whole);

    long records() const { return m_records; }
    Stop stop() const { return m_stop; }
    // The bytes fed so far up to the end of the last line end, and that line end ("\r\n", "\n",
    // "\r"; empty before the first). A CR at the end of what was fed may still get its LF.
    std::uint64_t endOfLines() const { return m_endOfLines; }
    std::string_view lastLineEnd() const { return m_lastLineEnd; }
    // What was fed after the last line end.
    std::string_view pending() const { return m_line; }

private:
    bool take(std::string_view line);

    DataFileSink& m_sink;
    long m_maxRecords;
    long m_records = 0;
    Stop m_stop = Stop::None;
    std::string m_line;
    bool m_afterCR = false;
    std::uint64_t m_fed = 0;
    std::uint64_t m_endOfLines = 0;
    std::string_view m_lastLineEnd;
};

// A data file as "Open" reads it: only a regular file within the limits, read to the end it had
// when it was opened. A file that a recording is still writing is read that far, which is the
// usual case of a logger's file, not a failure.
class DataFileReader {
public:
    enum class Outcome {
        Read,            // every record went to the sink
        Empty,           // a file without a single byte
        NotOpened,       // error() says why
        NotRegular,      // a folder, a pipe, a device or a socket; kind() names it
        TooLarge,        // more bytes than the limit
        TooManyRecords,  // more records than the limit; the sink holds the first ones
        OutOfMemory,     // an allocation failed while the records were taken in
        Refused,         // the sink had no list to fill
        ReadError,       // error() says why
        Shrank,          // the file ended before the size it had when it was opened
        Changed,         // the file was written to in place, cut back or replaced while it was read
        Grew,            // lines were added while it was read: the sink holds the whole lines
                         // the file held when it was opened, without a line cut short at that end
    };

    DataFileReader(const std::string& path, DataFileLimits limits);
    ~DataFileReader();
    DataFileReader(const DataFileReader&) = delete;
    DataFileReader& operator=(const DataFileReader&) = delete;

    // The outcome of opening: Read when the file is ready to be read.
    Outcome opened() const { return m_outcome; }
    // Reads the whole file into `sink` and closes it.
    Outcome read(DataFileSink& sink);

    int error() const { return m_error; }
    const char* kind() const { return m_kind; }
    std::uint64_t size() const { return static_cast<std::uint64_t>(m_stat.st_size); }
    std::uint64_t bytesRead() const { return m_bytesRead; }
    long records() const { return m_records; }
    const DataFileLimits& limits() const { return m_limits; }

private:
    Outcome readAll(DataFileParser& parser);
    bool replaced() const;

    std::string m_path;
    DataFileLimits m_limits;
    int m_fd = -1;
    struct stat m_stat {};
    Outcome m_outcome = Outcome::Read;
    int m_error = 0;
    const char* m_kind = "";
    std::uint64_t m_bytesRead = 0;
    long m_records = 0;
};

}  // namespace calvex
