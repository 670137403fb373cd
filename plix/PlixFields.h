#pragma once

#include "values/FieldChecks.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace tarnixw::plix {

inline constexpr int kChannelCount = 2;
inline constexpr int kParameterCount = 9;
inline constexpr int kFieldCount = kChannelCount * kParameterCount;

// The nine parameters of a channel, in the order of the channel's boxes on the screen.
enum class Parameter {
    SensorFrom,
    SensorTo,
    PvFrom,
    PvTo,
    LowAlarm,
    HighAlarm,
    SilenceTime,
    DecimalDigits,
    Hysteresis,
};

// The eighteen parameter boxes: CH0's nine, then CH1's nine, each in Parameter order.
enum class Field {
    CH0SensorFrom,
    CH0SensorTo,
    CH0PvFrom,
    CH0PvTo,
    CH0LowAlarm,
    CH0HighAlarm,
    CH0SilenceTime,
    CH0DecimalDigits,
    CH0Hystersis,
    CH1SensorFrom,
    CH1SensorTo,
    CH1PvFrom,
    CH1PvTo,
    CH1LowAlarm,
    CH1HighAlarm,
    CH1SilenceTime,
    CH1DecimalDigits,
    CH1Hystersis,
};

constexpr int indexOf(Field f)
{
    return static_cast<int>(f);
}
constexpr Field fieldAt(int index)
{
    return static_cast<Field>(index);
}
constexpr Field fieldOf(int channel, Parameter parameter)
{
    return fieldAt(channel * kParameterCount + static_cast<int>(parameter));
}
constexpr int channelOf(Field f)
{
    return indexOf(f) / kParameterCount;
}
constexpr Parameter parameterOf(Field f)
{
    return static_cast<Parameter>(indexOf(f) % kParameterCount);
}

// The box's component name ("CH0SensorFrom", "CH1Hystersis").
QString controlName(Field f);
// The box for a component name, if it is one of the eighteen.
std::optional<Field> fieldByName(const QString& name);
// The text a box starts with ("1000", "5000", "0.000", "100.000", "40.000", "60.000", "30", "1", "0.5").
QString defaultText(Field f);
// The name the messages give the box ("CH0 Sensor From", "CH1 Hysteresis").
QString humanLabel(Field f);
// The check the box makes when it is left.
values::FieldKind checkKind(Field f);
// For a sensor box, the other limit of the same channel (from <-> to); nothing otherwise.
std::optional<Field> sensorPartner(Field f);

// The channels in use, and the device's enable mask that carries them.
struct ChannelFlags {
    bool ch0Enabled = true;
    bool ch1Enabled = true;
    bool operator==(const ChannelFlags&) const = default;
};
// Bit 0 = CH0, bit 1 = CH1, all other bits 0.
std::uint16_t enableMask(ChannelFlags flags);
// Bit 0 and bit 1 of the mask; other bits are ignored.
ChannelFlags flagsFromMask(std::uint16_t mask);

// The eighteen texts of the parameter boxes, as the form shows them.
struct Texts {
    std::array<QString, kFieldCount> values;

    QString& operator[](Field f) { return values[indexOf(f)]; }
    const QString& operator[](Field f) const { return values[indexOf(f)]; }
    bool operator==(const Texts&) const = default;

    // All eighteen boxes at their designed defaults.
    static Texts defaults();
};

// The check made when box `f` is left, with the texts of all boxes as they stand (a sensor
// box compares itself with its partner).
values::FieldCheckResult checkBox(Field f, const Texts& texts);

} // namespace tarnixw::plix
