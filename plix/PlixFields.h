#pragma once

#include "values/FieldChecks.h"

#include <QString>
#include <array>
#include <optional>

namespace tarnixw::plix {

inline constexpr int kChannelCount = 2;
inline constexpr int kKindCount = 9;
inline constexpr int kFieldCount = kChannelCount * kKindCount;

// The nine parameters of a channel, in the order of the channel's boxes on the screen.
enum class Kind {
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

// The eighteen parameter boxes: CH0's nine, then CH1's nine, each in Kind order.
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
constexpr Field fieldOf(int channel, Kind kind)
{
    return fieldAt(channel * kKindCount + static_cast<int>(kind));
}
constexpr int channelOf(Field f)
{
    return indexOf(f) / kKindCount;
}
constexpr Kind kindOf(Field f)
{
    return static_cast<Kind>(indexOf(f) % kKindCount);
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

// The eighteen texts of the parameter boxes, as the form shows them.
struct Texts {
    std::array<QString, kFieldCount> values;

    QString& operator[](Field f) { return values[indexOf(f)]; }
    const QString& operator[](Field f) const { return values[indexOf(f)]; }
    bool operator==(const Texts&) const = default;

    // All eighteen boxes at their designed defaults.
    static Texts defaults();
};

} // namespace tarnixw::plix
