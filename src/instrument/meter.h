#pragma once

#include <cstdint>
#include <string_view>

#include "instrument/instrument_state.h"

// The decoders of the instrument's 9-byte frame (and of the 7-byte records of its memory,
// which carry the frame's bytes 2 to 8). They must run in this order, once per frame:
// DecodeT1Status, DecodeT1Value, DecodeT2Status, DecodeT2Value, DecodeTcType.
namespace calvex {

constexpr std::size_t kFrameLength = 9;
constexpr unsigned char kFrameStart = 0x02;
constexpr unsigned char kFrameEnd = 0x03;

// A block is a frame when it holds at least 9 bytes, starts with 0x02 and has 0x03 ninth.
bool isFrame(std::string_view block);

// Whether the instrument can have sent this frame (at least 9 bytes with good marks): frames carry
// no checksum, so a corrupted payload is recognised by what the instrument never sends. It is not
// sendable when a channel that holds a value (neither "----" nor overload) is beyond the widest
// thermocouple range in the unit of byte 2: -200.0..1760.0 C, -328.0..3200.0 F, 0.0..2033.2 K.
// Channel 2 is checked only when byte 5 is not 255. Every unit code (3 is F), the unused status
// bits and type codes past 6 (which keep the type shown) are accepted, as the decoders define
// them all. The memory records are not checked.
bool isSendableFrame(std::string_view frame);

void DecodeT1Status(InstrumentState& state, std::uint8_t status);
void DecodeT1Value(InstrumentState& state, std::uint8_t high, std::uint8_t low);
void DecodeT2Status(InstrumentState& state, std::uint8_t status);
void DecodeT2Value(InstrumentState& state, std::uint8_t high, std::uint8_t low);
void DecodeTcType(InstrumentState& state, std::uint8_t code);

// Runs the five decoders over frame bytes 2 to 8 (seven bytes: a frame without its start and
// end marks, or one record of the instrument's memory).
void decodeReading(InstrumentState& state, const std::uint8_t bytes[7]);

}  // namespace calvex
