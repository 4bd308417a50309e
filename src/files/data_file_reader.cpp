#include "files/data_file_reader.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <filesystem>
#include <functional>
#include <new>
#include <vector>

#include "files/progress_throttle.h"
#include "files/system_reason.h"
#include "lists/grid.h"
#include "platform/settings.h"
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

// Says why a file that could not be opened is refused; true when it is ready to be read.
bool reportOpened(Session& session, const DataFileReader& file, const std::string& path) {
    using Outcome = DataFileReader::Outcome;
    const std::string notOpened = "The file could not be opened:\n" + path;
    switch (file.opened()) {
        case Outcome::Read:
            return true;
        case Outcome::NotRegular:
            report(session, notOpened, std::string("It is ") + file.kind() + ", not a data file.");
            return false;
        case Outcome::TooLarge:
            report(session, "The file is too large to open:\n" + path,
                   "It holds " + std::to_string(file.size()) +
                       " bytes; the program opens data files of at most " +
                       std::to_string(file.limits().bytes) + " bytes.");
            return false;
        default:
            report(session, notOpened, systemReason(file.error()));
            return false;
    }
}

// Says what kept a file from being read whole; true when every record it held when it was opened
// was read. `drop` lets go of what a file too large to hold left behind; `kept` follows the reason
// when some records were read before an error.
bool reportRead(Session& session, const DataFileReader& file, DataFileReader::Outcome outcome,
                const std::string& path, const std::function<void()>& drop, const std::string& keptText) {
    using Outcome = DataFileReader::Outcome;
    const std::string tooLarge = "The file is too large to open:\n" + path;
    const std::string notRead = "The file could not be read to its end:\n" + path;
    const std::string kept = file.records() > 0 ? keptText : "";
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
            drop();
            report(session, tooLarge,
                   "It holds more than " + std::to_string(file.limits().records) +
                       " records; a file list holds at most that many.");
            return false;
        case Outcome::OutOfMemory:
            drop();
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

}  // namespace

bool OpenDataFile(Session& session, const std::string& path, DataFileLimits limits) {
    // Opened and looked at before the lists close, so a file that cannot be shown leaves the shown
    // list alone.
    DataFileReader file(path, limits);
    if (!reportOpened(session, file, path))
        return false;
    if (session.lists == nullptr)
        return false;
    session.lists->unload(ListKind::File, false);
    session.lists->unload(ListKind::File, true);

    FileListSink list(*session.lists, session.clock, std::filesystem::path(path).filename().string());
    DataFileReader::Outcome outcome = file.read(list);
    try {
        list.done();
    } catch (const std::bad_alloc&) {
        // The list's view could not take in the last rows.
        outcome = DataFileReader::Outcome::OutOfMemory;
    }
    return reportRead(
        session, file, outcome, path, [&list] { list.drop(); },
        "\n\nThe list shows the records read before the error.");
}

bool ReadDataFile(Session& session, const std::string& path, DataFileSink& sink, DataFileLimits limits) {
    DataFileReader file(path, limits);
    if (!reportOpened(session, file, path))
        return false;
    const DataFileReader::Outcome outcome = file.read(sink);
    return reportRead(
        session, file, outcome, path, [] {}, "");
}

void OpenGivenFiles(Session& session, const std::vector<std::string>& paths) {
    std::vector<std::string> usable;
    for (const std::string& path : paths) {
        const DataFileReader file(path, {});
        if (reportOpened(session, file, path))
            usable.push_back(path);
    }
    if (usable.empty())
        return;
    // The list shows one file at a time: the others wait at the top of the recent files, in the
    // order given, under the one shown.
    if (session.settings != nullptr)
        for (auto path = usable.rbegin(); path + 1 != usable.rend(); ++path)
            session.settings->addRecentFile(*path);
    if (OpenDataFile(session, usable.front()) && session.settings != nullptr)
        session.settings->addRecentFile(usable.front());
    if (usable.size() < 2)
        return;
    std::string others;
    for (std::size_t i = 1; i < usable.size(); ++i)
        others += "\n" + usable[i];
    session.dialogs.notify("The file list shows one file at a time:\n" + usable.front() +
                               "\n\nThe other files given are in Recent Files (Ctrl+Shift+O):" + others,
                           kInformation);
}

}  // namespace calvex
