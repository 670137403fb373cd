#include "PlixModel.h"

#include "link/Modbus.h"
#include "values/Fixed.h"
#include "values/NumberText.h"
#include "values/SafeFile.h"

#include <cfloat>
#include <cmath>

namespace tarnixw::plix {

namespace {

// ---- Conversions shared by Write and Save File ------------------------------------------

// How a box's text becomes its device integer: the scale applied before single precision
// and the width of its device field.
struct Conversion {
    long double scale;
    int bits;
};

Conversion conversionOf(Kind k)
{
    switch (k) {
    case Kind::SensorFrom:
    case Kind::SensorTo:
        return {1.0L, 32};
    case Kind::PvFrom:
    case Kind::PvTo:
    case Kind::LowAlarm:
    case Kind::HighAlarm:
        return {1000.0L, 32};
    case Kind::SilenceTime:
        return {1.0L, 16};
    case Kind::DecimalDigits:
        return {1.0L, 8};
    case Kind::Hysteresis:
        return {10.0L, 8};
    }
    return {1.0L, 32};
}

int stagedIndex(Field f)
{
    const int ch = channelOf(f);
    switch (kindOf(f)) {
    case Kind::SensorFrom:
        return staged::kSensorFrom + ch;
    case Kind::SensorTo:
        return staged::kSensorTo + ch;
    case Kind::PvFrom:
        return staged::kPvFrom + ch;
    case Kind::PvTo:
        return staged::kPvTo + ch;
    case Kind::LowAlarm:
        return staged::kLowAlarm + ch;
    case Kind::HighAlarm:
        return staged::kHighAlarm + ch;
    case Kind::SilenceTime:
        return staged::kSilenceTime + ch;
    case Kind::DecimalDigits:
        return staged::kDecimalDigits + ch;
    case Kind::Hysteresis:
        return staged::kHysteresis + ch;
    }
    return 0;
}

using values::toSingle;

// The single-precision value whose truncation fits `bits`.
std::optional<float> fittingSingle(long double v, int bits)
{
    const auto f = toSingle(v);
    if (!f || !values::toUserField(*f, bits))
        return std::nullopt;
    return f;
}

struct BoxValue {
    float value = 0;
    QString error;
};

// A box's text as its staged single-precision value.
BoxValue convertBox(Field f, const QString& text)
{
    BoxValue r;
    const auto number = values::parseNumber(text);
    if (!number) {
        r.error = QStringLiteral("%1: '%2' is not a valid number.").arg(humanLabel(f), text);
        return r;
    }
    const Conversion c = conversionOf(kindOf(f));
    const auto v = fittingSingle(*number * c.scale, c.bits);
    if (!v) {
        r.error = QStringLiteral("%1: '%2' is out of the range the device can store.").arg(humanLabel(f), text);
        return r;
    }
    r.value = *v;
    return r;
}

// All eighteen boxes, in box order; the first failure wins.
std::optional<QString> convertAll(const Texts& texts, PLIXStagedValues& out)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = fieldAt(i);
        const BoxValue b = convertBox(f, texts[f]);
        if (!b.error.isEmpty())
            return b.error;
        out[stagedIndex(f)] = b.value;
    }
    return std::nullopt;
}

// The low bits of a staged value, truncated toward zero. Staged values come from
// stageValues(), which has already refused anything that does not fit.
std::uint32_t low32(float v)
{
    return static_cast<std::uint32_t>(values::truncateToInt64(v).value_or(0));
}
std::uint16_t low16(float v)
{
    return static_cast<std::uint16_t>(low32(v));
}
std::uint8_t low8(float v)
{
    return static_cast<std::uint8_t>(low32(v));
}

// The device's byte order: the link's big-endian Put and Get operations.
using link::GetLong;
using link::GetShort;
using link::PutByte;
using link::PutLong;
using link::PutShort;

bool fits(std::span<std::uint8_t> out, int pos, int size)
{
    return pos >= 0 && static_cast<std::size_t>(pos) + static_cast<std::size_t>(size) <= out.size();
}

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

