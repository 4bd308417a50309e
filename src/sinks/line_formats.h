#pragma once

#include <string>
#include <string_view>

#include "live/recorder.h"
#include "sinks/sample_point.h"

namespace calvex {

// The sample text of a line (time, the reading or readings, unit, TAB-separated) as a point of the
// sample taken `at`; three readings make it the dual-input model's.
SamplePoint samplePointOf(const std::string& sample, const LocalDateTime& at, const std::string& type);

// calvex-record's --format csv: a header line, then per sample its local date and time, each
// reading ("OL", "-OL", the number, empty for none) and the unit.
class CsvFormat : public Recorder::LineFormat {
public:
    // `at`: the present sample's date and time, kept by the run.
    explicit CsvFormat(const LocalDateTime& at) : m_at(at) {}
    std::string header(bool dual) const override { return csvHeader(dual); }
    std::string line(const std::string& sample) const override;
    Recorder::Refusal accepts(std::string_view first, bool dual, std::string& why) const override;
    Fragment fragment(std::string_view bytes, bool first, std::string& missing) const override;

private:
    const LocalDateTime& m_at;
};

// calvex-record's --format line-protocol: the points it sends to a database, one a line.
class LineProtocolFormat : public Recorder::LineFormat {
public:
    // `type`: the thermocouple type of the present reading, kept by the session.
    LineProtocolFormat(const LocalDateTime& at, const std::string& instrument, const ReadingValue& type)
        : m_at(at), m_instrument(instrument), m_type(type) {}
    std::string header(bool) const override { return {}; }
    std::string line(const std::string& sample) const override;
    Recorder::Refusal accepts(std::string_view first, bool dual, std::string& why) const override;
    Fragment fragment(std::string_view bytes, bool first, std::string& missing) const override;

private:
    const LocalDateTime& m_at;
    std::string m_instrument;
    const ReadingValue& m_type;
};

}  // namespace calvex
