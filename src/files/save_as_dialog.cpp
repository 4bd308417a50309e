#include "files/save_as_dialog.h"

#include <filesystem>

#include "platform/settings.h"
#include "session/session.h"

namespace calvex {

void SaveAsDialog(Session& session) {
    const std::string path = session.dialogs.saveFile();
    session.FileChosen = !std::filesystem::path(path).filename().empty();
    if (session.FileChosen) {
        session.DataFileName = path;
        if (session.settings != nullptr)
            session.settings->addRecentFile(path);
    }
}

}  // namespace calvex
