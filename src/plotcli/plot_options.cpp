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
    const QCommandLineOption style("style", "", "window|report");
    const QCommandLineOption title("title", "", "TEXT");
    const QCommandLineOption fit("fit", "");
    parser.addOptions({help, version, output, size, unit, temperatures, records, style, title, fit});
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
    if (positional.isEmpty()) {
        o.error = "no data file given";
        return o;
    }
    for (const QString& file : positional) {
        if (file.isEmpty()) {
            o.error = "a data file's name is empty";
            return o;
        }
        o.inputs.push_back(file.toStdString());
    }

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
    if (parser.isSet(style)) {
        const QString s = parser.value(style);
        if (s != "window" && s != "report") {
            o.error = "--style takes window or report";
            return o;
        }
        o.report = s == "report";
    }
    if (parser.isSet(title)) {
        if (!o.report) {
            o.error = "--title is for --style report";
            return o;
        }
        o.title = parser.value(title).toStdString();
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
    o.fit = parser.isSet(fit);
    if (o.fit && o.temperatures) {
        o.error = "--fit and --temperatures both set the axis; give one of them";
        return o;
    }
    return o;
}

std::string plotHelp() {
    return "Usage:\n"
           "  calvex-plot FILE... --output OUT.{png,svg,pdf} [--size WIDTHxHEIGHT] [--unit C|F|K]\n"
           "              [--temperatures T1:T2 | --fit] [--records R1:R2] [--style window|report]\n"
           "              [--title TEXT]\n"
           "\n"
           "Draws the stored-data plot of data files, as calvex shows it after Open and the file\n"
           "list's Plot, into a picture, with no display. A file is read as Open reads it (its first\n"
           "line tells single-input from dual-input data); calvex-record's CSV (--format csv) is read\n"
           "too. The unit and temperature span come from the first record, and the picture is the plot\n"
           "window's at that size unless --style report is given.\n"
           "\n"
           "Several files are drawn on one time line in the order of their times: files whose records\n"
           "carry a date (a CSV's time stamps, or a date such as 2026-12-10 or 20261210 in the file's\n"
           "name) by their first record's date and time, then files without one in the order given.\n"
           "A time earlier than the one before it in a file is on the next day. All the files must\n"
           "hold the first one's kind of data. In the window's look the records follow one another\n"
           "and the curves break between files; in the report style they stand at their times, so a\n"
           "stretch without records shows, and the curves break there too.\n"
           "\n"
           "  --output OUT, -o   the picture; its extension picks PNG, SVG or PDF. It is written\n"
           "                     whole or not at all\n"
           "  --size WxH         the plot window's drawing area in pixels, from 400x391 (the window's\n"
           "                     smallest) to 8192x8192 (default 1200x800)\n"
           "  --unit C|F|K       the axis unit, with its whole span (C -200..1760, F -328..2000,\n"
           "                     K 0..2000); records are converted to it\n"
           "  --temperatures T1:T2\n"
           "                     the axis from T1 to T2, as typed in the Limit dialog's Min and Max\n"
           "  --records R1:R2    records R1 to R2 (from 1, counted over all the files), as typed in\n"
           "                     its From and To\n"
           "  --style report     a picture for a report: a title, axis titles, round ticks, the\n"
           "                     records at their times with dates where known, the legend inside\n"
           "                     the picture (default --style window: the plot window's look)\n"
           "  --title TEXT       the report's title, with --style report (default the file names\n"
           "                     with the first and the last record's date and time)\n"
           "  --fit              the axis fitted to the plotted readings, as the plot's Fit button\n"
           "                     does: a small margin, labels on round numbers\n"
           "  --help, -h         this text;  --version, -v  the version\n"
           "\n"
           "--temperatures and --records are checked as the Limit dialog checks them: T1 at least the\n"
           "unit's lowest, T2 above T1 and at most its highest, R1 from 1, R2 above R1 and at most the\n"
           "file's records. Either alone keeps the other as the dialog shows it (the whole span, all\n"
           "the records). A side left empty counts as 0, as an empty box does.\n"
           "\n"
           "Exit status: 0 the picture was written, 1 a file could not be read or was refused (not a\n"
           "data file, or of the other kind than the first) or the picture not written, 2 bad\n"
           "arguments or a range the Limit dialog refuses. Messages go to standard error.\n"
           "\n"
           "Examples:\n"
           "  calvex-plot lab.txt --output lab.png\n"
           "  calvex-plot week.txt -o week.svg --size 1920x1080 --unit F\n"
           "  calvex-plot lab.txt -o morning.pdf --temperatures 15:35 --records 1:3600\n"
           "  calvex-plot oven-2026-12-*.txt -o week.png --style report --fit --size 1920x1080\n";
}

}  // namespace calvex
