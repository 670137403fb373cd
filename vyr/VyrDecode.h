#pragma once

#include "VyrParamSet.h"
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

// The screen a Read shows: DeviceImage with area 1 at 0..817 and area 2 at 818..1217.
// Every field of the snapshot is set from the image. Nothing when the image is shorter
// than 1218 bytes.
std::optional<Screen> decodeDeviceImage(std::span<const std::uint8_t> image);

// The screen Open File shows for the record: ranges and limits through single precision,
// digits and hysteresis read as unsigned bytes, DI channels as after a Read.
Screen screenFromRecord(const VYRParamSet& record);

} // namespace tarnixw::vyr
