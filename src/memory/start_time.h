#pragma once

#include <optional>
#include <string_view>

namespace calvex {

// The answer to "Input Starting Time" read the lenient way the instrument's users are used to:
// hours before the first colon, minutes up to the second, then the two characters after it; each
// kept to its last two digits and folded into a day (25:61:70 is 01:01:10). Seconds since
// midnight, or nullopt when the answer lacks its two colons.
std::optional<int> parseStartTime(std::string_view answer);

}  // namespace calvex
