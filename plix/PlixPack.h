#pragma once

#include "PlixParamSet.h"
#include "PlixStaging.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::plix {

// The device addresses its parameter memory by byte: block A starts at byte 32, block B at
// byte 2048; a request's quantity counts 16-bit registers.
inline constexpr std::uint16_t kBlockAAddress = 0x0020;
inline constexpr int kBlockASize = 56; // 28 registers
inline constexpr std::uint16_t kBlockBAddress = 0x0800;
inline constexpr int kBlockBSize = 38; // 19 registers
// What Read gathers: block A at 0..55, block B at 56..93, both big-endian as sent.
inline constexpr int kDeviceImageSize = kBlockASize + kBlockBSize;

// Stores block A's fields into `paramSet`, then lays block A's 56 big-endian bytes into `out`
// from `pos` on; returns pos + 56 (or -1, writing nothing, when `out` is too short).
int PackBlockA(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos, PLIXParamSet& paramSet);
// The same for block B's 38 bytes; it stores the four alarm fields again.
int PackBlockB(const PLIXStagedValues& staged, std::span<std::uint8_t> out, int pos, PLIXParamSet& paramSet);
// The byte layouts alone: block A's 56 or block B's 38 big-endian bytes of `paramSet` into
// `out` from `pos`, as it holds them; returns the position after them (or -1, writing
// nothing, when `out` is too short).
int layBlockA(const PLIXParamSet& paramSet, std::span<std::uint8_t> out, int pos);
int layBlockB(const PLIXParamSet& paramSet, std::span<std::uint8_t> out, int pos);

// The device's values in a gathered device image (block A at 0, block B at 56) as a parameter
// image, every field exactly as stored: the inverse of the two layouts. The reserved gaps are
// 0. Nothing when the image is shorter than kDeviceImageSize.
std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image);

} // namespace tarnixw::plix
