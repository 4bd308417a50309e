#pragma once

#include <string>

namespace calvex {

// Qt keeps run-time files in $XDG_RUNTIME_DIR, which a desktop session provides and a session over
// SSH, cron or a service often does not; Qt then says so on standard error from every program.
// When the variable is missing, it is pointed at a folder of the user's own under the temporary
// folder (made, or taken when it is a folder of this user's that nobody else may enter), before
// Qt starts. Returns the folder in use ("" when none could be made: Qt then falls back itself).
std::string provideRuntimeFolder();

}  // namespace calvex
