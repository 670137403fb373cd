#pragma once

#include "PlixFields.h"
#include "PlixParamSet.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::plix {

// What the boxes show and the channel flags, decoded from the device or a file.
struct DecodedSet {
    Texts texts;
    ChannelFlags flags;
};

// The texts and flags of a Read, from the gathered device image (at least kDeviceImageSize
// bytes, else nothing).
std::optional<DecodedSet> decodeDeviceImage(std::span<const std::uint8_t> image);

// The texts and flags held in a parameter image (the file formats).
DecodedSet decodeParamSet(const PLIXParamSet& paramSet);

// The device's values in a gathered device image (block A at 0, block B at 56) as a parameter
// image, every field exactly as stored: the inverse of the two layouts. The reserved gaps are
// 0. Nothing when the image is shorter than kDeviceImageSize.
std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image);

} // namespace tarnixw::plix
