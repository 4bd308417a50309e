#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace calvex {

namespace {

// A settings file is a few hundred bytes; anything much larger is not ours, and is not read.
constexpr qint64 kLargestFile = 1 << 20;
constexpr int kFarthest = 100000;

const QString kPort = QStringLiteral("port");
const QString kSampleSeconds = QStringLiteral("sampleSeconds");
const QString kFolder = QStringLiteral("folder");
const QString kRecent = QStringLiteral("recentFiles");
const QString kWindows = QStringLiteral("windows");

bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}

std::optional<QRect> geometryFromText(const QString& text) {
    const QStringList parts = text.split(' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QRect geometry(numbers[0], numbers[1], numbers[2], numbers[3]);
    if (!isPlausibleGeometry(geometry))
        return std::nullopt;
    return geometry;
}

QString geometryText(const QRect& geometry) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(geometry.x())
        .arg(geometry.y())
        .arg(geometry.width())
        .arg(geometry.height());
}

}  // namespace

bool isPortText(const std::string& text) {
    if (text == "Auto")
        return true;
    for (int n = 1; n <= 8; ++n)
        if (text == "COM" + std::to_string(n))
            return true;
    return false;
}

bool isPlausibleGeometry(const QRect& geometry) {
    return geometry.width() >= 1 && geometry.width() <= kFarthest && geometry.height() >= 1 &&
           geometry.height() <= kFarthest && std::abs(geometry.x()) <= kFarthest &&
           std::abs(geometry.y()) <= kFarthest;
}

Settings::Settings(const QString& filePath) : m_path(filePath) {
    read();
    if (!m_problem.empty())
        std::fprintf(stderr, "calvex: settings ignored: %s: %s\n", m_path.toLocal8Bit().constData(),
                     m_problem.c_str());
}

QString Settings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/calvex/calvex.conf");
}

void Settings::reject(const std::string& why) {
    // One line tells of everything left out, however much it is.
    m_problem += m_problem.empty() ? why : "; " + why;
}

void Settings::read() {
    const QFileInfo info(m_path);
    if (info.exists()) {
        if (!info.isFile()) {
            reject("not a file");
            return;
        }
        if (info.size() > kLargestFile) {
            reject("larger than a settings file can be");
            return;
        }
        // The INI reader takes nearly any bytes for something; a file that is not text is no
        // settings file, whatever keys the reader might find in it.
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            reject("cannot be read: " + file.errorString().toStdString());
            return;
        }
        const QByteArray bytes = file.read(kLargestFile + 1);
        QStringDecoder utf8(QStringDecoder::Utf8);
        [[maybe_unused]] const QString text = utf8(bytes);
        if (bytes.contains('\0') || utf8.hasError()) {
            reject("not a settings file (not text)");
            return;
        }
    }
    m_file = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    if (m_file->status() == QSettings::AccessError) {
        m_file.reset();
        reject("cannot be read");
        return;
    }
    if (m_file->status() == QSettings::FormatError) {
        m_file.reset();
        reject("not a settings file");
        return;
    }
    readPort();
    readSampleSeconds();
    readFolder();
    readRecent();
    readGeometries();
}

void Settings::readPort() {
    if (!m_file->contains(kPort))
        return;
    const QVariant value = m_file->value(kPort);
    if (isText(value) && isPortText(value.toString().toStdString()))
        m_port = value.toString().toStdString();
    else
        reject("port is not COM1 to COM8 or Auto");
}

void Settings::readSampleSeconds() {
    if (!m_file->contains(kSampleSeconds))
        return;
    const QVariant value = m_file->value(kSampleSeconds);
    bool ok = false;
    const double seconds = isText(value) ? value.toString().toDouble(&ok) : 0.0;
    if (ok && std::isfinite(seconds) && seconds >= 1 && seconds <= 86400 && std::floor(seconds) == seconds)
        m_sampleSeconds = static_cast<float>(seconds);
    else
        reject("sampleSeconds is not a whole number from 1 to 86400");
}

void Settings::readFolder() {
    if (!m_file->contains(kFolder))
        return;
    const QVariant value = m_file->value(kFolder);
    // A folder since removed is no damage: the dialogs just start where they would on a first run.
    if (!isText(value) || value.toString().isEmpty() || QDir::isRelativePath(value.toString()))
        reject("folder is not a folder's full path");
    else if (QFileInfo(value.toString()).isDir())
        m_folder = value.toString().toStdString();
}

