#include "record/influx_sink.h"

#include <QFile>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace calvex {

namespace {

// A token is one line of printable text; more than a few KiB is not a token.
bool readToken(const std::string& path, std::string& token, std::string& why) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        why = "cannot read the token file " + path + ": " + file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.read(16384).trimmed();
    if (bytes.isEmpty() || bytes.size() >= 16384 ||
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 32; })) {
        why = "the token file " + path + " does not hold one line of a token";
        return false;
    }
    token = bytes.toStdString();
    return true;
}

}  // namespace

InfluxSink::InfluxSink(const RecordOptions& options, std::string instrument, const Clock& clock,
                       std::function<void(const std::string&)> tell)
    : m_options(options), m_instrument(std::move(instrument)), m_clock(clock), m_tell(std::move(tell)) {}

std::string InfluxSink::spoolPath(const RecordOptions& options, const std::string& instrument,
                                  const char* stateDirectory) {
    std::filesystem::path folder;
    if (!options.spool.empty()) {
        folder = options.spool;
    } else if (stateDirectory != nullptr && *stateDirectory != '\0') {
        const std::string first(stateDirectory);
        folder = first.substr(0, first.find(':'));
    } else if (options.output != "-") {
        folder = std::filesystem::path(options.output).parent_path();
    }
    if (folder.empty())
        folder = ".";
    // One file per instrument; the name keeps to what any file system takes.
    std::string file;
    for (const char c : instrument)
        file += std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ? c : '_';
    if (file.empty() || file[0] == '.')
        file.insert(0, "_");
    return (folder / (file + ".spool")).string();
}

bool InfluxSink::open(std::string& why) {
    InfluxForwarder::Settings settings;
    settings.url = QUrl(QString::fromStdString(m_options.influx));
    if (!m_options.tokenFile.empty() && !readToken(m_options.tokenFile, settings.token, why))
        return false;
    m_spool = std::make_unique<Spool>(spoolPath(m_options, m_instrument, std::getenv("STATE_DIRECTORY")),
                                      m_options.spoolLimit);
    std::string spoolWhy;
    if (!m_spool->open(spoolWhy)) {
        why = "cannot use the spool " + m_spool->path() + ": " + spoolWhy;
        return false;
    }
    m_forwarder = std::make_unique<InfluxForwarder>(*m_spool, m_clock, settings, m_tell);
    m_forwarder->start();
    return true;
}

void InfluxSink::point(const SamplePoint& point) {
    const Spool::Append kept = m_spool->append(lineProtocol(point, m_instrument));
    if (kept == Spool::Append::Failed) {
        if (!m_failedTold)
            m_tell("spool " + m_spool->path() + " cannot be written (" + m_spool->lastError() +
                   "): points are not forwarded; the data file goes on");
        m_failedTold = true;
        return;
    }
    if (kept == Spool::Append::Kept && m_failedTold) {
        m_failedTold = false;
        m_tell("spool can be written again");
    }
    m_forwarder->pointAdded(kept == Spool::Append::Kept);
}

std::string InfluxSink::summary() const {
    const std::uint64_t waiting = m_forwarder->pointsPending();
    std::string text = "  database: " + std::to_string(m_forwarder->pointsSent()) + " points sent";
    if (waiting > 0)
        text += ", " + std::to_string(waiting) + " waiting in " + m_spool->path() +
                " (the next run with this spool sends them)";
    return text + "\n";
}

}  // namespace calvex
