#pragma once

#include <QPointer>
#include <array>

#include "session/window_apis.h"

namespace calvex {

struct Session;
class ListWindow;

// The list windows as the rest of the program reaches them: at most one of each of List1/List2,
// FileList1/FileList2 and DataList1/DataList2, created when shown and gone when closed, and the
// rows the sampling timer appends to the open real-time list.
class ListWindows : public ListsApi {
public:
    explicit ListWindows(Session& session);
    ~ListWindows() override;
    ListWindows(const ListWindows&) = delete;
    ListWindows& operator=(const ListWindows&) = delete;

    TableWindow* window(ListKind kind, bool dual) override;
    TableWindow* show(ListKind kind, bool dual) override;
    void unload(ListKind kind, bool dual) override;
    void appendRealTimeRow(const std::string& sampleText) override;

    // The real-time list takes no more rows once it holds this many.
    static constexpr float kRowLimit = 58300;

private:
    QPointer<ListWindow>& slot(ListKind kind, bool dual);
    ListWindow* open(ListKind kind, bool dual);
    ListWindow* takingRows();
    void stopTakingRows(ListWindow& list);
    void keepNewestRowInView(ListWindow& list);
    void endForModelChange(ListWindow& list);

    Session& m_session;
    std::array<std::array<QPointer<ListWindow>, 2>, 3> m_windows;
    bool m_printing = false;
};

}  // namespace calvex
