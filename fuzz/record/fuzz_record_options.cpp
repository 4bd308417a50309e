// calvex-record's arguments from any bytes (NUL separates them): the parse ends with an error, or
// with options that the run can use as they stand.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "record/record_options.h"
#include "sinks/sample_point.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size && arguments.size() < 64; ++i) {
        if (data[i] == 0) {
            arguments.emplace_back();
        } else {
            arguments.back() += static_cast<char>(data[i]);
        }
    }
    const calvex::RecordOptions o = calvex::parseRecordOptions(arguments);
    if (!o.error.empty())
        return 0;
    const int com = o.comPort();
    const bool sound = o.every >= 1 && o.every <= 86400 && com >= 1 && com <= 255 && !o.output.empty() &&
                       (!o.count || *o.count >= 1) && (!o.duration || *o.duration > 0) &&
                       (!o.set || (o.memory && *o.set >= 1)) && !(o.append && o.output == "-") &&
                       !o.port.empty();
    // The sinks' settings: a known format, a spool limit from 1 MiB to 1 TiB, a name that makes a
    // whole tag, and none of them without --influx.
    const bool sinks = (o.format == "tsv" || o.format == "csv" || o.format == "line-protocol") &&
                       o.spoolLimit >= (1ULL << 20) && o.spoolLimit <= (1ULL << 40) &&
                       (o.name.empty() || calvex::instrumentNameProblem(o.name).empty()) &&
                       (!o.influx.empty() || (o.spool.empty() && o.tokenFile.empty()));
    if (!sound || !sinks)
        std::abort();
    for (const auto& [number, device] : o.deviceMap())
        if (number < 1 || number > 255 || device.empty())
            std::abort();
    return 0;
}
