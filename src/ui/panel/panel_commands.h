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
    // Opens a file of the recent list as Open does; a file that is gone is said so and leaves the list.
    void openRecent(const std::string& path);
    void list();
    void sampling();

private:
    // Reads a data file into a list, and keeps it among the recent files when that worked.
    void openData(const std::string& path);
    // True once a frame has told the model and unit; otherwise says so and gives false.
    bool readingHasArrived();

    Session& m_session;
    Recorder& m_recorder;
};

// The answer to the "PC" box as a sampling time: the nearest whole number (halves to even),
// clamped to 1..86400; nothing for an empty answer or one that is not a number.
std::optional<float> samplingTimeFromAnswer(const std::string& answer);

}  // namespace calvex
