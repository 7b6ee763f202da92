// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "config/ConfigFields.h"
#include "model/Configuration.h"

/// A picture line whose file could not be decoded.
struct PictureFailure {
  int slot = 0;      ///< 0..11
  std::string path;  ///< the path as the line gave it
  bool operator==(const PictureFailure&) const = default;
};

/// What reading a configuration file did.
struct ConfigReadResult {
  bool accepted = false;                        ///< false: not a configuration file, nothing was changed
  std::vector<PictureFailure> pictureFailures;  ///< in file order
};

/// Puts a slot's picture in use: decodes `path` into the slot's picture and
/// answers whether the slot now has a picture in use. An empty path takes the
/// slot's picture out of use (the answer is then false).
using SlotPictureSetter = std::function<bool(int slot, const std::string& path)>;

/// Longer lines are read as their first this many bytes, so that a huge file
/// without line ends cannot exhaust memory. Real lines are far shorter.
inline constexpr size_t kMaxConfigLineLength = 65536;

/// The longest line the writer makes: a field's name and a text as long as a
/// path can be (PATH_MAX: the system opens no longer one, and destinations'
/// names are far shorter), then CR LF.
inline constexpr uint64_t kLongestWrittenLine = kMaxConfigFieldNameLength + 4096 + 2;
/// A larger file is not a configuration file and is not read: twelve blocks
/// (and the header) of lines that all had the longest length would take about
/// 2.5 MB; a file the writer really makes, 120 kB at the very most and 8.5 kB
/// as a rule.
inline constexpr uint64_t kMaxConfigFileBytes = uint64_t{4} << 20;
static_assert(kMaxConfigFileBytes >= (8 + kSlotCount * (kConfigFieldCount + 3)) * kLongestWrittenLine,
              "room for twelve blocks of the longest lines");

/// Reads a configuration file into the twelve configurations.
///
/// The file is accepted when its first line, or the line after a first
/// "<header>" line, is exactly the identification line; otherwise nothing
/// changes. Once accepted, every slot's picture path is emptied and its picture
/// taken out of use, and its glide, bend range and MPE are set to off, 48 and
/// off (what a file from before those lines means), then each line that starts with a field name sets that
/// field of the block counted by the "</config>" lines seen so far; the other
/// lines, and everything after the twelfth "</config>", are ignored. Numbers
/// are clamped into their field (StoreFieldValue). The last "Picture = " line
/// of a block decides its slot's picture: once the block is read (at its
/// "</config>" line or the file's end), that path alone is handed to
/// `setPicture`; one that does not decode leaves the slot without a picture
/// and is listed in the result. A block with a port number but no port name (as files
/// written before the name line have) leaves its slot without a port name.
ConfigReadResult ReadConfigFile(std::streambuf& in, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture);
/// The same over bytes held in memory.
ConfigReadResult ReadConfigFile(std::string_view bytes, std::array<Configuration, kSlotCount>& configs,
                                const SlotPictureSetter& setPicture);

/// Stores the text after a field's name into that field as the reader does:
/// decimal with the reader's rule (ParseDecimal), then clamped into the field's
/// range (scale, chord and key within their tables, channel ≤ 15, notes and
/// limits ≤ 127, patch ≤ 128, controller ≤ 130, glide ≤ 2, MPE ≤ 1, all ≥ 0;
/// bend range 1..96); the port, note direction,
/// curve codes and colour model keep the low 8 or 16 bits of the number, as an
/// assignment to the field does; a flag is set only by exactly 1. The picture
/// field takes the text as it is, the port name without any CR (a name the
/// system gives with one is kept without it, see MidiPort::PortName).
void StoreFieldValue(Configuration& config, const ConfigField& field, std::string_view valueText);

/// Reads the next line of a file without its line end: a line ends at LF, and
/// a CR directly before the LF belongs to the line end. A line is cut at a NUL
/// byte and after kMaxConfigLineLength bytes. False at the end of the file.
bool ReadConfigLine(std::streambuf& in, std::string& line);
