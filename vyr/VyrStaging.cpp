#include "VyrStaging.h"

#include "values/FieldChecks.h"
#include "values/Fixed.h"
#include "words/Words.h"

namespace tarnixw::vyr {

namespace {

using values::toSingle;

struct ColumnRule {
    Column column;
    int base; // index of channel 0 in the staged values
    int stride; // distance between channels
    long double scale;
    int bits;
};

// Staged in the order Write reads the boxes of a row.
constexpr std::array<ColumnRule, kColumns> kRules{{
    {Column::SFrom, VYRStagedValues::kSFrom, 1, 1.0L, 32},
    {Column::STo, VYRStagedValues::kSTo, 1, 1.0L, 32},
    {Column::DFrom, VYRStagedValues::kDFrom, 1, 1000.0L, 32},
    {Column::DTo, VYRStagedValues::kDTo, 1, 1000.0L, 32},
    {Column::SilenceT, VYRStagedValues::kSilenceT, 4, 1.0L, 16},
    {Column::Hysteresis, VYRStagedValues::kHysteresis, 1, 10.0L, 8},
    {Column::HLimit, VYRStagedValues::kHLimit, 1, 1000.0L, 32},
    {Column::LLimit, VYRStagedValues::kLLimit, 1, 1000.0L, 32},
    {Column::Digits, VYRStagedValues::kDigits, 1, 1.0L, 8},
}};

} // namespace

std::optional<Scaling> scalingLine(float sFrom, float sTo, float dFrom1000, float dTo1000)
{
    const long double span = static_cast<long double>(sTo) - sFrom;
    if (span == 0)
        return std::nullopt;
    const auto gain = toSingle((static_cast<long double>(dTo1000) - dFrom1000) * 1000.0L / span);
    if (!gain)
        return std::nullopt;
    // The offset uses the gain as held in single precision, before any truncation.
    const auto offset = toSingle(static_cast<long double>(dTo1000) - static_cast<long double>(*gain) * sTo * 0.001L);
    if (!offset)
        return std::nullopt;
    return Scaling{*gain, *offset};
}

values::Result<Scaling> channelScaling(
    const QString& channel, float sFrom, float sTo, float dFrom1000, float dTo1000, const QString& fromText)
{
    using R = values::Result<Scaling>;
    if (sFrom == sTo)
        return R::failure(Words::vyrEqualSignalRange(channel, fromText));
    const auto line = scalingLine(sFrom, sTo, dFrom1000, dTo1000);
    const bool gainFits = line && values::toUserField(line->gain, 32);
    const bool offsetFits = line && values::toUserField(line->offset, 32);
    if (!gainFits || !offsetFits)
        return R::failure(
            Words::vyrScalingOutOfRange(channel, gainFits ? Words::scalingOffset() : Words::scalingGain()));
    return R::of(*line);
}

StageResult stageScreen(const Screen& screen, bool computeScaling)
{
    using S = VYRStagedValues;
    S st;

    std::uint32_t mask = 0;
    for (int k = 0; k < kAnalogChannels; ++k)
        if (screen.VYRChanInUse[k] & 1)
            mask |= 1u << k;
    st[S::kChanMask] = float(mask);
    st[S::kFixedZero] = 0;
    st[S::kFixedFF] = 255;

    for (int k = 0; k < kAnalogChannels; ++k) {
        for (const ColumnRule& rule : kRules) {
            const values::Result<float> c = values::deviceValue(
                analogBoxLabel(k, rule.column), screen.text(k, rule.column), rule.scale, rule.bits);
            if (!c.ok())
                return StageResult::failure(c.error);
            st[rule.base + rule.stride * k] = *c.value;
        }
        if (!computeScaling)
            continue;
        const values::Result<Scaling> line = channelScaling(Words::channelName(k), st[S::kSFrom + k], st[S::kSTo + k],
            st[S::kDFrom + k], st[S::kDTo + k], screen.text(k, Column::SFrom).trimmed());
        if (!line.ok())
            return StageResult::failure(line.error);
        st[S::kGain + k] = line.value->gain;
        st[S::kOffset + k] = line.value->offset;
    }

    // Relay modes: a DI channel that is not in use has neither mode.
    for (int m = 0; m < kDiModules; ++m) {
        std::uint32_t close = 0, open = 0;
        for (int n = 0; n < kDiChannels; ++n) {
            if (screen.DIChanInUse[m][n] == 0)
                continue;
            if (screen.DICloseTicked[m][n])
                close |= 1u << n;
            if (screen.DIOpenTicked[m][n])
                open |= 1u << n;
        }
        st[S::kDICloseMask + m] = float(close);
        st[S::kDIOpenMask + m] = float(open);
    }

    for (int n = 0; n < kDiChannels; ++n)
        for (int m = 0; m < kDiModules; ++m) {
            const values::Result<float> c
                = values::deviceValue(Words::diSilenceBox(m, n), screen.DISilenceT[m][n], 1.0L, 16);
            if (!c.ok())
                return StageResult::failure(c.error);
            st[S::kSilenceT + 4 * n + m + 1] = *c.value;
        }

    // The mapping goes out exactly as the boxes show it, whether or not an input is in use.
    for (int c = 0; c < kDoInputs; ++c)
        for (int m = 0; m < kDoModules; ++m) {
            std::uint32_t word = 0;
            for (int rr = 0; rr < kDoOutputs; ++rr)
                if (screen.DOMap[rr][c][m] != 0)
                    word |= 1u << rr;
            st[S::kDOMapMask + 3 * c + m] = float(word);
        }
    return StageResult::of(st);
}

} // namespace tarnixw::vyr
