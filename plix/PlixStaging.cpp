#include "PlixStaging.h"

#include "values/Fixed.h"
#include "words/Words.h"

namespace tarnixw::plix {

namespace {

// ---- Conversions shared by Write and Save File ------------------------------------------

// How a box's text becomes its device integer, by Parameter: its place in the staged values
// (plus the channel), the scale applied before single precision and the width of its device
// field.
struct Conversion {
    int staged;
    long double scale;
    int bits;
};
constexpr Conversion kConversions[kParameterCount] = {
    {staged::kSensorFrom, 1.0L, 32},
    {staged::kSensorTo, 1.0L, 32},
    {staged::kPvFrom, 1000.0L, 32},
    {staged::kPvTo, 1000.0L, 32},
    {staged::kLowAlarm, 1000.0L, 32},
    {staged::kHighAlarm, 1000.0L, 32},
    {staged::kSilenceTime, 1.0L, 16},
    {staged::kDecimalDigits, 1.0L, 8},
    {staged::kHysteresis, 10.0L, 8},
};

// The single-precision value whose truncation fits `bits`.
std::optional<float> fittingSingle(long double v, int bits)
{
    const auto f = values::toSingle(v);
    if (!f || !values::toUserField(*f, bits))
        return std::nullopt;
    return f;
}

} // namespace

// All eighteen boxes, in box order; the first failure wins.
std::optional<QString> convertTexts(const Texts& texts, PLIXStagedValues& out)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = fieldAt(i);
        const Conversion& c = kConversions[static_cast<int>(parameterOf(f))];
        const values::Result<float> b = values::deviceValue(humanLabel(f), texts[f], c.scale, c.bits);
        if (!b.ok())
            return b.error;
        out[c.staged + channelOf(f)] = *b.value;
    }
    return std::nullopt;
}

std::uint32_t truncated32(float v)
{
    return static_cast<std::uint32_t>(values::truncateToInt64(v).value_or(0));
}
std::uint16_t truncated16(float v)
{
    return static_cast<std::uint16_t>(truncated32(v));
}
std::uint8_t truncated8(float v)
{
    return static_cast<std::uint8_t>(truncated32(v));
}

StagingResult stageValues(const Texts& texts, ChannelFlags flags)
{
    PLIXStagedValues s;
    s[staged::kEnableMask] = static_cast<float>(enableMask(flags));
    s[staged::kZero] = 0.0f;
    s[staged::kThree] = 3.0f;
    if (auto error = convertTexts(texts, s))
        return StagingResult::failure(*error);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        const values::Result<Scaling> line = channelScaling(
            ch, s[staged::kSensorFrom + ch], s[staged::kSensorTo + ch], s[staged::kPvFrom + ch], s[staged::kPvTo + ch]);
        if (!line.ok())
            return StagingResult::failure(line.error);
        s[staged::kSlope + ch] = line.value->slope;
        s[staged::kOffset + ch] = line.value->offset;
    }
    return StagingResult::of(s);
}

values::Result<Scaling> channelScaling(int ch, float sensorFrom, float sensorTo, float pvFrom, float pvTo)
{
    using R = values::Result<Scaling>;
    if (sensorFrom == sensorTo)
        return R::failure(Words::plixEqualSensorRange(ch, QString::number(static_cast<double>(sensorFrom), 'g', 10)));
    // The device computes P.V. x 1000 = slope x mV / 1000 + offset: the slope is in
    // P.V. thousandths per volt, the offset in P.V. thousandths.
    const long double slopeExact = (static_cast<long double>(pvTo) - static_cast<long double>(pvFrom)) * 1000.0L
        / (static_cast<long double>(sensorTo) - static_cast<long double>(sensorFrom));
    const auto slope = fittingSingle(slopeExact, 32);
    if (!slope)
        return R::failure(Words::plixSlopeOutOfRange(ch));
    const long double offsetExact = static_cast<long double>(pvTo)
        - static_cast<long double>(sensorTo) * static_cast<long double>(*slope) * 0.001L;
    const auto offset = fittingSingle(offsetExact, 32);
    if (!offset)
        return R::failure(Words::plixOffsetOutOfRange(ch));
    return R::of({*slope, *offset});
}

WriteImage paramSetForWrite(const PLIXParamSet& values)
{
    PLIXParamSet p = values;
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    p.setI32(offset::kConstZeroA, 0);
    p.setI32(offset::kConstZeroB, 0);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        // The ranges as Write stages them: held in single precision.
        const values::Result<Scaling> line = channelScaling(ch, static_cast<float>(p.sensorFrom(ch)),
            static_cast<float>(p.sensorTo(ch)), static_cast<float>(p.pvFrom(ch)), static_cast<float>(p.pvTo(ch)));
        if (!line.ok())
            return WriteImage::failure(line.error);
        p.setSlope(ch, std::int32_t(truncated32(line.value->slope)));
        p.setOffsetValue(ch, std::int32_t(truncated32(line.value->offset)));
        p.setI32(offset::kConstThousand + 4 * ch, 1000);
    }
    return WriteImage::of(p);
}

void storeBlockBValues(const PLIXStagedValues& s, PLIXParamSet& p)
{
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSensorFrom(ch, std::int32_t(truncated32(s[staged::kSensorFrom + ch])));
        p.setSensorTo(ch, std::int32_t(truncated32(s[staged::kSensorTo + ch])));
        p.setPvFrom(ch, std::int32_t(truncated32(s[staged::kPvFrom + ch])));
        p.setPvTo(ch, std::int32_t(truncated32(s[staged::kPvTo + ch])));
        p.setHighAlarm(ch, std::int32_t(truncated32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(truncated32(s[staged::kLowAlarm + ch])));
        p.setSilenceTime(ch, truncated16(s[staged::kSilenceTime + ch]));
        p.setHysteresis(ch, truncated8(s[staged::kHysteresis + ch]));
    }
}

} // namespace tarnixw::plix