// Block positions of a field in the gathered device image.
constexpr int imageA(int address)
{
    return address - kBlockAAddress;
}
constexpr int imageB(int address)
{
    return address - kBlockBAddress + kBlockASize;
}

Model g_model;

} // namespace

Model& model()
{
    return g_model;
}

void resetModel()
{
    g_model = Model{};
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
    switch (kindOf(f)) {
    case Kind::SensorFrom:
        return values::checkSensorFrom(text, texts[*sensorPartner(f)], values::plixSensorRules());
    case Kind::SensorTo:
        return values::checkSensorTo(text, texts[*sensorPartner(f)], values::plixSensorRules());
    default:
        return values::checkField(checkKind(f), text);
    }
}

StagingResult stageValues(const Texts& texts, ChannelFlags flags)
{
    StagingResult r;
    PLIXStagedValues s;
    s[staged::kEnableMask] = static_cast<float>(enableMask(flags));
    s[staged::kZero] = 0.0f;
    s[staged::kThree] = 3.0f;
    if (auto error = convertAll(texts, s)) {
        r.error = *error;
        return r;
    }
    for (int ch = 0; ch < kChannelCount; ++ch) {
        const ChannelScaling line = channelScaling(
            ch, s[staged::kSensorFrom + ch], s[staged::kSensorTo + ch], s[staged::kPvFrom + ch], s[staged::kPvTo + ch]);
        if (!line.error.isEmpty()) {
            r.error = line.error;
            return r;
        }
        s[staged::kSlope + ch] = line.slope;
        s[staged::kOffset + ch] = line.offset;
    }
    r.values = s;
    return r;
}

ChannelScaling channelScaling(int ch, float sensorFrom, float sensorTo, float pvFrom, float pvTo)
{
    ChannelScaling r;
    if (sensorFrom == sensorTo) {
        r.error = QStringLiteral("CH%1: Sensor From and Sensor To are both %2 mV; they must differ.")
                      .arg(ch)
                      .arg(QString::number(static_cast<double>(sensorFrom), 'g', 10));
        return r;
    }
    // The device computes P.V. x 1000 = slope x mV / 1000 + offset: the slope is in
    // P.V. thousandths per volt, the offset in P.V. thousandths.
    const long double slopeExact = (static_cast<long double>(pvTo) - static_cast<long double>(pvFrom)) * 1000.0L
        / (static_cast<long double>(sensorTo) - static_cast<long double>(sensorFrom));
    const auto slope = fittingSingle(slopeExact, 32);
    if (!slope) {
        r.error = QStringLiteral("CH%1: the sensor and P.V. ranges give a slope the device cannot store; "
                                 "widen the sensor range or narrow the P.V. range.")
                      .arg(ch);
        return r;
    }
    const long double offsetExact = static_cast<long double>(pvTo)
        - static_cast<long double>(sensorTo) * static_cast<long double>(*slope) * 0.001L;
    const auto offset = fittingSingle(offsetExact, 32);
    if (!offset) {
        r.error = QStringLiteral("CH%1: the sensor and P.V. ranges give an offset the device cannot store.").arg(ch);
        return r;
    }
    r.slope = *slope;
    r.offset = *offset;
    return r;
}

WriteImage paramSetForWrite(const PLIXParamSet& values)
{
    WriteImage w;
    PLIXParamSet p = values;
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    p.setI32(offset::kConstZeroA, 0);
    p.setI32(offset::kConstZeroB, 0);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        // The ranges as Write stages them: held in single precision.
        const ChannelScaling line = channelScaling(ch, static_cast<float>(p.sensorFrom(ch)),
            static_cast<float>(p.sensorTo(ch)), static_cast<float>(p.pvFrom(ch)), static_cast<float>(p.pvTo(ch)));
        if (!line.error.isEmpty()) {
            w.error = line.error;
            return w;
        }
        p.setSlope(ch, std::int32_t(low32(line.slope)));
        p.setOffsetValue(ch, std::int32_t(low32(line.offset)));
        p.setI32(offset::kConstThousand + 4 * ch, 1000);
    }
    w.paramSet = p;
    return w;
}

