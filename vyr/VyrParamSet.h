#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tarnixw::vyr {

inline constexpr int kAnalogChannels = 16;
inline constexpr int kDiModules = 3;
inline constexpr int kDiChannels = 16;
inline constexpr int kDoModules = 3;
inline constexpr int kDoOutputs = 16;
inline constexpr int kDoInputs = 64;

// Byte offsets of the record's fields in the configuration file (the record's memory
// image). The word at 6 is padding that aligns the 32-bit fields; the program never sets
// it, but a loaded file's value is kept and saved again.
namespace fileoffset {
inline constexpr int ChanInUseMask = 0;
inline constexpr int FixedZero = 2;
inline constexpr int FixedFF = 4;
inline constexpr int Reserved = 6;
inline constexpr int ChanZero = 8;
inline constexpr int Gain = 72;
inline constexpr int Offset = 136;
inline constexpr int GainBase = 200;
inline constexpr int HLimit = 264;
inline constexpr int LLimit = 328;
inline constexpr int DICloseMask = 392;
inline constexpr int DIOpenMask = 398;
inline constexpr int DOMapMask = 404;
inline constexpr int Digits = 788;
inline constexpr int SFrom = 804;
inline constexpr int STo = 868;
inline constexpr int DFrom = 932;
inline constexpr int DTo = 996;
inline constexpr int SilenceT = 1060;
inline constexpr int Hysteresis = 1188;
inline constexpr int Size = 1204;
} // namespace fileoffset

// Offsets in DeviceImage after a Read: parameter area 1 (device bytes 32..849) lies at
// 0..817, area 2 (device bytes 2048..2447) at 818..1217.
namespace imageoffset {
inline constexpr int ChanInUseMask = 0;
inline constexpr int FixedZero = 2;
inline constexpr int FixedFF = 4;
inline constexpr int ChanZero = 6;
inline constexpr int Gain = 70;
inline constexpr int Offset = 134;
inline constexpr int GainBase = 198;
inline constexpr int HLimit = 262;
inline constexpr int LLimit = 326;
inline constexpr int DICloseMask = 390;
inline constexpr int DIOpenMask = 396;
inline constexpr int DOMapMask = 402;
inline constexpr int Digits = 786;
inline constexpr int Unedited = 802; // 16 bytes the tool never interprets
inline constexpr int Area1Size = 818;
inline constexpr int Area2 = 818;
inline constexpr int SFrom = 818;
inline constexpr int STo = 882;
inline constexpr int DFrom = 946;
inline constexpr int DTo = 1010;
inline constexpr int AnalogSilence = 1074;
inline constexpr int DISilence = 1106; // + 32m + 2n
inline constexpr int Hysteresis = 1202;
inline constexpr int Area2Size = 400;
inline constexpr int Size = 1218;
} // namespace imageoffset

// The VYR parameter record: staged device values for a Write and, byte for byte, the
// configuration file. Every field starts at zero.
struct VYRParamSet {
    std::uint16_t ChanInUseMask = 0;
    std::uint16_t FixedZero = 0;
    std::uint16_t FixedFF = 0;
    std::uint16_t Reserved = 0;
    std::array<std::int32_t, kAnalogChannels> ChanZero{};
    std::array<std::int32_t, kAnalogChannels> Gain{};
    std::array<std::int32_t, kAnalogChannels> Offset{};
    std::array<std::int32_t, kAnalogChannels> GainBase{};
    std::array<std::int32_t, kAnalogChannels> HLimit{};
    std::array<std::int32_t, kAnalogChannels> LLimit{};
    std::array<std::uint16_t, kDiModules> DICloseMask{};
    std::array<std::uint16_t, kDiModules> DIOpenMask{};
    // Input-major: the word of input c and DO module m is element 3c + m.
    std::array<std::uint16_t, kDoInputs * kDoModules> DOMapMask{};
    // Raw bytes: the device reads them as signed, the file loader as unsigned.
    std::array<std::uint8_t, kAnalogChannels> Digits{};
    std::array<std::int32_t, kAnalogChannels> SFrom{};
    std::array<std::int32_t, kAnalogChannels> STo{};
    std::array<std::int32_t, kAnalogChannels> DFrom{};
    std::array<std::int32_t, kAnalogChannels> DTo{};
    // Channel-major: element 4k + j; j = 0 is the analog silence of channel k, j = 1..3
    // the silence of DI channel k of modules 0..2.
    std::array<std::int16_t, kAnalogChannels * 4> SilenceT{};
    std::array<std::uint8_t, kAnalogChannels> Hysteresis{};

    std::uint16_t& doMapMask(int input, int module) { return DOMapMask[3 * input + module]; }
    std::uint16_t doMapMask(int input, int module) const { return DOMapMask[3 * input + module]; }
    std::int16_t& analogSilence(int k) { return SilenceT[4 * k]; }
    std::int16_t analogSilence(int k) const { return SilenceT[4 * k]; }
    std::int16_t& diSilence(int module, int channel) { return SilenceT[4 * channel + module + 1]; }
    std::int16_t diSilence(int module, int channel) const { return SilenceT[4 * channel + module + 1]; }

    // The 1204-byte file image, little-endian.
    std::array<std::uint8_t, fileoffset::Size> toFileBytes() const;
    static VYRParamSet fromFileBytes(std::span<const std::uint8_t, fileoffset::Size> bytes);

    bool operator==(const VYRParamSet&) const = default;
};

} // namespace tarnixw::vyr
