#include "record/record_options.h"

#include <QCommandLineParser>
#include <QStringList>
#include <QUrl>
#include <cmath>

#include "instrument/text_format.h"
#include "platform/port_map.h"
#include "sinks/influx_forwarder.h"
#include "sinks/sample_point.h"

namespace calvex {

namespace {

// "N=DEVICE" with N from 1 to 255 ("COMN=DEVICE" too) and a device that is not empty.
bool parseMapping(const QString& text, std::map<int, std::string>& devices) {
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0 || equals + 1 >= text.size())
        return false;
    QString number = text.left(equals);
    if (number.startsWith("COM", Qt::CaseInsensitive))
        number = number.mid(3);
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < 1 || n > 255 || number.startsWith('+') || number.startsWith('-'))
        return false;
    devices[n] = text.mid(equals + 1).toStdString();
    return true;
}

// A whole number of at least `low`, written as digits only.
std::optional<long> wholeNumber(const QString& text, long low, long high) {
    bool ok = false;
    const long value = text.toLong(&ok);
    if (!ok || text.startsWith('+') || value < low || value > high)
        return std::nullopt;
    return value;
}

// Bytes, or a whole number of K, M, G or T (powers of 1024).
std::optional<std::uint64_t> byteCount(const QString& text) {
    static const std::pair<QChar, int> units[] = {{'K', 10}, {'M', 20}, {'G', 30}, {'T', 40}};
    QString digits = text;
    int shift = 0;
    for (const auto& [letter, bits] : units) {
        if (text.endsWith(letter, Qt::CaseInsensitive) ||
            text.endsWith(QString(letter) + "iB", Qt::CaseInsensitive)) {
            digits = text.left(text.indexOf(letter, 0, Qt::CaseInsensitive));
            shift = bits;
        }
    }
    bool ok = false;
    const qulonglong n = digits.toULongLong(&ok);
    if (!ok || digits.startsWith('+') || n == 0 || n > (1ULL << 40) >> shift)
        return std::nullopt;
    const std::uint64_t bytes = static_cast<std::uint64_t>(n) << shift;
    if (bytes < (1ULL << 20))
        return std::nullopt;
    return bytes;
}

}  // namespace

int RecordOptions::comPort() const {
    if (port == "Auto")
        return 1;
    for (int n = 1; n <= kComPorts; ++n)
        if (port == "COM" + std::to_string(n))
            return n;
    // A device path: the number --com gives it, else COM1.
    for (const auto& [number, device] : devices)
        if (device == port)
            return number;
    return 1;
}

std::map<int, std::string> RecordOptions::deviceMap() const {
    std::map<int, std::string> map = devices;
    if (port != "Auto" && port.rfind("COM", 0) != 0)
        map[comPort()] = port;
    return map;
}

