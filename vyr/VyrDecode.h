#pragma once

#include "VyrScreen.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::vyr {

// Display of a device value in thousandths: x 0.001 held in single precision, 3 decimals
// after rounding to 5 significant digits (20000 -> "20.000", 1234567 -> "1234.600").
QString formatThousandths(std::int32_t raw);
// Display of a hysteresis byte read as signed (the device) or unsigned (the file): x 0.1,
// 1 decimal after rounding to 2 significant digits (5 -> "0.5").
QString formatHysteresis(int raw);

// The DI part shared by Read and Open File. A channel is in use exactly when one of its
// relay bits is set. A channel holding both bits (never written by this tool) shows Close
// alone, so exactly one box is ticked as on every channel in use.
void applyRelayBits(Screen& screen, int module, std::uint16_t closeWord, std::uint16_t openWord);
// A negative silence time means the alarm is off; the box then shows "-1".
void applyDiSilence(Screen& screen, int module, int channel, std::int16_t silence);
// DOMap [r][c][m] := bit r of the word of input c and DO module m.
void applyDoWord(Screen& screen, int input, int module, std::uint16_t word);

// The screen a Read shows: DeviceImage with area 1 at 0..817 and area 2 at 818..1217.
// Every field of the snapshot is set from the image. Nothing when the image is shorter
// than 1218 bytes.
std::optional<Screen> decodeDeviceImage(std::span<const std::uint8_t> image);

} // namespace tarnixw::vyr
