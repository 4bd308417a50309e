#include <gtest/gtest.h>
#include <QProcess>
#include <QProcessEnvironment>

#include "platform/port_map.h"

namespace calvex {
namespace {

struct Outcome {
    int exitCode = -1;
    QString output;
    QString errors;
};

// The program as a user runs it over SSH: no X or Wayland display and no Qt platform chosen.
Outcome runWithoutDisplay(const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CALVEX_PATH), arguments);
    Outcome run;
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

TEST(CalvexProgram, AnswersHelpAndVersionWithoutADisplayAndRefusesBadArguments) {
    const QString version = QStringLiteral("Calvex " CALVEX_PROJECT_VERSION "\n");
    const QString ruleLine = QString::fromStdString(comPortRule()).section('\n', 0, 0);
    struct Case {
        QStringList arguments;
        int exitCode;
        QStringList inOutput;  // empty: nothing on standard output
        QString inErrors;      // empty: nothing on standard error
    };
    const Case cases[] = {
        {{"--version"}, 0, {version}, {}},
        {{"-v"}, 0, {version}, {}},
        {{"--com", "1=/dev/ttyUSB0", "--version"}, 0, {version}, {}},
        {{"--help"}, 0, {"--com <N=DEVICE>", "--version", ruleLine}, {}},
        {{"-h"}, 0, {"--com <N=DEVICE>", "--help"}, {}},
        {{"--bogus"}, 2, {}, "'bogus'"},
        {{"--com", "9=ttyUSB0", "--com", "x=/dev/ttyS0"}, 2, {}, "--com expects N=DEVICE"},
        {{"--com"}, 2, {}, "'--com'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Outcome run = runWithoutDisplay(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.errors.toStdString();
        if (c.inOutput.isEmpty()) {
            EXPECT_EQ(run.output, QString());
        }
        for (const QString& text : c.inOutput)
            EXPECT_TRUE(run.output.contains(text)) << run.output.toStdString();
        if (c.inErrors.isEmpty()) {
            EXPECT_EQ(run.errors, QString());
        } else {
            EXPECT_TRUE(run.errors.contains(c.inErrors)) << run.errors.toStdString();
        }
    }
}

}  // namespace
}  // namespace calvex