int PackBlockA(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos, PLIXParamSet& p)
{
    if (!fits(out, pos, kBlockASize))
        return -1;
    p.setEnableMask(low16(s[staged::kEnableMask]));
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    p.setI32(offset::kConstZeroA, 0);
    p.setI32(offset::kConstZeroB, 0);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSlope(ch, std::int32_t(low32(s[staged::kSlope + ch])));
        p.setOffsetValue(ch, std::int32_t(low32(s[staged::kOffset + ch])));
        p.setI32(offset::kConstThousand + 4 * ch, 1000);
        p.setHighAlarm(ch, std::int32_t(low32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(low32(s[staged::kLowAlarm + ch])));
        p.setDecimalDigits(ch, low8(s[staged::kDecimalDigits + ch]));
    }
    return layBlockA(p, out, pos);
}

int layBlockA(const PLIXParamSet& p, std::span<std::uint8_t> out, int pos)
{
    if (!fits(out, pos, kBlockASize))
        return -1;
    pos = PutShort(out, pos, p.enableMask());
    pos = PutShort(out, pos, p.u16(offset::kConstZero16));
    pos = PutShort(out, pos, p.u16(offset::kConstThree16));
    pos = PutLong(out, pos, std::uint32_t(p.i32(offset::kConstZeroA)));
    pos = PutLong(out, pos, std::uint32_t(p.i32(offset::kConstZeroB)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.slope(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.offsetValue(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.i32(offset::kConstThousand + 4 * ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.highAlarm(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.lowAlarm(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutByte(out, pos, p.decimalDigits(ch));
    return pos;
}

int PackBlockB(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos, PLIXParamSet& p)
{
    if (!fits(out, pos, kBlockBSize))
        return -1;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSensorFrom(ch, std::int32_t(low32(s[staged::kSensorFrom + ch])));
        p.setSensorTo(ch, std::int32_t(low32(s[staged::kSensorTo + ch])));
        p.setPvFrom(ch, std::int32_t(low32(s[staged::kPvFrom + ch])));
        p.setPvTo(ch, std::int32_t(low32(s[staged::kPvTo + ch])));
        p.setHighAlarm(ch, std::int32_t(low32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(low32(s[staged::kLowAlarm + ch])));
        p.setSilenceTime(ch, low16(s[staged::kSilenceTime + ch]));
        p.setHysteresis(ch, low8(s[staged::kHysteresis + ch]));
    }
    return layBlockB(p, out, pos);
}

int layBlockB(const PLIXParamSet& p, std::span<std::uint8_t> out, int pos)
{
    if (!fits(out, pos, kBlockBSize))
        return -1;
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.sensorFrom(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.sensorTo(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.pvFrom(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutLong(out, pos, std::uint32_t(p.pvTo(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutShort(out, pos, std::uint16_t(p.silenceTime(ch)));
    for (int ch = 0; ch < kChannelCount; ++ch)
        pos = PutByte(out, pos, p.hysteresis(ch));
    return pos;
}

int PackBlockA(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos)
{
    return PackBlockA(s, out, pos, model().paramSet);
}

int PackBlockB(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos)
{
    return PackBlockB(s, out, pos, model().paramSet);
}

std::optional<DecodedSet> decodeDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < static_cast<std::size_t>(kDeviceImageSize))
        return std::nullopt;
    DecodedSet d;
    d.flags = flagsFromMask(std::uint16_t(GetShort(image, imageA(0x0020))));
    for (int ch = 0; ch < kChannelCount; ++ch) {
        Texts& t = d.texts;
        t[fieldOf(ch, Kind::SensorFrom)] = integerText(GetLong(image, imageB(0x0800) + 4 * ch));
        t[fieldOf(ch, Kind::SensorTo)] = integerText(GetLong(image, imageB(0x0808) + 4 * ch));
        t[fieldOf(ch, Kind::PvFrom)] = thousandthsText(GetLong(image, imageB(0x0810) + 4 * ch));
        t[fieldOf(ch, Kind::PvTo)] = thousandthsText(GetLong(image, imageB(0x0818) + 4 * ch));
        t[fieldOf(ch, Kind::HighAlarm)] = thousandthsText(GetLong(image, imageA(0x0046) + 4 * ch));
        t[fieldOf(ch, Kind::LowAlarm)] = thousandthsText(GetLong(image, imageA(0x004E) + 4 * ch));
        t[fieldOf(ch, Kind::SilenceTime)] = integerText(GetShort(image, imageB(0x0820) + 2 * ch));
        // The device's digits and hysteresis bytes read back signed.
        t[fieldOf(ch, Kind::DecimalDigits)] = integerText(std::int8_t(image[imageA(0x0056) + ch]));
        t[fieldOf(ch, Kind::Hysteresis)] = tenthsText(std::int8_t(image[imageB(0x0824) + ch]));
    }
    return d;
}

DecodedSet decodeParamSet(const PLIXParamSet& p)
{
    DecodedSet d;
    d.flags = flagsFromMask(p.enableMask());
    for (int ch = 0; ch < kChannelCount; ++ch) {
        Texts& t = d.texts;
        // Sensor limits pass through single precision on the way back, as they did on the way in.
        const auto viaSingle
            = [](std::int32_t v) { return integerText(values::truncateToInt64(static_cast<float>(v)).value_or(0)); };
        t[fieldOf(ch, Kind::SensorFrom)] = viaSingle(p.sensorFrom(ch));
        t[fieldOf(ch, Kind::SensorTo)] = viaSingle(p.sensorTo(ch));
        t[fieldOf(ch, Kind::PvFrom)] = thousandthsText(p.pvFrom(ch));
        t[fieldOf(ch, Kind::PvTo)] = thousandthsText(p.pvTo(ch));
        t[fieldOf(ch, Kind::HighAlarm)] = thousandthsText(p.highAlarm(ch));
        t[fieldOf(ch, Kind::LowAlarm)] = thousandthsText(p.lowAlarm(ch));
        t[fieldOf(ch, Kind::SilenceTime)] = integerText(p.silenceTime(ch));
        t[fieldOf(ch, Kind::DecimalDigits)] = integerText(p.decimalDigits(ch));
        t[fieldOf(ch, Kind::Hysteresis)] = tenthsText(p.hysteresis(ch));
    }
    return d;
}

std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < static_cast<std::size_t>(kDeviceImageSize))
        return std::nullopt;
    PLIXParamSet p;
    // Block A in address order: three 16-bit words, twelve 32-bit values, two bytes.
    int pos = imageA(kBlockAAddress);
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
    pos = imageB(kBlockBAddress);
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

std::optional<QString> captureForSave(const Texts& texts, ChannelFlags flags, PLIXParamSet& p)
{
    PLIXStagedValues s;
    if (auto error = convertAll(texts, s))
        return error;
    p.setEnableMask(enableMask(flags));
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSensorFrom(ch, std::int32_t(low32(s[staged::kSensorFrom + ch])));
        p.setSensorTo(ch, std::int32_t(low32(s[staged::kSensorTo + ch])));
        p.setPvFrom(ch, std::int32_t(low32(s[staged::kPvFrom + ch])));
        p.setPvTo(ch, std::int32_t(low32(s[staged::kPvTo + ch])));
        p.setHighAlarm(ch, std::int32_t(low32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(low32(s[staged::kLowAlarm + ch])));
        p.setSilenceTime(ch, low16(s[staged::kSilenceTime + ch]));
        p.setDecimalDigits(ch, low8(s[staged::kDecimalDigits + ch]));
        p.setHysteresis(ch, low8(s[staged::kHysteresis + ch]));
    }
    return std::nullopt;
}

std::optional<QString> saveConfigurationFile(const QString& path, const PLIXParamSet& paramSet)
{
    return values::saveFileSafely(path, paramSet.toBytes());
}

LoadResult loadConfigurationFile(const QString& path, Model& m)
{
    LoadResult r;
    const values::FileBytes file = values::readFileExactly(path, kFileSize, kModelName);
    if (!file.bytes) {
        r.error = file.error;
        return r;
    }
    m.paramSet.assign(*file.bytes);
    const DecodedSet d = decodeParamSet(m.paramSet);
    m.setFlags(d.flags);
    r.decoded = d;
    return r;
}

} // namespace tarnixw::plix
