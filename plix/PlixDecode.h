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

} // namespace tarnixw::plix
