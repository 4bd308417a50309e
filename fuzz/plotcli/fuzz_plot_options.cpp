// calvex-plot's arguments from any bytes. The first byte picks the form: the text typed after
// --size, --temperatures and --records of an otherwise good command line (NUL between the three),
// or a whole argument list (NUL between arguments). The parse ends with an error, or with options
// the run can use as they stand; a typed value is taken exactly when it is well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "plot/plot_range_check.h"
#include "plotcli/plot_options.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

bool digits(const std::string& text) {
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Two sides around one ":", each of characters the range dialog's box would take.
bool typedPair(const std::string& text, bool temperature) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos)
        return false;
    for (const char c : text)
        if (c != ':' && !calvex::plotRangeCharAccepted(static_cast<unsigned char>(c), temperature))
            return false;
    return true;
}

bool goodSize(const std::string& text, int width, int height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    const std::string w = text.substr(0, x);
    const std::string h = text.substr(x + 1);
    if (!digits(w) || !digits(h) || w.size() > 5 || h.size() > 5)
        return false;
    return std::stoi(w) == width && std::stoi(h) == height;
}

void checkSound(const calvex::PlotOptions& o) {
    if (!o.error.empty() || o.help || o.version)
        return;
    require(!o.inputs.empty() && !o.output.empty());
    for (const std::string& input : o.inputs)
        require(!input.empty());
    require(!o.title || o.report);
    require(o.width >= calvex::kPlotMinWidth && o.width <= calvex::kPlotMaxSide);
    require(o.height >= calvex::kPlotMinHeight && o.height <= calvex::kPlotMaxSide);
    require(!o.unit || *o.unit == "C" || *o.unit == "F" || *o.unit == "K");
    if (o.temperatures)
        require(typedPair(o.temperatures->first + ":" + o.temperatures->second, true));
    if (o.records)
        require(typedPair(o.records->first + ":" + o.records->second, false));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::vector<std::string> parts(1);
    for (std::size_t i = 1; i < size && parts.size() < 64; ++i) {
        if (data[i] == 0) {
            parts.emplace_back();
        } else {
            parts.back() += static_cast<char>(data[i]);
        }
    }
    if (data[0] % 2 == 0) {
        checkSound(calvex::parsePlotOptions(parts));
        return 0;
    }
    parts.resize(3);
    const calvex::PlotOptions o =
        calvex::parsePlotOptions({"week.txt", "--output", "week.png", "--size", parts[0], "--temperatures",
                                  parts[1], "--records", parts[2]});
    checkSound(o);
    // Only these three can be wrong here, so the parse fails exactly when one of them is.
    const bool wellFormed =
        goodSize(parts[0], o.width, o.height) && typedPair(parts[1], true) && typedPair(parts[2], false);
    require(o.error.empty() == wellFormed);
    if (wellFormed) {
        require(o.temperatures->first + ":" + o.temperatures->second == parts[1]);
        require(o.records->first + ":" + o.records->second == parts[2]);
    }
    return 0;
}
