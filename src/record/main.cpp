// calvex-record: the live reading recorded to a data file, or the instrument's memory read, with
// no display (Qt Core and SerialPort only).
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>

#include "platform/capture_link.h"
#include "platform/headless_services.h"
#include "platform/qt_serial_link.h"
#include "platform/runtime_folder.h"
#include "platform/system_clock.h"
#include "record/influx_sink.h"
#include "record/memory_run.h"
#include "record/record_options.h"
#include "record/record_run.h"

#ifndef CALVEX_VERSION
#define CALVEX_VERSION "unknown"
#endif

namespace {

// SIGINT and SIGTERM arrive as readable data on a pipe the event loop watches, so the run ends
// between two ticks with every line whole. The handler does nothing else, and it is installed
// without SA_RESTART: an output that blocks (a pipe nobody reads, a FIFO without a reader being
// opened) returns from its write or open on the signal, and the run ends there too. The pipe's
// end is the one thing the handler can reach, so it is kept where the handler sees it.
int g_signalPipe = -1;

void onSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe, &number, 1);
    errno = saved;
}

// Before any thread starts the signals are blocked, so every thread Qt starts leaves them to
// this one; handleSignals() then takes them here.
int signalDescriptor() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return -1;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    g_signalPipe = ends[1];
    return ends[0];
}

bool handleSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0 &&
           ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr) == 0;
}

int readSignal(int fd) {
    unsigned char number = 0;
    return ::read(fd, &number, 1) == 1 ? number : 0;
}

}  // namespace

int main(int argc, char** argv) {
    calvex::provideRuntimeFolder();  // before Qt, which would warn of its absence
    std::vector<std::string> arguments(argv + 1, argv + argc);
    const calvex::RecordOptions options = calvex::parseRecordOptions(arguments);
    if (options.help) {
        std::fputs(calvex::recordHelp().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("calvex-record %s\n", CALVEX_VERSION);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "calvex-record: %s (try calvex-record --help)\n", options.error.c_str());
        return 2;
    }

    // Before any thread starts, so that every thread leaves the signals to the descriptor.
    const int signalFd = signalDescriptor();
    if (signalFd < 0) {
        std::perror("calvex-record: signalFd");
        return 1;
    }
    QCoreApplication app(argc, argv);
    // A closed pipe reader (calvex-record ... | head) is a write failure, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    if (!handleSignals()) {
        std::perror("calvex-record: sigaction");
        return 1;
    }

    calvex::QtSerialLink port(options.deviceMap());
    calvex::SystemClock clock;
    calvex::StderrDialogs dialogs("calvex-record");
    calvex::NoPrinter printer;
    std::optional<calvex::CaptureLink> capture;
    if (!options.capture.empty()) {
        capture.emplace(port, clock, options.capture);
        if (!capture->ok()) {
            std::fprintf(stderr, "calvex-record: cannot write the capture file %s\n",
                         capture->error().c_str());
            return 2;
        }
        // A capture that stops part-way must not pass for a whole one; the recording goes on.
        capture->setErrorHandler([](const std::string& error) {
            std::fprintf(stderr, "calvex-record: the capture stopped: %s\n", error.c_str());
        });
    }
    calvex::SerialLink& link = capture ? static_cast<calvex::SerialLink&>(*capture) : port;
    calvex::Session session(link, clock, dialogs, printer);
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);

    if (options.memory) {
        QTimer wake;
        wake.setSingleShot(true);
        calvex::MemoryRun run(session, options, stdout, [&wake](int ms) {
            if (ms < 0) {
                wake.stop();
            } else {
                wake.start(ms);
            }
        });
        QObject::connect(&wake, &QTimer::timeout, [&] {
            run.advance();
            if (run.finished())
                QCoreApplication::exit(run.exitStatus());
        });
        QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
            const int signal = readSignal(signalFd);
            std::fprintf(stderr, "calvex-record: the memory download was interrupted\n");
            QCoreApplication::exit(signal == SIGINT ? 130 : 1);
        });
        // The download listens to the port itself and wakes us when it is over.
        if (!run.start() || run.finished())
            return run.exitStatus();
        return QCoreApplication::exec();
    }

    const bool progress = !options.quiet && ::isatty(STDERR_FILENO) != 0;
    // Without a progress line (no terminal: a service, a pipe) each change of state is told on a
    // dated line of its own.
    calvex::RecordRun run(session, options, progress ? stderr : nullptr, progress ? nullptr : stderr);
    if (!run.start())
        return run.exitStatus();
    // The database's points go through a spool on disk before they are sent.
    std::optional<calvex::InfluxSink> sink;
    if (!options.influx.empty()) {
        sink.emplace(options, run.instrument(), clock, [&run](const std::string& text) { run.tell(text); });
        std::string why;
        if (!sink->open(why)) {
            std::fprintf(stderr, "calvex-record: %s\n", why.c_str());
            return 2;
        }
        run.setSink(&*sink);
    }
    // What the database has not taken when the run ends waits in the spool for the next run; up
    // to 5 s are given to send it first.
    constexpr int kDrainMs = 5000;
    bool ending = false;
    bool summed = false;
    const auto done = [&] {
        if (summed)
            return;
        summed = true;
        std::fputs(run.summary().c_str(), stderr);
        if (sink)
            std::fputs(sink->summary().c_str(), stderr);
        QCoreApplication::exit(run.exitStatus());
    };
    const auto end = [&] {
        if (ending)
            return;
        ending = true;
        if (sink) {
            sink->forwarder().drain(kDrainMs, done);
        } else {
            done();
        }
    };

    QTimer poll;    // the panel's Timer1
    QTimer sample;  // the sampling timer, on the wall clock's seconds
    sample.setSingleShot(true);
    sample.setTimerType(Qt::PreciseTimer);
    QTimer waitEnd;  // the poller's 2-second wait ends on time between two polls
    waitEnd.setSingleShot(true);
    const auto armWaitEnd = [&] {
        const std::int64_t left = run.msUntilPollDeadline();
        if (left < 0) {
            waitEnd.stop();
        } else {
            waitEnd.start(static_cast<int>(left) + 1);
        }
    };
    const auto after = [&] {
        if (run.finished()) {
            poll.stop();
            sample.stop();
            waitEnd.stop();
            end();
            return;
        }
        armWaitEnd();
    };
    QObject::connect(&poll, &QTimer::timeout, [&] {
        run.pollTick();
        after();
    });
    QObject::connect(&sample, &QTimer::timeout, [&] {
        run.sampleTick();
        if (!run.finished())
            sample.start(run.msUntilSampleTick());
        after();
    });
    QObject::connect(&waitEnd, &QTimer::timeout, [&] {
        run.wake();
        after();
    });
    link.setActivityHandler([&] {
        run.wake();
        after();
    });
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        const int signal = readSignal(signalFd);
        // A second signal while the last points are sent ends the wait: they stay in the spool.
        if (ending) {
            done();
            return;
        }
        if (signal != 0)
            run.interrupt(signal);
        after();
    });
    poll.start(150);
    sample.start(run.msUntilSampleTick());
    return QCoreApplication::exec();
}
