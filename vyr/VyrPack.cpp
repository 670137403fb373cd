#include "VyrPack.h"

#include "VyrBytes.h"
#include "values/Fixed.h"

namespace tarnixw::vyr {

namespace {

using S = VYRStagedValues;

// Truncation toward zero, keeping the low bits of the field (a mask sum of 32768 or more
// keeps its 16-bit pattern). Every value that fits either reading passes.
class FieldConverter {
public:
    explicit FieldConverter(const VYRStagedValues& staged)
        : m_staged(staged)
    { }

    template <typename T> void set(T& field, int index)
    {
        const auto v = values::toField(m_staged[index], int(8 * sizeof(T)));
        if (!v) {
            m_ok = false;
            return;
        }
        field = static_cast<T>(*v);
    }

    template <typename T, std::size_t N> void setAll(std::array<T, N>& fields, int base)
    {
        for (std::size_t i = 0; i < N; ++i)
            set(fields[i], base + int(i));
    }

    bool ok() const { return m_ok; }

private:
    const VYRStagedValues& m_staged;
    bool m_ok = true;
};

bool fits(std::span<std::uint8_t> image, int pos, int length)
{
    return pos >= 0 && std::size_t(pos) + std::size_t(length) <= image.size();
}

} // namespace

std::optional<VYRParamSet> recordWithStaged(const VYRParamSet& base, const VYRStagedValues& staged, RecordFields fields)
{
    VYRParamSet r = base;
    FieldConverter conv(staged);
    conv.setAll(r.HLimit, S::kHLimit);
    conv.setAll(r.LLimit, S::kLLimit);
    if (fields != RecordFields::Area2) {
        conv.set(r.ChanInUseMask, S::kChanMask);
        conv.set(r.FixedZero, S::kFixedZero);
        conv.set(r.FixedFF, S::kFixedFF);
        conv.setAll(r.DICloseMask, S::kDICloseMask);
        conv.setAll(r.DIOpenMask, S::kDIOpenMask);
        conv.setAll(r.DOMapMask, S::kDOMapMask);
        conv.setAll(r.Digits, S::kDigits);
    }
    if (fields == RecordFields::Area1) {
        r.ChanZero.fill(0);
        r.GainBase.fill(1000);
        conv.setAll(r.Gain, S::kGain);
        conv.setAll(r.Offset, S::kOffset);
    }
    if (fields != RecordFields::Area1) {
        conv.setAll(r.SFrom, S::kSFrom);
        conv.setAll(r.STo, S::kSTo);
        conv.setAll(r.DFrom, S::kDFrom);
        conv.setAll(r.DTo, S::kDTo);
        conv.setAll(r.SilenceT, S::kSilenceT);
        conv.setAll(r.Hysteresis, S::kHysteresis);
    }
    if (!conv.ok())
        return std::nullopt;
    return r;
}

std::optional<int> PackParamArea1(
    std::span<std::uint8_t> image, int pos, const VYRStagedValues& staged, VYRParamSet& record)
{
    if (!fits(image, pos, kArea1PackedBytes))
        return std::nullopt;
    const auto next = recordWithStaged(record, staged, RecordFields::Area1);
    if (!next)
        return std::nullopt;
    record = *next;
    return layParamArea1(image, pos, record);
}

std::optional<int> layParamArea1(std::span<std::uint8_t> image, int pos, const VYRParamSet& r)
{
    if (!fits(image, pos, kArea1PackedBytes))
        return std::nullopt;
    return bytes::lay(r, bytes::Part::Area1, image, pos, true);
}

std::optional<int> PackParamArea2(
    std::span<std::uint8_t> image, int pos, const VYRStagedValues& staged, VYRParamSet& record)
{
    if (!fits(image, pos, kArea2PackedBytes))
        return std::nullopt;
    const auto next = recordWithStaged(record, staged, RecordFields::Area2);
    if (!next)
        return std::nullopt;
    record = *next;
    return layParamArea2(image, pos, record);
}

std::optional<int> layParamArea2(std::span<std::uint8_t> image, int pos, const VYRParamSet& r)
{
    if (!fits(image, pos, kArea2PackedBytes))
        return std::nullopt;
    return bytes::lay(r, bytes::Part::Area2, image, pos, true);
}

std::optional<VYRParamSet> recordFromDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < std::size_t(imageoffset::Size))
        return std::nullopt;
    VYRParamSet r;
    bytes::read(r, bytes::Part::Area1, image, 0, true);
    bytes::read(r, bytes::Part::Area2, image, imageoffset::Area2, true);
    return r;
}

WriteRecord recordForWrite(const VYRParamSet& values, const std::function<QString(int)>& channelName)
{
    VYRParamSet r = values;
    r.FixedZero = 0;
    r.FixedFF = 255;
    r.ChanZero.fill(0);
    r.GainBase.fill(1000);
    // The ranges as Write stages them: held in single precision.
    for (int k = 0; k < kAnalogChannels; ++k) {
        const values::Result<Scaling> line = channelScaling(channelName(k), float(r.SFrom[k]), float(r.STo[k]),
            float(r.DFrom[k]), float(r.DTo[k]), QString::number(r.SFrom[k]));
        if (!line.ok())
            return WriteRecord::failure(line.error);
        // channelScaling has checked that both fit once truncated.
        r.Gain[k] = std::int32_t(values::toField(line.value->gain, 32).value_or(0));
        r.Offset[k] = std::int32_t(values::toField(line.value->offset, 32).value_or(0));
    }
    return WriteRecord::of(r);
}

} // namespace tarnixw::vyr
