#pragma once

#include <string>
#include <string_view>

namespace calvex {

struct Session;
class TableWindow;

// Writes the data rows of the window's grid to DataFileName as a list file: every cell of a row
// followed by a TAB, CR LF at the end of the line, the header row left out. The caption counts
// the rows while they are written and comes back afterwards.
//
// The table goes to a new file beside the target, which replaces the target only once the whole
// table is on disk: a failure (full disk, no permission, a read-only target) leaves the old file
// as it was, and is shown to the user with the system's reason. FileChosen is false afterwards.
// Returns whether the file was written.
bool SaveGridToFile(Session& session, TableWindow& window);

// One list file line of a grid row: its first `cols` cells, each followed by a TAB, then CR LF.
void appendListFileLine(std::string& out, std::string_view row, int cols);

}  // namespace calvex