RecordOptions parseRecordOptions(const std::vector<std::string>& arguments) {
    RecordOptions o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version({"v", "version"}, "");
    const QCommandLineOption port("port", "", "PORT");
    const QCommandLineOption com("com", "", "N=DEVICE");
    const QCommandLineOption every("every", "", "SECONDS");
    const QCommandLineOption duration("duration", "", "SECONDS");
    const QCommandLineOption count("count", "", "N");
    const QCommandLineOption output({"o", "output"}, "", "FILE");
    const QCommandLineOption append("append", "");
    const QCommandLineOption quiet({"q", "quiet"}, "");
    const QCommandLineOption memory("memory", "");
    const QCommandLineOption set("set", "", "N");
    const QCommandLineOption start("start", "", "hh:mm:ss");
    const QCommandLineOption capture("capture", "", "FILE");
    const QCommandLineOption format("format", "", "FORMAT");
    const QCommandLineOption influx("influx", "", "URL");
    const QCommandLineOption tokenFile("influx-token-file", "", "FILE");
    const QCommandLineOption name("name", "", "NAME");
    const QCommandLineOption spool("spool", "", "DIR");
    const QCommandLineOption spoolLimit("spool-limit", "", "BYTES");
    parser.addOptions({help,   version, port,      com,    every, duration,  count,
                       output, append,  quiet,     memory, set,   start,     capture,
                       format, influx,  tokenFile, name,   spool, spoolLimit});
    QStringList list{"calvex-record"};
    for (const std::string& a : arguments)
        list << QString::fromStdString(a);
    if (!parser.parse(list)) {
        o.error = parser.errorText().toStdString();
        return o;
    }
    if (!parser.positionalArguments().isEmpty()) {
        o.error = "unexpected argument '" + parser.positionalArguments().first().toStdString() + "'";
        return o;
    }
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.append = parser.isSet(append);
    o.quiet = parser.isSet(quiet);
    o.memory = parser.isSet(memory);
    if (parser.isSet(port))
        o.port = parser.value(port).toStdString();
    if (o.port.empty() ||
        (o.port.rfind("COM", 0) == 0 && (o.port.size() != 4 || o.port[3] < '1' || o.port[3] > '8')))
        o.error = "--port takes COM1..COM8, Auto or a device such as /dev/ttyUSB0";
    for (const QString& mapping : parser.values(com))
        if (!parseMapping(mapping, o.devices))
            o.error = "--com expects N=DEVICE, for example --com 1=/dev/ttyUSB0";
    if (parser.isSet(every)) {
        const auto seconds = wholeNumber(parser.value(every), 1, 86400);
        if (!seconds)
            o.error = "--every takes a whole number of seconds from 1 to 86400";
        o.every = static_cast<int>(seconds.value_or(2));
    }
    if (parser.isSet(duration)) {
        bool ok = false;
        const double seconds = parser.value(duration).toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0)
            o.error = "--duration takes a number of seconds above 0";
        o.duration = seconds;
    }
    if (parser.isSet(count)) {
        o.count = wholeNumber(parser.value(count), 1, 100000000);
        if (!o.count)
            o.error = "--count takes a whole number of lines from 1";
    }
    if (parser.isSet(output))
        o.output = parser.value(output).toStdString();
    if (o.output.empty())
        o.error = "--output takes a file name, or - for standard output";
    if (parser.isSet(set)) {
        const auto n = wholeNumber(parser.value(set), 1, 100000);
        if (!n)
            o.error = "--set takes a set number from 1";
        o.set = static_cast<int>(n.value_or(1));
        if (!o.memory)
            o.error = "--set goes with --memory";
        if (!parser.isSet(start))
            o.error = "--set needs --start hh:mm:ss, the time the set was started";
    }
    if (parser.isSet(start)) {
        o.start = parser.value(start).toStdString();
        if (!o.set)
            o.error = "--start goes with --set";
    }
    if (o.memory && (parser.isSet(every) || parser.isSet(duration) || parser.isSet(count) || o.append))
        o.error = "--memory does not record: --every, --duration, --count and --append do not go with it";
    if (o.append && o.output == "-")
        o.error = "--append needs --output FILE";
    if (parser.isSet(capture))
        o.capture = parser.value(capture).toStdString();
    if (parser.isSet(format)) {
        o.format = parser.value(format).toStdString();
        if (o.format != "tsv" && o.format != "csv" && o.format != "line-protocol")
            o.error = "--format takes tsv, csv or line-protocol";
    }
    if (parser.isSet(influx)) {
        o.influx = parser.value(influx).toStdString();
        if (const std::string problem =
                InfluxForwarder::urlProblem(QUrl(parser.value(influx), QUrl::StrictMode));
            !problem.empty())
            o.error = "--influx takes a write URL such as http://localhost:8086/write?db=lab: " + problem;
    }
    if (parser.isSet(tokenFile))
        o.tokenFile = parser.value(tokenFile).toStdString();
    if (parser.isSet(name)) {
        o.name = parser.value(name).toStdString();
        if (const std::string problem = instrumentNameProblem(o.name); !problem.empty())
            o.error = "--name " + problem;
    }
    if (parser.isSet(spool)) {
        o.spool = parser.value(spool).toStdString();
        if (o.spool.empty())
            o.error = "--spool takes a folder";
    }
    if (parser.isSet(spoolLimit)) {
        const auto limit = byteCount(parser.value(spoolLimit));
        if (!limit)
            o.error = "--spool-limit takes a size from 1M to 1T, such as 1073741824, 512M or 1G";
        o.spoolLimit = limit.value_or(o.spoolLimit);
    }
    if (o.influx.empty() && (parser.isSet(tokenFile) || parser.isSet(spool) || parser.isSet(spoolLimit)))
        o.error = "--influx-token-file, --spool and --spool-limit go with --influx";
    if (o.memory && (!o.influx.empty() || parser.isSet(format) || parser.isSet(name)))
        o.error = "--memory does not record: --influx, --format and --name do not go with it";
    if (o.slicedOutput() && o.output.find('/', o.output.find('%')) != std::string::npos)
        o.error = "--output: the fields of a name per day or hour go in the file's name, not its folder";
    return o;
}

