#include "plotcli/plot_options.h"

#include <QCommandLineParser>
#include <QStringList>

#include "canvas/picture_file.h"
#include "plot/plot_range_check.h"

namespace calvex {

namespace {

// A side of --size: digits only, within its bounds.
std::optional<int> side(const QString& text, int low) {
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    for (const QChar c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > kPlotMaxSide)
        return std::nullopt;
    return value;
}

// "A:B", each side what the range dialog's box would take from the keyboard: the characters its
// key filter lets through, nothing else (a dropped character would change the number unseen). A
// side may be empty, as a box may; it reads as 0.
std::optional<std::pair<std::string, std::string>> typedPair(const QString& text, bool temperature) {
    const QStringList sides = text.split(':');
    if (sides.size() != 2)
        return std::nullopt;
    for (const QString& s : sides)
        for (const QChar c : s)
            if (c.isSurrogate() || !plotRangeCharAccepted(c.unicode(), temperature))
                return std::nullopt;
    return std::make_pair(sides[0].toStdString(), sides[1].toStdString());
}

}  // namespace

PlotOptions parsePlotOptions(const std::vector<std::string>& arguments) {
    PlotOptions o;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help"}, "");
    const QCommandLineOption version({"v", "version"}, "");
    const QCommandLineOption output({"o", "output"}, "", "OUT");
    const QCommandLineOption size("size", "", "WIDTHxHEIGHT");
    const QCommandLineOption unit("unit", "", "C|F|K");
    const QCommandLineOption temperatures("temperatures", "", "T1:T2");
    const QCommandLineOption records("records", "", "R1:R2");
    parser.addOptions({help, version, output, size, unit, temperatures, records});
    QStringList list{"calvex-plot"};
    for (const std::string& a : arguments)
        list << QString::fromStdString(a);
    if (!parser.parse(list)) {
        o.error = parser.errorText().toStdString();
        return o;
    }
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    if (o.help || o.version)
        return o;

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        o.error = "unexpected argument '" + positional[1].toStdString() + "'";
        return o;
    }
    if (positional.isEmpty() || positional[0].isEmpty()) {
        o.error = "no data file given";
        return o;
    }
    o.input = positional[0].toStdString();

    o.output = parser.value(output).toStdString();
    if (o.output.empty()) {
        o.error = "--output OUT.png, OUT.svg or OUT.pdf is needed";
        return o;
    }
    const auto format = pictureFormatOf(o.output);
    if (!format) {
        o.error = "--output names the picture's format by its extension: .png, .svg or .pdf";
        return o;
    }
    o.format = *format;

    if (parser.isSet(size)) {
        const QString text = parser.value(size);
        const qsizetype x = text.indexOf('x', 0, Qt::CaseInsensitive);
        const auto width = x < 0 ? std::nullopt : side(text.left(x), kPlotMinWidth);
        const auto height = x < 0 ? std::nullopt : side(text.mid(x + 1), kPlotMinHeight);
        if (!width || !height) {
            o.error = "--size takes WIDTHxHEIGHT in pixels, from " + std::to_string(kPlotMinWidth) + "x" +
                      std::to_string(kPlotMinHeight) + " to " + std::to_string(kPlotMaxSide) + "x" +
                      std::to_string(kPlotMaxSide);
            return o;
        }
        o.width = *width;
        o.height = *height;
    }
    if (parser.isSet(unit)) {
        const std::string u = parser.value(unit).toUpper().toStdString();
        if (u != "C" && u != "F" && u != "K") {
            o.error = "--unit takes C, F or K";
            return o;
        }
        o.unit = u;
    }
    if (parser.isSet(temperatures)) {
        o.temperatures = typedPair(parser.value(temperatures), true);
        if (!o.temperatures) {
            o.error = "--temperatures takes T1:T2, each of digits, '-' and '.' (for example -50:250)";
            return o;
        }
    }
    if (parser.isSet(records)) {
        o.records = typedPair(parser.value(records), false);
        if (!o.records) {
            o.error = "--records takes R1:R2, each of digits (for example 100:5000)";
            return o;
        }
    }
    return o;
}

std::string plotHelp() {
    return "Usage:\n"
           "  calvex-plot FILE --output OUT.{png,svg,pdf} [--size WIDTHxHEIGHT] [--unit C|F|K]\n"
           "              [--temperatures T1:T2] [--records R1:R2]\n"
           "\n"
           "Draws the stored-data plot of a data file, as calvex shows it after Open and the file\n"
           "list's Plot, into a picture, with no display. The file is read as Open reads it (its first\n"
           "line tells single-input from dual-input data), the unit and temperature span come from its\n"
           "first record, and the picture is the plot window's at that size.\n"
           "\n"
           "  --output OUT, -o   the picture; its extension picks PNG, SVG or PDF. It is written\n"
           "                     whole or not at all\n"
           "  --size WxH         the plot window's drawing area in pixels, from 400x391 (the window's\n"
           "                     smallest) to 8192x8192 (default 1200x800)\n"
           "  --unit C|F|K       the axis unit, with its whole span (C -200..1760, F -328..2000,\n"
           "                     K 0..2000); records are converted to it\n"
           "  --temperatures T1:T2\n"
           "                     the axis from T1 to T2, as typed in the Limit dialog's Min and Max\n"
           "  --records R1:R2    records R1 to R2 (from 1), as typed in its From and To\n"
           "  --help, -h         this text;  --version, -v  the version\n"
           "\n"
           "--temperatures and --records are checked as the Limit dialog checks them: T1 at least the\n"
           "unit's lowest, T2 above T1 and at most its highest, R1 from 1, R2 above R1 and at most the\n"
           "file's records. Either alone keeps the other as the dialog shows it (the whole span, all\n"
           "the records). A side left empty counts as 0, as an empty box does.\n"
           "\n"
           "Exit status: 0 the picture was written, 1 the file could not be read or the picture not\n"
           "written, 2 bad arguments or a range the Limit dialog refuses. Messages go to standard\n"
           "error.\n"
           "\n"
           "Examples:\n"
           "  calvex-plot lab.txt --output lab.png\n"
           "  calvex-plot week.txt -o week.svg --size 1920x1080 --unit F\n"
           "  calvex-plot lab.txt -o morning.pdf --temperatures 15:35 --records 1:3600\n";
}

}  // namespace calvex
