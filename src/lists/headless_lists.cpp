#include "lists/headless_lists.h"

#include "lists/list_layout.h"

namespace calvex {

// The header row stays empty: headers are for the eye, and nothing here is looked at.
HeadlessTable::HeadlessTable(ListKind kind, bool dual)
    : m_grid(static_cast<int>(listLayout(kind, dual).columns.size()), 1),
      m_caption(listLayout(kind, dual).caption),
      m_dual(dual) {}

TableWindow* HeadlessLists::window(ListKind kind, bool dual) {
    const auto found = m_open.find({kind, dual});
    return found == m_open.end() ? nullptr : found->second.get();
}

TableWindow* HeadlessLists::show(ListKind kind, bool dual) {
    auto& table = m_open[{kind, dual}];
    if (!table)
        table = std::make_unique<HeadlessTable>(kind, dual);
    return table.get();
}

void HeadlessLists::unload(ListKind kind, bool dual) {
    m_open.erase({kind, dual});
}

}  // namespace calvex
