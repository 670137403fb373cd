#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>

namespace tarnixw::plix {

// Byte offsets into the PLIXARO parameter image. The image is at once the staging area the
// device blocks are packed from and, byte for byte, the configuration file. Per-channel
// fields lie side by side: CH1's copy follows CH0's by the field's width.
namespace offset {
inline constexpr int kEnableMask = 0; // unsigned 16-bit
inline constexpr int kConstZero16 = 2; // 16-bit, 0
inline constexpr int kConstThree16 = 4; // 16-bit, 3
inline constexpr int kConstZeroA = 8; // 32-bit, 0
inline constexpr int kConstZeroB = 12; // 32-bit, 0
inline constexpr int kSlope = 16; // 32-bit per channel
inline constexpr int kOffset = 24; // 32-bit per channel
inline constexpr int kConstThousand = 32; // 32-bit per channel, 1000
inline constexpr int kHighAlarm = 40; // 32-bit per channel, P.V. x 1000
inline constexpr int kLowAlarm = 48; // 32-bit per channel, P.V. x 1000
inline constexpr int kDecimalDigits = 56; // 8-bit per channel
inline constexpr int kSensorFrom = 60; // 32-bit per channel, mV
inline constexpr int kSensorTo = 68; // 32-bit per channel, mV
inline constexpr int kPvFrom = 76; // 32-bit per channel, P.V. x 1000
inline constexpr int kPvTo = 84; // 32-bit per channel, P.V. x 1000
inline constexpr int kSilenceTime = 92; // signed 16-bit per channel, minutes
inline constexpr int kHysteresis = 96; // unsigned 8-bit per channel, % x 10
// Offsets 6, 58 and 98 are two-byte gaps the program never writes.
} // namespace offset

inline constexpr int kParamSetSize = 100;

// The 100-byte PLIXARO parameter image; multi-byte fields little-endian. All zero at start.
class PLIXParamSet {
public:
    std::array<std::uint8_t, kParamSetSize> bytes{};

    // Raw little-endian field access at a byte offset.
    std::uint8_t u8(int off) const { return bytes[off]; }
    std::uint16_t u16(int off) const { return std::uint16_t(bytes[off] | (bytes[off + 1] << 8)); }
    std::int16_t i16(int off) const { return std::int16_t(u16(off)); }
    std::int32_t i32(int off) const
    {
        return std::int32_t(std::uint32_t(bytes[off]) | (std::uint32_t(bytes[off + 1]) << 8)
            | (std::uint32_t(bytes[off + 2]) << 16) | (std::uint32_t(bytes[off + 3]) << 24));
    }
    void setU8(int off, std::uint8_t v) { bytes[off] = v; }
    void setU16(int off, std::uint16_t v)
    {
        bytes[off] = std::uint8_t(v);
        bytes[off + 1] = std::uint8_t(v >> 8);
    }
    void setI32(int off, std::int32_t v)
    {
        const auto u = std::uint32_t(v);
        for (int i = 0; i < 4; ++i)
            bytes[off + i] = std::uint8_t(u >> (8 * i));
    }

    // Typed fields; ch is 0 or 1.
    std::uint16_t enableMask() const { return u16(offset::kEnableMask); }
    std::int32_t slope(int ch) const { return i32(offset::kSlope + 4 * ch); }
    std::int32_t offsetValue(int ch) const { return i32(offset::kOffset + 4 * ch); }
    std::int32_t highAlarm(int ch) const { return i32(offset::kHighAlarm + 4 * ch); }
    std::int32_t lowAlarm(int ch) const { return i32(offset::kLowAlarm + 4 * ch); }
    std::uint8_t decimalDigits(int ch) const { return u8(offset::kDecimalDigits + ch); }
    std::int32_t sensorFrom(int ch) const { return i32(offset::kSensorFrom + 4 * ch); }
    std::int32_t sensorTo(int ch) const { return i32(offset::kSensorTo + 4 * ch); }
    std::int32_t pvFrom(int ch) const { return i32(offset::kPvFrom + 4 * ch); }
    std::int32_t pvTo(int ch) const { return i32(offset::kPvTo + 4 * ch); }
    std::int16_t silenceTime(int ch) const { return i16(offset::kSilenceTime + 2 * ch); }
    std::uint8_t hysteresis(int ch) const { return u8(offset::kHysteresis + ch); }

    void setEnableMask(std::uint16_t v) { setU16(offset::kEnableMask, v); }
    void setSlope(int ch, std::int32_t v) { setI32(offset::kSlope + 4 * ch, v); }
    void setOffsetValue(int ch, std::int32_t v) { setI32(offset::kOffset + 4 * ch, v); }
    void setHighAlarm(int ch, std::int32_t v) { setI32(offset::kHighAlarm + 4 * ch, v); }
    void setLowAlarm(int ch, std::int32_t v) { setI32(offset::kLowAlarm + 4 * ch, v); }
    void setDecimalDigits(int ch, std::uint8_t v) { setU8(offset::kDecimalDigits + ch, v); }
    void setSensorFrom(int ch, std::int32_t v) { setI32(offset::kSensorFrom + 4 * ch, v); }
    void setSensorTo(int ch, std::int32_t v) { setI32(offset::kSensorTo + 4 * ch, v); }
    void setPvFrom(int ch, std::int32_t v) { setI32(offset::kPvFrom + 4 * ch, v); }
    void setPvTo(int ch, std::int32_t v) { setI32(offset::kPvTo + 4 * ch, v); }
    void setSilenceTime(int ch, std::uint16_t v) { setU16(offset::kSilenceTime + 2 * ch, v); }
    void setHysteresis(int ch, std::uint8_t v) { setU8(offset::kHysteresis + ch, v); }

    // The file image.
    QByteArray toBytes() const;
    // Replaces the whole image; `data` must hold exactly kParamSetSize bytes (returns false
    // and changes nothing otherwise).
    bool assign(const QByteArray& data);

    bool operator==(const PLIXParamSet&) const = default;
};

} // namespace tarnixw::plix
