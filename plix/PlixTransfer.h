#pragma once

#include "link/ModbusLink.h"

#include <cstdint>
#include <functional>
#include <span>

namespace tarnixw::plix {

// The device opens its configuration for writing when register 4010 receives 0xA55A, and
// closes it again on 0xFFFF.
inline constexpr std::uint16_t kWriteEnableRegister = 4010;
inline constexpr std::uint16_t kWriteEnableValue = 0xA55A;
inline constexpr std::uint16_t kWriteDisableValue = 0xFFFF;

// The link buffers of the model: requests and answers of up to 1024 bytes, the DeviceImage of
// both blocks (94 bytes).
link::ModelBuffers buffers();

// The PLIX schedule of Read and Write on an open link, shared by the window and the command
// line.

// Read: block A in three 16-byte reads and one of 8, block B in two of 16 and one of 6, into the
// link's DeviceImage (block A at 0, block B at 56), 16 steps each. Returns whether every block
// arrived (otherwise the link says why it stopped).
bool readBlocks(link::ModbusLink& bus);

// Lays a block into a write request's data `data` from `pos` on.
using BlockPacker = std::function<void(std::span<std::uint8_t> data, int pos)>;

// Write: opens the device's write-enable, sends block A and then block B as packA and packB lay
// them just before each is sent (a block is neither packed nor sent once a step has failed),
// calls `written` as soon as block B is answered, and closes the write-enable whatever
// happened: once only when the open itself failed, with repeats on silence otherwise.
void writeBlocks(
    link::ModbusLink& bus, const BlockPacker& packA, const BlockPacker& packB, const std::function<void()>& written);

} // namespace tarnixw::plix
