#include "PlixDecode.h"

#include "PlixPack.h"
#include "link/Modbus.h"
#include "values/Fixed.h"
#include "values/NumberText.h"

namespace tarnixw::plix {

namespace {

using link::GetLong;
using link::GetShort;

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

std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < static_cast<std::size_t>(kDeviceImageSize))
        return std::nullopt;
    PLIXParamSet p;
    // Block A in address order: three 16-bit words, twelve 32-bit values, two bytes.
    int pos = 0;
    for (const int off : {offset::kEnableMask, offset::kConstZero16, offset::kConstThree16}) {
        p.setU16(off, std::uint16_t(GetShort(image, pos)));
        pos += 2;
    }
    for (const int off : {offset::kConstZeroA, offset::kConstZeroB, offset::kSlope, offset::kSlope + 4, offset::kOffset,
             offset::kOffset + 4, offset::kConstThousand, offset::kConstThousand + 4, offset::kHighAlarm,
             offset::kHighAlarm + 4, offset::kLowAlarm, offset::kLowAlarm + 4}) {
        p.setI32(off, GetLong(image, pos));
        pos += 4;
    }
    p.setU8(offset::kDecimalDigits, image[std::size_t(pos)]);
    p.setU8(offset::kDecimalDigits + 1, image[std::size_t(pos) + 1]);
    // Block B: eight 32-bit values, two 16-bit words, two bytes.
    pos = kBlockASize;
    for (const int off : {offset::kSensorFrom, offset::kSensorFrom + 4, offset::kSensorTo, offset::kSensorTo + 4,
             offset::kPvFrom, offset::kPvFrom + 4, offset::kPvTo, offset::kPvTo + 4}) {
        p.setI32(off, GetLong(image, pos));
        pos += 4;
    }
    for (int ch = 0; ch < kChannelCount; ++ch, pos += 2)
        p.setSilenceTime(ch, std::uint16_t(GetShort(image, pos)));
    p.setHysteresis(0, image[std::size_t(pos)]);
    p.setHysteresis(1, image[std::size_t(pos) + 1]);
    return p;
}

} // namespace tarnixw::plix
