#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace calvex {

struct Session;
class Grid;
class TableWindow;

// The list being printed, looked up again before every line: events run between the lines, so
// the window may be closed (and its rows gone) while it prints. nullptr once it has closed.
using ListAccessor = std::function<TableWindow*()>;
// Lets pending window events run once.
using EventPump = std::function<void()>;

// Print the list's rows as text lines on the session's printer: a heading and a rule line, then
// one line per data row, cells left-aligned in fixed widths (number 7, time 10, readings and unit
// 7). Polling stops while printing (events run once per line), the caption counts the lines and
// comes back at the end. Rows appended meanwhile are printed too.
//
// A printer failure cancels the document and is shown with the printer's reason; closing the
// window cancels the document. Returns whether the document was sent to the printer.
bool PrintDualList(Session& session, const ListAccessor& list, const EventPump& pump);
bool PrintSingleList(Session& session, const ListAccessor& list, const EventPump& pump);

// Every line the list's print sends, as the rows stand now: the heading, the rule, one line per
// data row. What a print preview shows.
std::vector<std::string> listPrintLines(const Grid& grid, bool dual);

// A row as printed: each of the first widths.size() cells followed by blanks up to its width; a
// longer cell is printed in full and pushes the rest of the line to the right.
std::string printLine(const Grid& grid, int row, std::span<const int> widths);

}  // namespace calvex
