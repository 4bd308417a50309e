#include "memory_store.h"

#include <string>

#include "frame_encoder.h"
#include "sim_error.h"

namespace calvex::sim {

namespace {

std::string hex4(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += kDigits[(value >> shift) & 0xF];
    }
    return text;
}

}  // namespace

MemoryStore::MemoryStore() : data_{kLeadByte, kTrailingByte} {}

std::size_t MemoryStore::required_bytes(const std::vector<LoggingSet>& sets) {
    std::size_t size = 2;  // lead and trailing bytes
    for (const LoggingSet& set : sets) {
        size += kSetHeader.size() + 1 + set.records.size() * kRecordSize;
    }
    return size;
}

MemoryStore MemoryStore::build(const std::vector<LoggingSet>& sets,
                               std::optional<std::uint16_t> forced_pointer) {
    const std::size_t needed = required_bytes(sets);
    if (needed > kMaxBytesUsed) {
        throw SimError("the logging sets need " + std::to_string(needed) +
                       " bytes of memory, more than the " + std::to_string(kMaxBytesUsed) +
                       " bytes available");
    }
    std::size_t bytes_used = needed;
    if (forced_pointer) {
        const std::size_t smallest = kPointerBase + needed;
        if (*forced_pointer < smallest) {
            throw SimError("pointer " + hex4(*forced_pointer) +
                           " is too small: the logging sets need at least " +
                           hex4(static_cast<unsigned>(smallest)));
        }
        bytes_used = *forced_pointer - kPointerBase;
    }

    std::vector<std::uint8_t> data;
    data.reserve(bytes_used);
    data.push_back(kLeadByte);
    for (const LoggingSet& set : sets) {
        if (set.sampling_seconds < 1 || set.sampling_seconds > 255) {
            throw SimError("sampling time " + std::to_string(set.sampling_seconds) +
                           " s is out of range (1..255)");
        }
        data.insert(data.end(), kSetHeader.begin(), kSetHeader.end());
        data.push_back(static_cast<std::uint8_t>(set.sampling_seconds));
        for (const MemoryRecord& record : set.records) {
            const InstrumentState state{set.model, set.unit, set.type, record.t1, record.t2};
            const FrameEncoder::Record bytes = FrameEncoder::encode_record(state);
            data.insert(data.end(), bytes.begin(), bytes.end());
        }
    }
    data.push_back(kTrailingByte);
    data.resize(bytes_used, kPadByte);
    return MemoryStore(std::move(data));
}

std::array<std::uint8_t, 4> MemoryStore::pointer_reply() const {
    const std::uint16_t value = pointer();
    return {FrameEncoder::kStart, static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value & 0xFF), FrameEncoder::kEnd};
}

}  // namespace calvex::sim
