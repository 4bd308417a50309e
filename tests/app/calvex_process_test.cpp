#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include "platform/port_map.h"
#include "support/run_without_display.h"

namespace calvex {
namespace {

using Outcome = test::ProcessOutcome;

Outcome runWithoutDisplay(const QStringList& arguments) {
    return test::runWithoutDisplay(QStringLiteral(CALVEX_PATH), arguments);
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
        {{"--help"}, 0, {"Usage: calvex [options]\n", "--com <N=DEVICE>", "--version", ruleLine}, {}},
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

// Over SSH or under a service there is often no XDG_RUNTIME_DIR: Qt would say so on standard error.
TEST(CalvexProgram, SaysNothingOfAMissingRuntimeFolder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.remove("DISPLAY");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(CALVEX_PATH), {"--version"});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()), QString());
}

}  // namespace
}  // namespace calvex
