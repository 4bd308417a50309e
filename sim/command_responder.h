#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "memory_store.h"

namespace calvex::sim {

// The instrument's answers to the memory commands, without any timing:
//
// - "A" answers 0x02, pointer high, pointer low, 0x03 and makes the transfer idle.
// - "U" while the transfer is idle (at start, after an "A", or once all of the memory data has
//   gone out) answers nothing and arms the transfer at the start of the data.
// - Each further "U" answers the next block of up to 4096 bytes of the data. When the last block
//   has been handed out, the next "U" finds the transfer idle again.
// - Every "A" or "U" tells the caller to drop whatever is left unsent of an earlier answer; a
//   dropped block is not sent again (the next "U" moves on to the following block).
//
// With a cut set, the data is never handed out past that many bytes: the answer that reaches it
// stops there, reports `cut`, and the transfer is idle again.
class CommandResponder {
public:
    static constexpr std::size_t kBlockSize = 4096;

    struct Reply {
        bool is_command = false;          // false: the byte was not a memory command, nothing to do
        std::vector<std::uint8_t> bytes;  // to send, in order
        bool cut = false;                 // the transfer was cut here
    };

    explicit CommandResponder(MemoryStore memory = MemoryStore{}) : memory_(std::move(memory)) {}

    Reply on_byte(std::uint8_t byte);

    void set_cut(std::optional<std::size_t> cut) { cut_ = cut; }
    std::optional<std::size_t> cut() const { return cut_; }
    // Returns to idle, as after an "A" (used when the line is unplugged).
    void reset() { armed_ = false; }

    bool armed() const { return armed_; }
    std::size_t offset() const { return offset_; }
    const MemoryStore& memory() const { return memory_; }

private:
    Reply on_upload();

    MemoryStore memory_;
    std::optional<std::size_t> cut_;
    bool armed_ = false;
    std::size_t offset_ = 0;  // next byte of the data to hand out while armed
};

}  // namespace calvex::sim