void Settings::readRecent() {
    if (!m_file->contains(kRecent))
        return;
    const QVariant value = m_file->value(kRecent);
    QStringList files;
    if (isText(value)) {
        files << value.toString();
    } else if (value.typeId() == QMetaType::QStringList) {
        files = value.toStringList();
    } else {
        reject("recentFiles is not a list of files");
        return;
    }
    bool odd = false;
    for (const QString& file : files) {
        const std::string path = file.toStdString();
        if (file.isEmpty() || QDir::isRelativePath(file)) {
            odd = true;
            continue;
        }
        // A file since removed stays listed: choosing it tells the user it is gone.
        if (m_recent.size() < kRecentFiles &&
            std::find(m_recent.begin(), m_recent.end(), path) == m_recent.end())
            m_recent.push_back(path);
    }
    if (odd)
        reject("recentFiles holds what is not a file's full path");
}

void Settings::readGeometries() {
    m_file->beginGroup(kWindows);
    const QStringList names = m_file->childKeys();
    for (const QString& name : names) {
        const QVariant value = m_file->value(name);
        const std::optional<QRect> geometry =
            isText(value) ? geometryFromText(value.toString()) : std::nullopt;
        if (geometry)
            m_geometries[name] = *geometry;
        else
            reject("the place of window " + name.toStdString() + " is not \"x y width height\"");
    }
    m_file->endGroup();
}

void Settings::setPort(const std::string& text) {
    if (!isPortText(text))
        return;
    m_port = text;
    write();
}

void Settings::setSampleSeconds(float seconds) {
    if (!(seconds >= 1 && seconds <= 86400))
        return;
    m_sampleSeconds = seconds;
    write();
}

std::string Settings::folder() const {
    return !m_folder.empty() && QFileInfo(QString::fromStdString(m_folder)).isDir() ? m_folder
                                                                                    : std::string();
}

void Settings::setFolderOf(const std::string& filePath) {
    const QFileInfo file(QString::fromStdString(filePath));
    const QString folder = file.absolutePath();
    if (filePath.empty() || !QFileInfo(folder).isDir())
        return;
    m_folder = folder.toStdString();
    write();
}

void Settings::addRecentFile(const std::string& filePath) {
    if (filePath.empty())
        return;
    const std::string path = QFileInfo(QString::fromStdString(filePath)).absoluteFilePath().toStdString();
    m_recent.erase(std::remove(m_recent.begin(), m_recent.end(), path), m_recent.end());
    m_recent.insert(m_recent.begin(), path);
    if (m_recent.size() > kRecentFiles)
        m_recent.resize(kRecentFiles);
    write();
}

void Settings::removeRecentFile(const std::string& filePath) {
    const auto kept = std::remove(m_recent.begin(), m_recent.end(), filePath);
    if (kept == m_recent.end())
        return;
    m_recent.erase(kept, m_recent.end());
    write();
}

std::optional<QRect> Settings::windowGeometry(const QString& window) const {
    const auto found = m_geometries.find(window);
    if (found == m_geometries.end())
        return std::nullopt;
    return found->second;
}

void Settings::setWindowGeometry(const QString& window, const QRect& geometry) {
    if (window.isEmpty() || !isPlausibleGeometry(geometry))
        return;
    m_geometries[window] = geometry;
    write();
}

// The whole file is written from what was checked, so a value left out on reading does not linger.
void Settings::write() {
    if (!m_file) {
        // What stood there was not a settings file; the program's own takes its place.
        QFile::remove(m_path);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        m_file = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    }
    m_file->clear();
    if (m_port)
        m_file->setValue(kPort, QString::fromStdString(*m_port));
    if (m_sampleSeconds)
        m_file->setValue(kSampleSeconds, QString::number(static_cast<double>(*m_sampleSeconds)));
    if (!m_folder.empty())
        m_file->setValue(kFolder, QString::fromStdString(m_folder));
    if (!m_recent.empty()) {
        QStringList files;
        for (const std::string& file : m_recent)
            files << QString::fromStdString(file);
        m_file->setValue(kRecent, files);
    }
    m_file->beginGroup(kWindows);
    for (const auto& [name, geometry] : m_geometries)
        m_file->setValue(name, geometryText(geometry));
    m_file->endGroup();
    m_file->sync();
}

}  // namespace calvex
