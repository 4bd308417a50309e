#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace calvex::test {

struct ProcessOutcome {
    int exitCode = -1;  // -1 when it did not end by itself in time
    QString output;
    QString errors;
};

// The environment of a user over SSH: no X or Wayland display and no Qt platform chosen.
inline QProcessEnvironment environmentWithoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

// A program as a user runs it over SSH.
inline ProcessOutcome runWithoutDisplay(const QString& program, const QStringList& arguments,
                                        int timeoutMs = 30000) {
    QProcess process;
    process.setProcessEnvironment(environmentWithoutDisplay());
    process.start(program, arguments);
    ProcessOutcome run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace calvex::test
