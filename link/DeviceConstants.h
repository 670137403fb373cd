#pragma once

#include <cstdint>

// Constants that the program and the device simulator must agree on.
namespace tarnixw::link::device {

// The PLIXARO opens its configuration for writing when register 4010 receives this value,
// sent as the request's two data bytes, and closes it again on 0xFFFF.
inline constexpr std::uint8_t kPlixWriteEnableHigh = 0xA5;
inline constexpr std::uint8_t kPlixWriteEnableLow = 0x5A;
inline constexpr std::uint16_t kPlixWriteEnableRegister = 4010;
inline constexpr std::uint16_t kPlixWriteDisableValue = 0xFFFF;

// The ID probe reads this input register (function 4, one register).
inline constexpr std::uint16_t kProbeRegister = 4096;

} // namespace tarnixw::link::device
