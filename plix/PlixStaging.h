#pragma once

#include "PlixFields.h"
#include "PlixParamSet.h"
#include "values/Result.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace tarnixw::plix {

// Positions in PLIXStagedValues. Per-channel entries are base + channel.
namespace staged {
inline constexpr int kEnableMask = 0;
inline constexpr int kZero = 1;
inline constexpr int kThree = 2;
inline constexpr int kSensorFrom = 3;
inline constexpr int kSensorTo = 5;
inline constexpr int kPvFrom = 7;
inline constexpr int kPvTo = 9;
inline constexpr int kSlope = 11;
inline constexpr int kOffset = 13;
inline constexpr int kHighAlarm = 15;
inline constexpr int kLowAlarm = 17;
inline constexpr int kSilenceTime = 19;
inline constexpr int kDecimalDigits = 21;
inline constexpr int kHysteresis = 23;
inline constexpr int kCount = 25;
} // namespace staged

// The screen's values as the device will get them, in single precision: sensors in mV, P.V.
// and alarms x 1000, hysteresis x 10, slope and offset of each channel's scaling.
struct PLIXStagedValues {
    std::array<float, staged::kCount> values{};
    float& operator[](int i) { return values[i]; }
    float operator[](int i) const { return values[i]; }
};

using StagingResult = values::Result<PLIXStagedValues>;

// Builds the staged values from the eighteen texts and the channel flags. Refused, with a
// message naming the box or channel, when a text is not a number, when a value does not fit
// its device field, when a channel's sensor from and to are equal, or when a channel's slope
// or offset does not fit 32 bits. Staged values that come from here always pack exactly.
StagingResult stageValues(const Texts& texts, ChannelFlags flags);

// The eighteen texts converted as Write converts them, into their places of `out`; the
// message naming the first box that does not convert, or nothing.
std::optional<QString> convertTexts(const Texts& texts, PLIXStagedValues& out);

// A channel's scaling line: P.V. x 1000 = slope x mV / 1000 + offset.
struct Scaling {
    float slope = 0;
    float offset = 0;
};

// A channel's slope and offset as Write computes them from its single-precision ranges (sensor
// in mV, P.V. x 1000), each checked to fit 32 bits; otherwise the message naming the channel.
values::Result<Scaling> channelScaling(int ch, float sensorFrom, float sensorTo, float pvFrom, float pvTo);

// A parameter image that holds its values as they are to be sent (a configuration file), made
// ready for a Write: block A's constants as Write sets them (0 and 3 after the mask, 0, 0,
// and 1000 for each channel) and each channel's slope and offset computed from its ranges as
// Write computes them. Every other field is sent exactly as held. Refused with the message
// naming the channel whose scaling cannot be computed.
using WriteImage = values::Result<PLIXParamSet>;
WriteImage paramSetForWrite(const PLIXParamSet& values);

// Stores block B's values of both channels (ranges, silence, hysteresis) and the four alarms
// into the parameter image, each truncated to its field.
void storeBlockBValues(const PLIXStagedValues& staged, PLIXParamSet& paramSet);

// The low bits of a staged value, truncated toward zero. Staged values come from
// stageValues() or convertTexts(), which have refused anything that does not fit.
std::uint32_t truncated32(float v);
std::uint16_t truncated16(float v);
std::uint8_t truncated8(float v);

} // namespace tarnixw::plix
