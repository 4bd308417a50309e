#pragma once

namespace calvex {

struct Session;

// Asks the user for a file to write. A chosen file sets DataFileName to its full path and
// FileChosen to true; a cancelled dialog (or a path without a file name) leaves FileChosen false
// and DataFileName as it was.
void SaveAsDialog(Session& session);

}  // namespace calvex
