#pragma once

#include <string>

#include "session/session.h"

namespace calvex {

class Recorder;

// The commands of the main window's toolbar, told apart by their button keys.
class PanelCommands {
public:
    PanelCommands(Session& session, Recorder& recorder) : m_session(session), m_recorder(recorder) {}

    // Runs the command of a key; keys it does not know (also "Stop" and "Save1") do nothing.
    void Toolbar1_ButtonClick(const std::string& key);

    void open();
    void list();
    void sampling();

private:
    // True once a frame has told the model and unit; otherwise says so and gives false.
    bool readingHasArrived();

    Session& m_session;
    Recorder& m_recorder;
};

// The answer to the "PC" box as a sampling time: the nearest whole number (halves to even),
// clamped to 1..86400; nothing for an empty answer or one that is not a number.
std::optional<float> samplingTimeFromAnswer(const std::string& answer);

}  // namespace calvex
