// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

/// Status bytes of the messages Quill sends (channel added when packed).
inline constexpr uint8_t kNoteOff = 0x80;
inline constexpr uint8_t kNoteOn = 0x90;
inline constexpr uint8_t kControlChange = 0xB0;
inline constexpr uint8_t kProgramChange = 0xC0;
inline constexpr uint8_t kChannelPressure = 0xD0;
inline constexpr uint8_t kPitchBend = 0xE0;

/// Packs a short message: status plus channel in the low byte, then the two
/// data bytes. The channel keeps its low 4 bits and each data byte is clamped
/// to 127, because a byte of 0x80 or more would read as a status byte.
uint32_t PackShortMessage(uint8_t status, uint8_t channel, uint8_t data1, uint8_t data2);

/// The bytes of a packed short message as they go on the wire: 2 for a
/// programme change or channel pressure, 3 for the other channel messages,
/// and 1 to 3 for the system common and real-time messages that have a fixed
/// length. Returns 0, and sends nothing, for anything that is not a complete
/// message: a first byte below 0x80, a data byte of 0x80 or more, system
/// exclusive or an undefined status.
size_t ShortMessageBytes(uint32_t packed, std::array<uint8_t, 3>& bytes);
