#include "lists/list_windows.h"

#include "app/session.h"
#include "lists/list_window.h"

namespace calvex {

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

void ListWindows::appendRealTimeRow(const std::string& sampleText) {
    Session& s = m_session;
    if (!s.ListOpen)
        return;
    // The list the "List" command opened last; the other one only if that one has gone.
    ListWindow* list = open(ListKind::RealTime, s.state.DualModelAtStart);
    if (list == nullptr)
        list = open(ListKind::RealTime, !s.state.DualModelAtStart);
    if (list == nullptr) {
        s.ListOpen = false;
        s.ListCount = 0;
        return;
    }

    s.ListCount += 1;
    Grid& grid = list->grid();
    grid.addItem(std::to_string(static_cast<long>(s.ListCount)) + '\t' + sampleText);
    grid.setRow(grid.rows() - 1);
    if (grid.row() >= 16)
        grid.setTopRow(grid.topRow() + 1);

    if (s.ListCount == kRowLimit || s.state.DualModel != s.state.DualModelAtStart) {
        s.ListCount = 0;
        s.ListOpen = false;
        unload(ListKind::RealTime, true);
        unload(ListKind::RealTime, false);
    }
}

}  // namespace calvex
