#include "PlixDecode.h"

#include "PlixPack.h"
#include "values/Fixed.h"
#include "values/NumberText.h"

namespace tarnixw::plix {

namespace {

// ---- Text formats -----------------------------------------------------------------------

QString integerText(long long v)
{
    return QString::number(v);
}

// P.V. and alarms: thousandths back to the unit, held in single precision, five significant digits.
QString thousandthsText(std::int32_t v)
{
    const float unit = static_cast<float>(static_cast<double>(v) * 0.001);
    return values::formatSignificant(unit, 5, 3);
}

// Hysteresis: tenths of a percent, held in single precision, two significant digits.
QString tenthsText(int v)
{
    const float percent = static_cast<float>(static_cast<double>(v) * 0.1);
    return values::formatSignificant(percent, 2, 1);
}

// The texts and flags of a parameter image: as a Read shows the device's (`asRead`: sensor
// limits as the device holds them, digits and hysteresis bytes read back signed), or as Open
// File shows the file's (sensor limits through single precision on the way back, as they went
// in; the bytes unsigned).
DecodedSet decoded(const PLIXParamSet& p, bool asRead)
{
    DecodedSet d;
    d.flags = flagsFromMask(p.enableMask());
    const auto sensor = [asRead](std::int32_t v) {
        return integerText(asRead ? v : values::truncateToInt64(static_cast<float>(v)).value_or(0));
    };
    for (int ch = 0; ch < kChannelCount; ++ch) {
        Texts& t = d.texts;
        t[fieldOf(ch, Parameter::SensorFrom)] = sensor(p.sensorFrom(ch));
        t[fieldOf(ch, Parameter::SensorTo)] = sensor(p.sensorTo(ch));
        t[fieldOf(ch, Parameter::PvFrom)] = thousandthsText(p.pvFrom(ch));
        t[fieldOf(ch, Parameter::PvTo)] = thousandthsText(p.pvTo(ch));
        t[fieldOf(ch, Parameter::HighAlarm)] = thousandthsText(p.highAlarm(ch));
        t[fieldOf(ch, Parameter::LowAlarm)] = thousandthsText(p.lowAlarm(ch));
        t[fieldOf(ch, Parameter::SilenceTime)] = integerText(p.silenceTime(ch));
        t[fieldOf(ch, Parameter::DecimalDigits)]
            = integerText(asRead ? std::int8_t(p.decimalDigits(ch)) : p.decimalDigits(ch));
        t[fieldOf(ch, Parameter::Hysteresis)] = tenthsText(asRead ? std::int8_t(p.hysteresis(ch)) : p.hysteresis(ch));
    }
    return d;
}

} // namespace

std::optional<DecodedSet> decodeDeviceImage(std::span<const std::uint8_t> image)
{
    const std::optional<PLIXParamSet> p = paramSetFromDeviceImage(image);
    if (!p)
        return std::nullopt;
    return decoded(*p, true);
}

DecodedSet decodeParamSet(const PLIXParamSet& p)
{
    return decoded(p, false);
}

} // namespace tarnixw::plix
