#pragma once

#include <string>

#include "instrument/reading_value.h"

namespace calvex {

// The one record of the instrument's latest reading and of the run's mode flags. Every window
// reads it directly on the user-interface thread; the frame decoders write the reading fields.
struct InstrumentState {
    // Connection and mode
    int ComPort = 0;
    bool AutoScan = false;
    std::string SampleDate;
    std::string SampleTime;
    std::string SampleStamp;
    float SampleSeconds = 2.0f;
    bool RecordingOn = false;
    bool GraphActive = false;
    bool AvgOpen = false;
    bool AvgRunning = false;
    bool MemoryOpen = false;
    // The reading fields hold a measurement: false before the first frame, while the panel shows
    // "No COM", while polling is stopped (memory download, printing) and once the last accepted
    // frame is too old. A sample taken then records "----"; statistics and graph skip it.
    bool ReadingKnown = false;
    // The model and unit a run started with are that run's own (each recording, real-time list,
    // graph and statistics window keeps its copy), so that one run cannot change another's.

    // The reading, written by the frame decoders
    bool UnitC = false;
    bool UnitF = false;
    bool UnitK = false;
    ReadingValue Unit;
    bool DualModel = false;
    ReadingValue TcType;
    bool T1Blank = false;
    bool T1Over = false;
    bool T1Negative = false;
    bool T2Blank = false;
    bool T2Over = false;
    bool T2Negative = false;
    ReadingValue T1Value;
    ReadingValue T2Value;
    ReadingValue T1T2Value;
    ReadingValue T1C, T1F, T1K;
    ReadingValue T2C, T2F, T2K;
    ReadingValue T1T2C, T1T2F, T1T2K;
};

// A reading field as a run may use it: the value when it was measured, else Empty.
inline ReadingValue measured(const InstrumentState& state, const ReadingValue& value) {
    return state.ReadingKnown ? value : ReadingValue();
}

// Of a channel's readings in C, F and K, the one in `unit` ("C", "F", else K).
inline const ReadingValue& inUnit(const ReadingValue& unit, const ReadingValue& c, const ReadingValue& f,
                                  const ReadingValue& k) {
    return unit.isText("C") ? c : unit.isText("F") ? f : k;
}

// A reading field as the panel shows it: formatted "0.0", or the no-value mark while unknown.
inline std::string displayedReading(const InstrumentState& state, const ReadingValue& value) {
    return state.ReadingKnown ? value.format("0.0") : "----";
}

}  // namespace calvex
