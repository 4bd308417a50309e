#pragma once

namespace calvex {

struct Session;

// A click on a logging set: asks for the time the set was started and lists its records in
// DataList2 or DataList1. The live reading goes on meanwhile: the set is decoded apart from it.
void decodeLoggingSet(Session& session, int setNumber);

}  // namespace calvex
