#pragma once

#include <memory>
#include <string>

#include "record/record_options.h"
#include "record/record_run.h"
#include "sinks/influx_forwarder.h"
#include "sinks/spool.h"

namespace calvex {

// --influx: each sample becomes a point in the spool first, then goes to the database.
class InfluxSink : public PointSink {
public:
    // `tell`: the journal's lines about the forwarding.
    InfluxSink(const RecordOptions& options, std::string instrument, const Clock& clock,
               std::function<void(const std::string&)> tell);
    // Reads the token and opens the spool; false with `why` when the run cannot start.
    bool open(std::string& why);
    void point(const SamplePoint& point) override;
    InfluxForwarder& forwarder() { return *m_forwarder; }
    // "  database: N points sent, M waiting in FILE"
    std::string summary() const;

    // The spool's file for an instrument: in --spool DIR, else $STATE_DIRECTORY (a service), else
    // beside the output.
    static std::string spoolPath(const RecordOptions& options, const std::string& instrument,
                                 const char* stateDirectory);

private:
    const RecordOptions& m_options;
    std::string m_instrument;
    const Clock& m_clock;
    std::function<void(const std::string&)> m_tell;
    std::unique_ptr<Spool> m_spool;
    std::unique_ptr<InfluxForwarder> m_forwarder;
    bool m_failedTold = false;
};

}  // namespace calvex
