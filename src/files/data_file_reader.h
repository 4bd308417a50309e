#pragma once

#include <string>

namespace calvex {

struct Session;

// "Open": shows a data file in a file list. The file list windows are closed first; every line
// of the file becomes one row (the grid splits it at its TABs), and the first line's length
// picks the window: under 21 characters FileList1 (single-input data), else FileList2.
// The caption counts the rows while the file is read and then shows the file's name.
//
// A file that cannot be opened or read to its end is reported to the user with the system's
// reason (rows read before a read error stay in the list); an empty file shows no window and
// the user is told. Any bytes are accepted: lines end with CR LF, LF or a lone CR, and commas
// stay inside their row. Returns whether the whole file was shown.
bool OpenDataFile(Session& session, const std::string& path);

}  // namespace calvex
