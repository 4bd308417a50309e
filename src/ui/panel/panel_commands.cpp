#include "ui/panel/panel_commands.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "files/data_file_reader.h"
#include "instrument/text_format.h"
#include "live/recorder.h"
#include "platform/settings.h"

namespace calvex {

namespace {

// A whole answer that reads as a number: blanks, a sign, digits with at most one point.
bool isNumberText(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return false;
    const std::size_t last = text.find_last_not_of(' ');
    std::size_t i = first;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    bool digits = false;
    bool point = false;
    for (; i <= last; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

}  // namespace

std::optional<float> samplingTimeFromAnswer(const std::string& answer) {
    if (answer.empty() || !isNumberText(answer))
        return std::nullopt;
    const double seconds = std::clamp(roundHalfEven(leadingNumber(answer)), 1.0, 86400.0);
    return static_cast<float>(seconds);
}

// A run takes the instrument's model and unit when it starts; before the first frame there is
// neither, so such a run is refused with a word rather than started on a guess.
bool PanelCommands::readingHasArrived() {
    if (!m_session.state.Unit.isEmpty())
        return true;
    m_session.dialogs.message(
        "No reading has arrived from the instrument yet.\n\nWait until the panel shows the reading, then try "
        "again.",
        kCriticalStop);
    return false;
}

void PanelCommands::Toolbar1_ButtonClick(const std::string& key) {
    if (key == "Save") {
        if (m_session.state.RecordingOn || readingHasArrived())
            m_recorder.toggle();
    } else if (key == "Open") {
        open();
    } else if (key == "List") {
        if (readingHasArrived())
            list();
    } else if (key == "Graph") {
        if (m_session.graph != nullptr && readingHasArrived())
            m_session.graph->openGraph();
    } else if (key == "PC") {
        sampling();
    } else if (key == "AVG") {
        if (m_session.stats != nullptr && readingHasArrived())
            m_session.stats->openAvg();
    } else if (key == "Memory") {
        if (!m_session.state.MemoryOpen && m_session.memory != nullptr)
            m_session.memory->startDownload();
    }
}

void PanelCommands::open() {
    if (m_session.state.RecordingOn) {
        m_session.dialogs.message("Recording Mode!\n\rPlease stop recording!", kCriticalStop);
        return;
    }
    const std::string path = m_session.dialogs.openFile();
    if (path.empty() || path.back() == '/' || path.back() == '\\')
        return;
    openData(path);
}

void PanelCommands::openRecent(const std::string& path) {
    if (m_session.state.RecordingOn) {
        m_session.dialogs.message("Recording Mode!\n\rPlease stop recording!", kCriticalStop);
        return;
    }
    std::error_code error;
    const std::filesystem::file_type type = std::filesystem::status(path, error).type();
    if (type != std::filesystem::file_type::regular) {
        const std::string why = type == std::filesystem::file_type::not_found
                                    ? "It has been moved, renamed or deleted."
                                : error ? error.message()
                                        : "It is not a file.";
        if (m_session.settings != nullptr)
            m_session.settings->removeRecentFile(path);
        m_session.dialogs.message("The file is no longer there:\n" + path, kCriticalStop, why);
        return;
    }
    openData(path);
}

void PanelCommands::openData(const std::string& path) {
    if (OpenDataFile(m_session, path) && m_session.settings != nullptr)
        m_session.settings->addRecentFile(path);
}

void PanelCommands::list() {
    InstrumentState& s = m_session.state;
    if (m_session.lists == nullptr)
        return;
    if (m_session.lists->window(ListKind::RealTime, s.DualModel) == nullptr) {
        m_session.lists->show(ListKind::RealTime, s.DualModel);
        m_session.ListOpen = true;
    }
}

void PanelCommands::sampling() {
    InstrumentState& s = m_session.state;
    const std::string answer =
        m_session.dialogs.inputBox("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ",
                                   "Input Sampling Time", plainNumber(s.SampleSeconds));
    if (answer.empty())
        return;
    const std::optional<float> seconds = samplingTimeFromAnswer(answer);
    if (!seconds) {
        m_session.dialogs.message(
            "The sampling time must be a number of seconds from 1 to 86400.\n"
            "It stays at " +
                plainNumber(s.SampleSeconds) + " s.",
            kCriticalStop);
        return;
    }
    s.SampleSeconds = *seconds;
    m_session.SampleTicks = 0;
    if (m_session.settings != nullptr)
        m_session.settings->setSampleSeconds(s.SampleSeconds);
}

}  // namespace calvex
