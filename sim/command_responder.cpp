#include "command_responder.h"

#include <algorithm>

namespace calvex::sim {

CommandResponder::Reply CommandResponder::on_byte(std::uint8_t byte) {
    if (byte == 'A') {
        armed_ = false;
        const auto pointer = memory_.pointer_reply();
        return Reply{true, std::vector<std::uint8_t>(pointer.begin(), pointer.end()), false};
    }
    if (byte == 'U') {
        return on_upload();
    }
    return Reply{};
}

CommandResponder::Reply CommandResponder::on_upload() {
    const std::vector<std::uint8_t>& data = memory_.data();
    if (!armed_ || offset_ >= data.size()) {
        armed_ = true;
        offset_ = 0;
        return Reply{true, {}, false};
    }
    std::size_t end = std::min(offset_ + kBlockSize, data.size());
    bool cut = false;
    if (cut_ && end > *cut_) {
        end = std::max(offset_, *cut_);
        cut = true;
    }
    Reply reply{true,
                std::vector<std::uint8_t>(data.begin() + static_cast<std::ptrdiff_t>(offset_),
                                          data.begin() + static_cast<std::ptrdiff_t>(end)),
                cut};
    offset_ = end;
    if (cut) {
        armed_ = false;
    }
    return reply;
}

}  // namespace calvex::sim
