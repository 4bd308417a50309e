#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/data_file_parser.h"
#include "platform/civil_date.h"

namespace calvex {

struct Session;

// One file of several drawn on one time line.
struct TimedFile {
    std::string path;
    bool csv = false;
    // Its records' dates are known: from the CSV's time stamps, or from a date in the file's name
    // (2026-12-10, or 20261210 standing alone or before a time as in 20261210-1430) for the day of
    // its first record.
    bool dated = false;
    // The records as the program's own TAB lines, as a file list holds them (a CSV row becomes
    // the line the TAB file holds for it).
    std::vector<std::string> rows;
    // Each record's local time in seconds from 1970-01-01 00:00 (dated) or from the first day of
    // the undated files, kNoTime for a record without a time (its time field is not hh:mm:ss). A time of day
    // earlier than the one before it in a TAB file is on the next day.
    std::vector<std::int64_t> seconds;
};

// The files, read and put on one time line.
struct DataFileSet {
    bool dual = false;
    // Every file is dated, so the time line's days are days of the calendar.
    bool dated = false;
    // In the order of their times: the dated files by their first record's date and time, then
    // the undated ones in the order given, each one starting on the day the one before it ends
    // (the next day when its first time of day is earlier than that one's last).
    std::vector<TimedFile> files;
};

// The date a file's name carries, as days from 1970-01-01; false when it carries none.
bool dateInFileName(const std::string& path, std::int64_t& days);

// Reads data files (the program's TAB files, or the CSV of calvex-record) for one picture. Each is
// read as "Open" reads it, with its checks and messages; on top of those a file is refused, naming
// it, when none of its lines is a record, when a CSV row is not one (its line is named), or when it
// holds the other model's records than the first file given. The records of all the files together
// stay within the limit of one file. Every refusal is said through the Session's dialogs and gives
// false.
bool readDataFileSet(Session& session, const std::vector<std::string>& paths, DataFileSet& set,
                     DataFileLimits limits = {});

}  // namespace calvex
