// Whatever is typed as a starting time gives a time of day or a refusal.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "memory/start_time.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const std::optional<int> start = calvex::parseStartTime(answer);
    if (start && (*start < 0 || *start >= 86400))
        __builtin_trap();
    if (start.has_value() != (answer.find(':') != std::string_view::npos &&
                              answer.find(':', answer.find(':') + 1) != std::string_view::npos))
        __builtin_trap();
    return 0;
}
