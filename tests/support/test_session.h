#pragma once

#include "session/session.h"
#include "support/fake_printer.h"
#include "support/fake_serial_link.h"
#include "support/manual_clock.h"
#include "support/scripted_dialogs.h"

namespace calvex::test {

// A Session over fakes, for tests that run the program's logic and windows without a machine.
struct TestSession {
    FakeSerialLink port;
    ManualClock clock;
    ScriptedDialogs dialogs;
    FakePrinter printer;
    Session session{port, clock, dialogs, printer};
};

}  // namespace calvex::test
