#pragma once

#include <QRect>
#include <QSettings>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace calvex {

// What the program remembers from one run to the next: the port, the sampling time, the folder of
// the file dialogs, the recent data files and where each window stood. Every value is checked as it
// is read; a file that cannot be read, or a value that makes no sense, is left out with one line on
// standard error, so a damaged file costs the user his choices, never the program.
class Settings {
public:
    // How many data files the recent list keeps.
    static constexpr std::size_t kRecentFiles = 8;

    // Reads the settings file at `filePath` (an INI file); a missing file is a first run.
    explicit Settings(const QString& filePath);
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The user's file: $XDG_CONFIG_HOME/calvex/calvex.conf, ~/.config/calvex/calvex.conf by default.
    static QString defaultPath();

    const QString& path() const { return m_path; }
    // Why something of the file was left out when it was read; empty when all of it was used.
    const std::string& problem() const { return m_problem; }

    // The COM port text last chosen: "COM1".."COM8" or "Auto".
    const std::optional<std::string>& port() const { return m_port; }
    void setPort(const std::string& text);

    // The sampling time last set, 1..86400 seconds.
    const std::optional<float>& sampleSeconds() const { return m_sampleSeconds; }
    void setSampleSeconds(float seconds);

    // The folder of the file last opened or saved, while it still exists; empty otherwise.
    std::string folder() const;
    void setFolderOf(const std::string& filePath);

    // The data files last opened or saved, the latest first, at most kRecentFiles, none twice.
    const std::vector<std::string>& recentFiles() const { return m_recent; }
    void addRecentFile(const std::string& filePath);
    void removeRecentFile(const std::string& filePath);

    // Where a window (by its object name) stood: its frame's top-left corner and its size.
    std::optional<QRect> windowGeometry(const QString& window) const;
    void setWindowGeometry(const QString& window, const QRect& geometry);

private:
    void read();
    void readPort();
    void readSampleSeconds();
    void readFolder();
    void readRecent();
    void readGeometries();
    void reject(const std::string& why);
    void write();

    QString m_path;
    // Null while the file on disk is not one to read or write through (garbage, too large).
    std::unique_ptr<QSettings> m_file;
    std::string m_problem;
    std::optional<std::string> m_port;
    std::optional<float> m_sampleSeconds;
    std::string m_folder;
    std::vector<std::string> m_recent;
    std::map<QString, QRect> m_geometries;
};

// A port text the COM Port window offers: "COM1".."COM8" or "Auto".
bool isPortText(const std::string& text);

// A window geometry that can be one: a size from 1 to 100000 pixels and a place within
// ±100000 pixels.
bool isPlausibleGeometry(const QRect& geometry);

}  // namespace calvex
