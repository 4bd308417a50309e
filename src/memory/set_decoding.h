#pragma once

namespace calvex {

struct Session;

// A click on a logging set: asks for the time the set was started and lists its records in
// DataList2 or DataList1. The poller is stopped meanwhile and started again at the end.
void decodeLoggingSet(Session& session, int setNumber);

}  // namespace calvex
