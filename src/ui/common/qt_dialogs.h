#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"
#include "platform/settings.h"

namespace calvex {

class QtDialogs : public Dialogs {
public:
    // Dialogs open over `parent` when it is set (the main window).
    void setParent(QWidget* parent) { m_parent = parent; }
    // The open and save dialogs start in the folder last used, kept in `settings` when it is set.
    void setSettings(Settings* settings) { m_settings = settings; }

    void message(const std::string& text, int style, const std::string& details,
                 const std::string& title) override;
    void notify(const std::string& text, int style, const std::string& details) override;
    bool question(const std::string& text, const std::string& title, bool defaultYes) override;
    void ask(const std::string& text, std::function<void(bool yes)> answered) override;
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override;
    std::string openFile() override;
    std::string saveFile() override;
    PictureChoice savePicture() override;
    void setBusy(bool busy) override;

    // The folder the open and save dialogs start in; empty for the current folder.
    QString startFolder() const;
    void rememberFolder(const std::string& chosen);

private:
    QPointer<QWidget> m_parent;
    int m_busyDepth = 0;
    Settings* m_settings = nullptr;
};

}  // namespace calvex
