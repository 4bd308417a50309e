#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "instrument_types.h"

namespace calvex::sim {

struct MemoryRecord {
    Reading t1;
    Reading t2;  // ignored in a single-input set

    friend bool operator==(const MemoryRecord&, const MemoryRecord&) = default;
};

// One logging run as the instrument stores it: a sampling time and the records taken at that pace.
struct LoggingSet {
    int sampling_seconds = 1;  // 1..255
    Model model = Model::Dual;
    Unit unit = Unit::Celsius;
    ThermocoupleType type = ThermocoupleType::K;
    std::vector<MemoryRecord> records;

    friend bool operator==(const LoggingSet&, const LoggingSet&) = default;
};

// The instrument's logging memory as it is downloaded: a lead byte, each set (header, sampling
// byte, 7-byte records), a trailing byte, then 0xFF padding if a larger pointer was forced.
class MemoryStore {
public:
    static constexpr std::uint16_t kPointerBase = 35966;
    static constexpr std::size_t kMaxBytesUsed = 0xFFFF - kPointerBase;  // 29569: pointer 0xFFFF
    static constexpr std::uint8_t kLeadByte = 0x00;
    static constexpr std::uint8_t kTrailingByte = 0x03;
    static constexpr std::uint8_t kPadByte = 0xFF;
    static constexpr std::array<std::uint8_t, 4> kSetHeader = {0x00, 0x55, 0xAA, 0x00};
    static constexpr std::size_t kRecordSize = 7;

    // Empty memory: just the lead and trailing bytes (2 bytes used, pointer 0x8C80).
    MemoryStore();

    // Throws SimError when the sets do not fit in memory, a sampling time is out of 1..255, or the
    // forced pointer is outside 0x8C80..0xFFFF or smaller than the sets need.
    static MemoryStore build(const std::vector<LoggingSet>& sets,
                             std::optional<std::uint16_t> forced_pointer = std::nullopt);

    // Bytes used by the sets alone, without padding.
    static std::size_t required_bytes(const std::vector<LoggingSet>& sets);

    const std::vector<std::uint8_t>& data() const { return data_; }
    std::size_t bytes_used() const { return data_.size(); }
    std::uint16_t pointer() const { return static_cast<std::uint16_t>(kPointerBase + data_.size()); }
    // The answer to "A": 0x02, pointer high, pointer low, 0x03.
    std::array<std::uint8_t, 4> pointer_reply() const;

private:
    explicit MemoryStore(std::vector<std::uint8_t> data) : data_(std::move(data)) {}

    std::vector<std::uint8_t> data_;
};

}  // namespace calvex::sim
