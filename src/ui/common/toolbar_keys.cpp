#include "ui/common/toolbar_keys.h"

#include <QAction>
#include <QHelpEvent>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

namespace calvex {

namespace {

struct CommandKey {
    const char* key;
    QKeyCombination sequence;
};

const CommandKey kCommandKeys[] = {
    {"Save", Qt::CTRL | Qt::Key_S},   {"Open", Qt::CTRL | Qt::Key_O},
    {"List", Qt::CTRL | Qt::Key_L},   {"Graph", Qt::CTRL | Qt::Key_G},
    {"Plot", Qt::CTRL | Qt::Key_G},   {"AVG", Qt::CTRL | Qt::Key_M},
    {"PC", Qt::CTRL | Qt::Key_T},     {"Memory", Qt::CTRL | Qt::Key_D},
    {"Print", Qt::CTRL | Qt::Key_P},  {"Limit", Qt::CTRL | Qt::Key_R},
    {"Export", Qt::CTRL | Qt::Key_E}, {"Preview", Qt::CTRL | Qt::SHIFT | Qt::Key_P},
    {"Fit", Qt::CTRL | Qt::Key_F},
};

// The tool tips are the program's fixed texts (other code compares them), so the key is added only
// to the tip as it is shown.
class ShortcutTips : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip)
            return false;
        auto* button = qobject_cast<QToolButton*>(watched);
        const QAction* action = button != nullptr ? button->defaultAction() : nullptr;
        if (action == nullptr || action->shortcut().isEmpty())
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(
            help->globalPos(),
            action->toolTip() + " (" + action->shortcut().toString(QKeySequence::NativeText) + ")", button);
        return true;
    }
};

}  // namespace

QList<QKeySequence> toolbarShortcuts() {
    QList<QKeySequence> keys;
    for (const CommandKey& command : kCommandKeys)
        if (!keys.contains(QKeySequence(command.sequence)))
            keys.append(QKeySequence(command.sequence));
    return keys;
}

QKeySequence toolbarShortcut(const QString& key) {
    for (const CommandKey& c : kCommandKeys)
        if (key == c.key)
            return QKeySequence(c.sequence);
    return {};
}

void giveToolbarShortcuts(QToolBar& toolbar) {
    auto* tips = new ShortcutTips(&toolbar);
    for (QAction* action : toolbar.actions()) {
        // A hidden button only keeps a face for another one; its key would run nothing.
        if (!action->isVisible())
            continue;
        action->setShortcut(toolbarShortcut(action->data().toString()));
        if (QWidget* button = toolbar.widgetForAction(action))
            button->installEventFilter(tips);
    }
}

}  // namespace calvex
