#include "files/print_list.h"

#include <array>

#include "files/progress_throttle.h"
#include "lists/grid.h"
#include "session/session.h"

namespace calvex {

namespace {

struct PrintLayout {
    const char* heading;
    const char* rule;
    std::span<const int> widths;
};

constexpr std::array<int, 6> kDualWidths{7, 10, 7, 7, 7, 7};
constexpr std::array<int, 4> kSingleWidths{7, 10, 7, 7};

// Columns: number 0-6, time 7-16, then readings and unit 7 wide each. The single-input heading
// puts each word at the start of its column.
const PrintLayout kDual{"         Time     T1     T2    T1-T2 Unit",
                        "       -------- ------ ------ ------ ---", kDualWidths};
const PrintLayout kSingle{"         Time    Value  Unit", "       --------  ------ ----", kSingleWidths};

bool printList(Session& session, const ListAccessor& list, const EventPump& pump, const PrintLayout& layout) {
    TableWindow* window = list();
    if (window == nullptr)
        return false;
    Printer& printer = session.printer;

    session.dialogs.setBusy(true);
    // The poller is left as it is: the events pumped between lines keep the live reading, and a
    // recording or list running meanwhile, going.
    const std::string caption = window->caption();
    // The count shown may lag behind the lines printed; the caption comes back at the end anyway.
    ProgressThrottle progress(session.clock);

    bool closed = false;
    bool ok = printer.printLine(layout.heading) && printer.printLine(layout.rule);
    for (int i = 1; ok; ++i) {
        window = list();
        if (window == nullptr) {
            closed = true;
            break;
        }
        // Read again for every line: rows may arrive while the list prints.
        if (i >= window->grid().rows())
            break;
        const std::string line = printLine(window->grid(), i, layout.widths);
        if (progress.due())
            window->setCaption(std::to_string(i) + " record(s) completed");
        pump();
        if (list() == nullptr) {
            closed = true;
            break;
        }
        ok = printer.printLine(line);
    }
    if (ok && !closed)
        ok = printer.endDocument();
    std::string reason;
    if (!ok)
        reason = printer.lastError();
    if (!ok || closed)
        printer.abortDocument();

    session.dialogs.setBusy(false);
    if (TableWindow* open = list())
        open->setCaption(caption);

    if (!ok) {
        session.dialogs.message(
            "The list could not be printed:\n" + reason + "\n\nThe document has been cancelled.",
            kCriticalStop);
    } else if (closed) {
        session.dialogs.message(
            "The list was closed while it was being printed.\n\nThe document has been cancelled.",
            kCriticalStop);
    }
    return ok && !closed;
}

}  // namespace

std::string printLine(const Grid& grid, int row, std::span<const int> widths) {
    std::string line;
    for (std::size_t col = 0; col < widths.size(); ++col) {
        const std::string text = grid.cell(row, static_cast<int>(col));
        line += text;
        if (text.size() < static_cast<std::size_t>(widths[col]))
            line.append(static_cast<std::size_t>(widths[col]) - text.size(), ' ');
    }
    return line;
}

std::vector<std::string> listPrintLines(const Grid& grid, bool dual) {
    const PrintLayout& layout = dual ? kDual : kSingle;
    std::vector<std::string> lines{layout.heading, layout.rule};
    for (int i = 1; i < grid.rows(); ++i)
        lines.push_back(printLine(grid, i, layout.widths));
    return lines;
}

bool PrintDualList(Session& session, const ListAccessor& list, const EventPump& pump) {
    return printList(session, list, pump, kDual);
}

bool PrintSingleList(Session& session, const ListAccessor& list, const EventPump& pump) {
    return printList(session, list, pump, kSingle);
}

}  // namespace calvex