std::string recordHelp() {
    return "Usage:\n"
           "  calvex-record [--port COMn|Auto|DEVICE] [--com N=DEVICE]... [--every SECONDS]\n"
           "                [--duration SECONDS] [--count N] [--output FILE | -] [--append] [--quiet]\n"
           "                [--format tsv|csv|line-protocol] [--influx URL [--influx-token-file FILE]\n"
           "                [--name NAME] [--spool DIR] [--spool-limit BYTES]]\n"
           "  calvex-record --memory [--port ...]\n"
           "  calvex-record --memory --set N --start hh:mm:ss [--output FILE | -]\n"
           "\n"
           "Records the thermometer's live reading to a data file with no display, or reads its memory.\n"
           "Lines are those of a recording made in calvex (they open there with Open), each flushed as\n"
           "it is written, at the second of the wall clock it was sampled at; while the reading is\n"
           "unknown (no frame, \"No COM\") they hold \"----\".\n"
           "\n"
           "  --port PORT        COM1..COM8, Auto (each port in turn) or a device (default COM1)\n"
           "  --com N=DEVICE     use DEVICE for COMN (repeatable)\n"
           "  --every SECONDS    sampling time, 1..86400 (default 2)\n"
           "  --duration SECONDS end after this long\n"
           "  --count N          end after N lines\n"
           "  --output FILE, -o  the data file; - (the default) is standard output\n"
           "                     FILE may hold strftime fields (lab-%Y-%m-%d.txt): a new file, numbered\n"
           "                     from 1, starts whenever the name the sample's time gives changes\n"
           "  --append           continue FILE of this program, format and model: numbering goes on\n"
           "                     from its last record, a torn last line is cut off (and shown)\n"
           "  --quiet, -q        no progress line on a terminal\n"
           "  --format FORMAT    tsv (the default: lines calvex opens), csv (a header, then the local\n"
           "                     date and time as spreadsheets read it, OL/-OL, empty for no value),\n"
           "                     or line-protocol (the points --influx sends)\n"
           "  --influx URL       also send every sample to a database's write URL as InfluxDB line\n"
           "                     protocol: http://HOST:8086/write?db=lab (InfluxDB 1.x, VictoriaMetrics)\n"
           "                     or http://HOST:8086/api/v2/write?org=O&bucket=B (InfluxDB 2.x, 3.x)\n"
           "  --influx-token-file FILE\n"
           "                     send the token FILE holds as \"Authorization: Token ...\"\n"
           "  --name NAME        the instrument tag (default: the device's by-id name, or the port)\n"
           "  --spool DIR        where points wait until the database took them (default: beside\n"
           "                     the output, $STATE_DIRECTORY under systemd)\n"
           "  --spool-limit BYTES  the most the spool may hold (default 1G); when full, points are\n"
           "                     not forwarded and the file goes on\n"
           "  --memory           list the instrument's logging sets and its remaining memory\n"
           "  --set N            with --memory: decode set N into a data file, as the data list's Save\n"
           "  --start hh:mm:ss   with --set: the time the set was started\n"
           "  --capture FILE     write every byte to and from the port, timed, to FILE\n"
           "  --help, -h         this text;  --version, -v  the version\n"
           "\n"
           "It ends after --duration or --count, or on SIGINT/SIGTERM, with every sampled line on disk,\n"
           "and prints a summary (lines, time span, lines with no reading, maximum, minimum and average\n"
           "per channel) on standard error. Without a terminal each change of state (port lost or\n"
           "reopened, reading unknown or back, file cut back) is a dated line there, at most one a\n"
           "second. Exit status: 0 ended as asked (also on SIGTERM), 1 an error (also a file\n"
           "--append refuses: not a regular file, not a data file), 2 bad arguments (also a token\n"
           "file or a spool that cannot be used), 3 the instrument's model changed or --append found\n"
           "the other model's file, 130 SIGINT. With --influx, the end waits up to 5 s for the database\n"
           "to take what is pending (a second signal ends the wait); the rest stays in the spool.\n"
           "\n"
           "Serial ports:\n" +
           comPortRule() +
           "\n"
           "Examples:\n"
           "  calvex-record --port /dev/ttyUSB0 --every 1 --output lab.txt\n"
           "  calvex-record --port Auto --duration 3600 --output - | tee hour.txt\n"
           "  calvex-record --port /dev/ttyUSB0 --every 1 --output 'lab-%Y-%m-%d.txt' --append \\\n"
           "                --influx 'http://localhost:8086/write?db=lab' --name oven1\n"
           "  calvex-record --memory --port COM2\n"
           "  calvex-record --memory --set 1 --start 08:30:00 --output set1.txt\n";
}

}  // namespace calvex
