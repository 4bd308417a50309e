#pragma once

#include <string>
#include <vector>

#include "files/data_file_parser.h"

namespace calvex {

struct Session;

// "Open": shows a data file in a file list. The file list windows are closed first; every line
// of the file becomes one row (the grid splits it at its TABs), and the first line's length
// picks the window: under 21 bytes FileList1 (single-input data), else FileList2.
// The caption counts the rows while the file is read and then shows the file's name.
//
// Only a regular file within `limits` is taken; anything else is refused with a message before
// the shown file list is closed. A file that cannot be opened or read to its end (a read error,
// or a file that shrank, was written to in place or was replaced while it was read) is reported with the
// reason, and the rows read before stay in the list, without the line cut short. A file with more records
// than the limit, or one the program runs out of memory for, is reported and leaves no window. An empty file
// shows no window and the user is told. Any bytes are accepted: lines end with CR LF, LF or a lone CR, and
// commas stay inside their row. A file that grows while it is read (a recording still writes it) shows the
// whole lines it held when the reading began, and an information message says so; that counts as shown.
// Returns whether the whole file was shown.
bool OpenDataFile(Session& session, const std::string& path, DataFileLimits limits = {});

// A data file read as "Open" reads it, the same checks and messages, into `sink` rather than a file
// list: a file that could not be read whole is reported and gives false (a file that grew while it
// was read gives its records and an information message, and true).
bool ReadDataFile(Session& session, const std::string& path, DataFileSink& sink, DataFileLimits limits = {});

// The files named on the program's command line, as "Open" takes them: each one that cannot be
// opened (missing, a folder, unreadable, too large) is reported by name; the first of the others
// is shown in its file list and every one of them goes to the recent files. The file list shows
// one file at a time, so when several were given the others wait in Recent Files, in the order
// given, and a message that does not wait for an answer says so.
void OpenGivenFiles(Session& session, const std::vector<std::string>& paths);

}  // namespace calvex
