#include "ui/lists/list_windows.h"

#include "session/session.h"
#include "ui/lists/list_window.h"

namespace calvex {

namespace {

const char* const kListFull =
    "The Real Time List is full: it holds 58300 rows and takes no more.\n"
    "Save or print them, then close the list to start a new one.";
const char* const kModelChanged = "Another instrument model is connected, so the Real Time List closes.";
const char* const kModelChangedSave =
    "Another instrument model is connected, so the Real Time List closes.\n"
    "Save its rows first?";
const char* const kListKept =
    "The rows were not saved. The Real Time List stays open with them and takes no more rows;\n"
    "save or print them, then close it.";

}  // namespace

ListWindows::ListWindows(Session& session) : m_session(session) {}

ListWindows::~ListWindows() {
    for (auto& pair : m_windows)
        for (QPointer<ListWindow>& window : pair)
            delete window.data();
}

QPointer<ListWindow>& ListWindows::slot(ListKind kind, bool dual) {
    return m_windows[static_cast<std::size_t>(kind)][dual ? 1 : 0];
}

ListWindow* ListWindows::open(ListKind kind, bool dual) {
    ListWindow* window = slot(kind, dual).data();
    return window != nullptr && !window->unloaded() ? window : nullptr;
}

TableWindow* ListWindows::window(ListKind kind, bool dual) {
    return open(kind, dual);
}

TableWindow* ListWindows::show(ListKind kind, bool dual) {
    ListWindow* window = open(kind, dual);
    if (window == nullptr) {
        // The "List" command opens the list of the model now connected; a list of the other model
        // still taking rows has lost its instrument.
        if (kind == ListKind::RealTime) {
            if (ListWindow* other = open(kind, !dual); other != nullptr && other->takingRows())
                endForModelChange(*other);
        }
        window = new ListWindow(m_session, kind, dual, m_printing);
        slot(kind, dual) = window;
    }
    window->show();
    return window;
}

void ListWindows::unload(ListKind kind, bool dual) {
    if (ListWindow* window = open(kind, dual))
        window->close();
}

ListWindow* ListWindows::takingRows() {
    for (const bool dual : {true, false}) {
        ListWindow* list = open(ListKind::RealTime, dual);
        if (list != nullptr && list->takingRows())
            return list;
    }
    return nullptr;
}

void ListWindows::stopTakingRows(ListWindow& list) {
    list.stopTakingRows();
    m_session.ListOpen = false;
    m_session.ListCount = 0;
}

void ListWindows::appendRealTimeRow(const std::string& sampleText) {
    Session& s = m_session;
    if (!s.ListOpen)
        return;
    ListWindow* list = takingRows();
    if (list == nullptr) {
        s.ListOpen = false;
        s.ListCount = 0;
        return;
    }
    // A row of the other model does not fit the list's columns.
    if (s.state.DualModel != list->dualModelAtStart()) {
        endForModelChange(*list);
        return;
    }

    s.ListCount += 1;
    Grid& grid = list->grid();
    grid.addItem(std::to_string(static_cast<long>(s.ListCount)) + '\t' + sampleText);
    grid.setRow(grid.rows() - 1);
    keepNewestRowInView(*list);

    if (s.ListCount == kRowLimit) {
        stopTakingRows(*list);
        s.dialogs.notify(kListFull, kCriticalStop);
    }
}

void ListWindows::keepNewestRowInView(ListWindow& list) {
    Grid& grid = list.grid();
    const int newest = grid.rows() - 1;
    const int fit = list.rowsInView();
    const int lastShown = grid.topRow() + fit - 1;
    // The list follows its newest row while the row before it was in view; a user who has
    // scrolled back to older rows keeps his place.
    if (newest > lastShown && newest - 1 <= lastShown)
        grid.setTopRow(newest - fit + 1);
}

void ListWindows::endForModelChange(ListWindow& list) {
    Session& s = m_session;
    stopTakingRows(list);
    const QPointer<ListWindow> guard(&list);
    if (list.grid().rows() < 2) {
        s.dialogs.notify(kModelChanged, kCriticalStop);
        list.close();
        return;
    }
    // The question is asked without holding the sampling tick; the list, which takes no more rows,
    // waits for the answer.
    s.dialogs.ask(kModelChangedSave, [&s, guard](bool yes) {
        if (guard == nullptr || guard->unloaded())
            return;
        if (yes && !guard->save()) {
            // The user wants these rows and they are not on disk yet: the list stays for another try.
            if (guard != nullptr && !guard->unloaded())
                s.dialogs.notify(kListKept, kCriticalStop);
            return;
        }
        if (guard != nullptr && !guard->unloaded())
            guard->close();
    });
}

}  // namespace calvex
