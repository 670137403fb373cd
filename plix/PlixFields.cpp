#include "PlixFields.h"

#include "words/Words.h"

namespace tarnixw::plix {

namespace {

struct KindInfo {
    const char* namePart; // component name after "CH0"
    QString (*labelPart)(); // message label after "CH0 "
    const char* defaultText;
    values::FieldKind check;
};

// Indexed by Parameter.
constexpr KindInfo kKinds[kParameterCount] = {
    {"SensorFrom", Words::sensorFrom, "1000", values::FieldKind::Sensor},
    {"SensorTo", Words::sensorTo, "5000", values::FieldKind::Sensor},
    {"PvFrom", Words::pvFrom, "0.000", values::FieldKind::PV},
    {"PvTo", Words::pvTo, "100.000", values::FieldKind::PV},
    {"LowAlarm", Words::lowAlarm, "40.000", values::FieldKind::AlarmRange},
    {"HighAlarm", Words::highAlarm, "60.000", values::FieldKind::AlarmRange},
    {"SilenceTime", Words::silenceTime, "30", values::FieldKind::Silence},
    {"DecimalDigits", Words::decimalDigits, "1", values::FieldKind::DecimalDigits},
    {"Hystersis", Words::hysteresis, "0.5", values::FieldKind::Hysteresis},
};

const KindInfo& info(Field f)
{
    return kKinds[static_cast<int>(parameterOf(f))];
}

} // namespace

QString controlName(Field f)
{
    return QStringLiteral("CH%1").arg(channelOf(f)) + QLatin1String(info(f).namePart);
}

std::optional<Field> fieldByName(const QString& name)
{
    for (int i = 0; i < kFieldCount; ++i)
        if (controlName(fieldAt(i)) == name)
            return fieldAt(i);
    return std::nullopt;
}

QString defaultText(Field f)
{
    return QLatin1String(info(f).defaultText);
}

QString humanLabel(Field f)
{
    return Words::channelBox(channelOf(f), info(f).labelPart());
}

values::FieldKind checkKind(Field f)
{
    return info(f).check;
}

std::optional<Field> sensorPartner(Field f)
{
    switch (parameterOf(f)) {
    case Parameter::SensorFrom:
        return fieldOf(channelOf(f), Parameter::SensorTo);
    case Parameter::SensorTo:
        return fieldOf(channelOf(f), Parameter::SensorFrom);
    default:
        return std::nullopt;
    }
}

Texts Texts::defaults()
{
    Texts t;
    for (int i = 0; i < kFieldCount; ++i)
        t.values[i] = defaultText(fieldAt(i));
    return t;
}

std::uint16_t enableMask(ChannelFlags flags)
{
    return std::uint16_t((flags.ch0Enabled ? 0x0001 : 0) | (flags.ch1Enabled ? 0x0002 : 0));
}

ChannelFlags flagsFromMask(std::uint16_t mask)
{
    return {(mask & 0x0001) != 0, (mask & 0x0002) != 0};
}

values::FieldCheckResult checkBox(Field f, const Texts& texts)
{
    const QString& text = texts[f];
    switch (parameterOf(f)) {
    case Parameter::SensorFrom:
        return values::checkSensorFrom(text, texts[*sensorPartner(f)], values::plixSensorRules());
    case Parameter::SensorTo:
        return values::checkSensorTo(text, texts[*sensorPartner(f)], values::plixSensorRules());
    default:
        return values::checkField(checkKind(f), text);
    }
}

} // namespace tarnixw::plix
