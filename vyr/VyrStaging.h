#pragma once

#include "values/Result.h"

#include "VyrScreen.h"

#include <QString>
#include <array>
#include <optional>

namespace tarnixw::vyr {

// The screen gathered into single-precision numbers, in the order Write stages them: the
// channel mask, 0, 255; 16 each of SFrom, STo, DFrom x 1000, DTo x 1000, Gain, Offset,
// HLimit x 1000, LLimit x 1000; the 64 silence entries channel-major; 16 Digits;
// 16 Hysteresis x 10; 3 DICloseMask; 3 DIOpenMask; 192 DOMapMask input-major.
struct VYRStagedValues {
    static constexpr int kChanMask = 0;
    static constexpr int kFixedZero = 1;
    static constexpr int kFixedFF = 2;
    static constexpr int kSFrom = 3;
    static constexpr int kSTo = kSFrom + 16;
    static constexpr int kDFrom = kSTo + 16;
    static constexpr int kDTo = kDFrom + 16;
    static constexpr int kGain = kDTo + 16;
    static constexpr int kOffset = kGain + 16;
    static constexpr int kHLimit = kOffset + 16;
    static constexpr int kLLimit = kHLimit + 16;
    static constexpr int kSilenceT = kLLimit + 16; // + 4k + j, as in the record
    static constexpr int kDigits = kSilenceT + 64;
    static constexpr int kHysteresis = kDigits + 16;
    static constexpr int kDICloseMask = kHysteresis + 16;
    static constexpr int kDIOpenMask = kDICloseMask + 3;
    static constexpr int kDOMapMask = kDIOpenMask + 3; // + 3c + m
    static constexpr int kCount = kDOMapMask + 192;

    std::array<float, kCount> values{};

    float& operator[](int i) { return values[i]; }
    float operator[](int i) const { return values[i]; }
};
static_assert(VYRStagedValues::kCount == 425);

// A channel's scaling line: value x 1000 = Gain x mV / 1000 + Offset.
struct Scaling {
    float gain = 0;
    float offset = 0;
};

// Gain and Offset from the staged range values, computed in extended precision and held
// in single precision. Nothing when the signal range is empty (From equals To) or a
// result is beyond single precision.
std::optional<Scaling> scalingLine(float sFrom, float sTo, float dFrom1000, float dTo1000);

// A channel's Gain and Offset as Write computes them from its staged ranges, checked to fit
// the device's 32-bit fields once truncated; otherwise the message naming the channel as
// `channel` ("CH3" on the form; an empty signal range names its From value as `fromText`).
values::Result<Scaling> channelScaling(
    const QString& channel, float sFrom, float sTo, float dFrom1000, float dTo1000, const QString& fromText);

using StageResult = values::Result<VYRStagedValues>;

// Gathers the screen the way Write does: each text parsed as a number, scaled (x 1000 or
// x 10), held in single precision, and checked to fit its device field once truncated.
// With computeScaling each channel's Gain and Offset are computed too (Write); Save File
// leaves them 0 because it keeps the record's own. The first box that fails stops the
// staging with a message naming it.
StageResult stageScreen(const Screen& screen, bool computeScaling = true);

} // namespace tarnixw::vyr
