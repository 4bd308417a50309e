#include "memory/set_decoding.h"

#include "files/progress_throttle.h"
#include "instrument/text_format.h"
#include "lists/grid.h"
#include "memory/memory_image.h"
#include "memory/record_row.h"
#include "memory/start_time.h"
#include "session/session.h"

namespace calvex {

namespace {

const char* const kStartPrompt = "Enter the STARTING TIME of recording\r\n (hh:nn:ss) ";
const char* const kStartTitle = "Input Starting Time";
const char* const kBadStartTime = "Invalid, comply with the data format properly\r\n";

// Asks until the answer has its two colons; nullopt when the user gives up (empty answer).
std::optional<int> askStartTime(Session& session) {
    const LocalDateTime now = session.clock.now();
    const std::string suggestion = formatTimeOfDay(now.hour * 3600 + now.minute * 60 + now.second);
    for (;;) {
        const std::string answer = session.dialogs.inputBox(kStartPrompt, kStartTitle, suggestion);
        if (answer.empty())
            return std::nullopt;
        if (const std::optional<int> start = parseStartTime(answer))
            return start;
        session.dialogs.message(kBadStartTime, kCriticalStop);
    }
}

}  // namespace

void decodeLoggingSet(Session& session, int setNumber) {
    if (session.lists) {
        if (session.lists->window(ListKind::Data, true))
            session.lists->unload(ListKind::Data, true);
        if (session.lists->window(ListKind::Data, false))
            session.lists->unload(ListKind::Data, false);
    }

    const std::optional<CollectedSet> set = collectSet(session.MemoryImage, setNumber);
    if (!set) {
        session.dialogs.message("Logging set " + std::to_string(setNumber) +
                                    " is not in the downloaded memory; download the memory again.",
                                kCriticalStop);
        return;
    }
    const std::optional<int> start = askStartTime(session);
    if (!start)
        return;
    if (!session.lists)
        return;

    // The set is decoded into a state of its own: the live reading, which the poller goes on
    // writing while the start time is asked and the rows are made, is never the set's, so a
    // recording or a list that runs meanwhile keeps sampling the instrument. The copy keeps the
    // last type letter, which a record with an unknown type code leaves as it was.
    InstrumentState state = session.state;
    // The set's own records say which instrument logged them, and so which list shows them.
    if (set->count() > 0)
        decodeRecord(state, std::string_view(set->records).substr(0, kRecordBytes));
    TableWindow* list = session.lists->show(ListKind::Data, state.DualModel);
    if (!list)
        return;
    const std::string caption = list->caption();

    session.dialogs.setBusy(true);
    // The count is shown as often as it can be read, and the list's view hears of the rows with it.
    ProgressThrottle progress(session.clock);
    Grid& grid = list->grid();
    decodeSetRows(state, set->records, set->sampling, *start, [&](std::size_t r, std::string row) {
        grid.addItemUntold(row);
        if (progress.due()) {
            grid.tellAppended();
            list->setCaption(std::to_string(r) + " Records Completed");
        }
    });
    grid.tellAppended();
    list->setCaption(caption);
    session.dialogs.setBusy(false);
}

}  // namespace calvex
