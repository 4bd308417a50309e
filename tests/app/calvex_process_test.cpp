#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include "platform/port_map.h"
#include "support/run_without_display.h"
#include "support/temp_folder.h"

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
        {{"--help"},
         0,
         {"Usage: calvex [options] [FILE...]\n", "--com <N=DEVICE>", "--version", ruleLine},
         {}},
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

// The program reads its settings from XDG_CONFIG_HOME, so a run can be given its own; a damaged
// file there is named on one line and the COM Port window still comes up.
TEST(CalvexProgram, IgnoresDamagedSettingsWithOneLine) {
    test::TempFolder config;
    std::filesystem::create_directories(config.path() / "calvex");
    const std::string file = config.file("calvex/calvex.conf");
    test::TempFolder::write(file, std::string("\x00\xff\xfe garbage", 11));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config.path().string()));
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(CALVEX_PATH), {});
    ASSERT_TRUE(process.waitForStarted(30000));
    QByteArray errors;
    while (!errors.contains("(not text)\n") && process.waitForReadyRead(30000))
        errors += process.readAllStandardError();
    // Still running: the window waits for the user.
    EXPECT_EQ(process.state(), QProcess::Running);
    process.kill();
    process.waitForFinished(30000);
    errors += process.readAllStandardError();
    const QString expected = QStringLiteral("calvex: settings ignored: %1: not a settings file (not text)\n")
                                 .arg(QString::fromStdString(file));
    EXPECT_TRUE(QString::fromUtf8(errors).contains(expected)) << errors.toStdString();
    EXPECT_EQ(QString::fromUtf8(errors).count(QStringLiteral("settings ignored")), 1);
}

}  // namespace
}  // namespace calvex
