#pragma once

#include "Config.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>

namespace tarnixw::cli {

// Every value that differs from a to b, by name and in units, one line each
// ("AI 3 sensor to: 5000 mV → 5500 mV"), in the order of the field table. With deviceOnly,
// values that only the file holds (padding) are passed over. Configurations of two models
// differ in their model alone.
QStringList differences(const Configuration& a, const Configuration& b, bool deviceOnly = false);

// What a device read back (its DeviceImage) holds otherwise than a Write of `ready` left it, one
// line each: the values, then the bytes no value holds ("device bytes 834..849: 00 x 16 → ...").
QStringList readBackDifferences(const Configuration& ready, std::span<const std::uint8_t> image);

} // namespace tarnixw::cli
