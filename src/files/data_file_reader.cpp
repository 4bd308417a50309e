#include "files/data_file_reader.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <filesystem>
#include <new>

#include "files/progress_throttle.h"
#include "files/system_reason.h"
#include "lists/grid.h"
#include "session/session.h"

namespace calvex {

namespace {

constexpr int kInformation = 64;

// Fills the file list that the first line picks, counting the rows in its caption (paced: the
// count shown may lag behind the rows read, and the caption ends with the file's name anyway).
class FileListSink : public DataFileSink {
public:
    FileListSink(ListsApi& lists, const Clock& clock, std::string title)
        : m_lists(lists), m_progress(clock), m_title(std::move(title)) {}

    bool start(bool dual) override {
        m_dual = dual;
        m_window = m_lists.show(ListKind::File, dual);
        if (m_window == nullptr)
            return false;
        m_window->setCaption(m_title);
        m_window->grid().setRows(1);
        return true;
    }
    void record(std::string_view line) override {
        // The list hears of the rows when the count is shown, and at the end.
        m_window->grid().addItemUntold(line);
        ++m_count;
        if (m_progress.due()) {
            m_window->grid().tellAppended();
            m_window->setCaption(std::to_string(m_count) + " Records Completed");
        }
    }

    // Every row told, and the caption back to the file's name.
    void done() {
        if (m_window != nullptr) {
            m_window->grid().tellAppended();
            m_window->setCaption(m_title);
        }
    }
    // The list goes, and the memory its rows hold with it: at once, not when the closed window is
    // deleted (a message box shown next runs no deferred deletion), and the heap they leave is
    // handed back to the system.
    void drop() {
        if (m_window != nullptr) {
            m_window->grid().setRows(1);
            m_lists.unload(ListKind::File, m_dual);
        }
        m_window = nullptr;
#ifdef __GLIBC__
        malloc_trim(0);
#endif
    }
    bool shown() const {
        return m_window != nullptr;
    }

private:
    ListsApi& m_lists;
    ProgressThrottle m_progress;
    std::string m_title;
    TableWindow* m_window = nullptr;
    bool m_dual = false;
    long m_count = 0;
};

// The reason stands in the text once; a message box that also shows its details would repeat it.
void report(Session& session, const std::string& text, const std::string& reason) {
    session.dialogs.message(text + "\n\n" + reason, kCriticalStop);
}

}  // namespace

bool OpenDataFile(Session& session, const std::string& path, DataFileLimits limits) {
    using Outcome = DataFileReader::Outcome;
    // Opened and looked at before the lists close, so a file that cannot be shown leaves the shown
    // list alone.
    DataFileReader file(path, limits);
    const std::string notOpened = "The file could not be opened:\n" + path;
    const std::string tooLarge = "The file is too large to open:\n" + path;
    switch (file.opened()) {
        case Outcome::Read:
            break;
        case Outcome::NotRegular:
            report(session, notOpened, std::string("It is ") + file.kind() + ", not a data file.");
            return false;
        case Outcome::TooLarge:
            report(session, tooLarge,
                   "It holds " + std::to_string(file.size()) +
                       " bytes; the program opens data files of at most " + std::to_string(limits.bytes) +
                       " bytes.");
            return false;
        default:
            report(session, notOpened, systemReason(file.error()));
            return false;
    }
    if (session.lists == nullptr)
        return false;
    session.lists->unload(ListKind::File, false);
    session.lists->unload(ListKind::File, true);

    FileListSink list(*session.lists, session.clock, std::filesystem::path(path).filename().string());
    Outcome outcome = file.read(list);
    try {
        list.done();
    } catch (const std::bad_alloc&) {
        // The list's view could not take in the last rows.
        outcome = Outcome::OutOfMemory;
    }

    const std::string notRead = "The file could not be read to its end:\n" + path;
    const std::string kept =
        file.records() > 0 ? "\n\nThe list shows the records read before the error." : "";
    switch (outcome) {
        case Outcome::Read:
            return true;
        case Outcome::Grew:
            session.dialogs.message("The file was being written while it was read:\n" + path + "\n\nThe " +
                                        std::to_string(file.records()) +
                                        " whole records it held when the reading began are shown.",
                                    kInformation);
            return true;
        case Outcome::Refused:
            return false;
        case Outcome::Empty:
            session.dialogs.message("The file holds no records:\n" + path, kInformation);
            return false;
        case Outcome::TooManyRecords:
            list.drop();
            report(session, tooLarge,
                   "It holds more than " + std::to_string(limits.records) +
                       " records; a file list holds at most that many.");
            return false;
        case Outcome::OutOfMemory:
            list.drop();
            report(session, tooLarge, "The program ran out of memory while it read the file.");
            return false;
        case Outcome::Shrank: {
            const std::string reason =
                "The file became shorter while it was read: " + std::to_string(file.bytesRead()) +
                " of its " + std::to_string(file.size()) + " bytes were read.";
            report(session, notRead, reason + kept);
            return false;
        }
        case Outcome::Changed: {
            const std::string reason = "The file changed while it was read.";
            report(session, notRead, reason + kept);
            return false;
        }
        default: {
            const std::string reason = systemReason(file.error());
            report(session, notRead, reason + kept);
            return false;
        }
    }
}

}  // namespace calvex
