#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QToolBar;

namespace calvex {

// The key that runs a toolbar command, by the button's key ("Save", "Print", ...); empty for a
// button that runs nothing. One table for every window, so a key means the same everywhere.
QKeySequence toolbarShortcut(const QString& key);
// Every key of that table, once each, for the help that lists them.
QList<QKeySequence> toolbarShortcuts();

// Gives each button of the toolbar its key (the button's data holds its key) and shows that key
// in the tip on screen, "Save As (Ctrl+S)", while the button's own tool tip stays as it is.
void giveToolbarShortcuts(QToolBar& toolbar);

}  // namespace calvex
