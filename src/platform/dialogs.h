#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/picture_format.h"

namespace calvex {

// The program's name, the title of its message boxes.
inline constexpr const char* kProgramName = "Calvex";
// Message box style: OK button with the critical-stop icon.
inline constexpr int kCriticalStop = 16;

// Message boxes, input boxes, file dialogs and the busy pointer.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with an OK button; style 16 shows the critical-stop icon. `details` holds the
    // system's own explanation, shown on demand. `title` empty means the program's name.
    virtual void message(const std::string& text, int style = kCriticalStop, const std::string& details = {},
                         const std::string& title = {}) = 0;
    // A message that does not wait for the user: the box is shown and the caller goes on at once.
    // What a timer or the port reports goes this way, so that no sampling, recording, list, graph
    // or statistics run waits on a box another run raised. Where no box can stand open (no
    // display), it is the message itself.
    virtual void notify(const std::string& text, int style = kCriticalStop, const std::string& details = {}) {
        message(text, style, details);
    }
    // A question with Yes and No buttons; true when the user answers Yes. `title` empty means the
    // program's name. `defaultYes` false makes No the button that Enter presses.
    virtual bool question(const std::string& text, const std::string& title = {}, bool defaultYes = true) = 0;
    // A question that does not wait: `answered` runs with the answer once the user has given it.
    virtual void ask(const std::string& text, std::function<void(bool yes)> answered) {
        answered(question(text));
    }
    // An input box; returns the answer, or an empty text when the user cancels.
    virtual std::string inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;
    // The open-file dialog: the chosen full path, or empty when cancelled.
    virtual std::string openFile() = 0;
    // The save dialog with the filter "All Files (*.*)" and a prompt before replacing a file:
    // the chosen full path, or empty when cancelled.
    virtual std::string saveFile() = 0;
    // The save dialog of a chart's picture, with the filters "PNG image (*.png)", "SVG image
    // (*.svg)" and "PDF document (*.pdf)" and a prompt before replacing a file.
    virtual PictureChoice savePicture() = 0;
    // The hourglass pointer on (true) or the default pointer back (false).
    virtual void setBusy(bool busy) = 0;
};

}  // namespace calvex
