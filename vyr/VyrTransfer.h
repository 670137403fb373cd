#pragma once

#include "link/ModbusLink.h"

#include <cstdint>
#include <functional>
#include <span>

namespace tarnixw::vyr {

// The two parameter areas by device address (the device addresses bytes).
inline constexpr int kArea1Address = 32;
inline constexpr int kArea2Address = 2048;

// The link buffers of the model: requests and answers of up to 2048 bytes, the DeviceImage of
// both areas (1218 bytes).
link::ModelBuffers buffers();

// The ID search's bar by the candidate as it is after its turn: (candidate / 5) x 2.
int idSearchProgress(int candidate);

// The VYR schedule of Read and Write on an open link, shared by the window and the command
// line: both parameter areas in 64-byte blocks (32 registers), area 1 from device byte 32 in
// 13 blocks (the last of 50 bytes), area 2 from byte 2048 in 7 (the last of 16). Every exchange
// waits its 16 steps and moves the bar by the operation's rule.

// Read: both areas into the link's DeviceImage, area 1 at 0 and area 2 at 818. Returns whether
// every block arrived (otherwise the link says why it stopped).
bool readParamAreas(link::ModbusLink& bus);

// Lays an area into the image from its start; false when it cannot.
using AreaPacker = std::function<bool(std::span<std::uint8_t> image)>;

// Write: packArea1 lays area 1 at the image's start, phase 1 sends it (the 16 bytes after the
// 802 packed, device bytes 834..849, go out as the image holds them), then packArea2 lays area
// 2 over it, whether or not phase 1 stopped, and phase 2 sends it. Returns false, having sent
// nothing, when packArea1 fails; otherwise true, the link telling whether every block was
// answered.
bool writeParamAreas(link::ModbusLink& bus, const AreaPacker& packArea1, const AreaPacker& packArea2);

} // namespace tarnixw::vyr
