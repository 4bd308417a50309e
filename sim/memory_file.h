#pragma once

#include <string_view>
#include <vector>

#include "memory_store.h"

namespace calvex::sim {

// Reads logging sets from the simulator's memory text format (see --help):
//
//   # comment                    '#' starts a comment anywhere on a line
//   set 10 dual C K              starts a set: sampling seconds, model, unit, type
//   25.1 24.9                    one record per line: T1 and, for a dual set, T2
//   OL ----                      readings may be OL, -OL or ----
//
// and the one-line form used by --set: "10 dual C K: 25.1 24.9, OL ----" (records after the
// colon, separated by commas; a leading "set" is allowed). Errors throw SimError naming the line.
class MemoryFile {
public:
    static std::vector<LoggingSet> parse(std::string_view text);
    static LoggingSet parse_set_argument(std::string_view text);
};

}  // namespace calvex::sim
