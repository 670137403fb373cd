#include "VyrPack.h"

#include "link/Modbus.h"
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

template <std::size_t N> int putLongs(std::span<std::uint8_t> image, int pos, const std::array<std::int32_t, N>& a)
{
    for (std::int32_t v : a)
        pos = link::PutLong(image, pos, std::uint32_t(v));
    return pos;
}

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
    pos = link::PutShort(image, pos, r.ChanInUseMask);
    pos = link::PutShort(image, pos, r.FixedZero);
    pos = link::PutShort(image, pos, r.FixedFF);
    pos = putLongs(image, pos, r.ChanZero);
    pos = putLongs(image, pos, r.Gain);
    pos = putLongs(image, pos, r.Offset);
    pos = putLongs(image, pos, r.GainBase);
    pos = putLongs(image, pos, r.HLimit);
    pos = putLongs(image, pos, r.LLimit);
    for (std::uint16_t w : r.DICloseMask)
        pos = link::PutShort(image, pos, w);
    for (std::uint16_t w : r.DIOpenMask)
        pos = link::PutShort(image, pos, w);
    for (std::uint16_t w : r.DOMapMask)
        pos = link::PutShort(image, pos, w);
    for (std::uint8_t b : r.Digits)
        pos = link::PutByte(image, pos, b);
    return pos;
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
    pos = putLongs(image, pos, r.SFrom);
    pos = putLongs(image, pos, r.STo);
    pos = putLongs(image, pos, r.DFrom);
    pos = putLongs(image, pos, r.DTo);
    // The record keeps the silences channel-major; the device wants them row by row.
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < kAnalogChannels; ++k)
            pos = link::PutShort(image, pos, std::uint16_t(r.SilenceT[4 * k + j]));
    for (std::uint8_t b : r.Hysteresis)
        pos = link::PutByte(image, pos, b);
    return pos;
}

namespace {

template <std::size_t N> int getLongs(std::span<const std::uint8_t> image, int pos, std::array<std::int32_t, N>& a)
{
    for (std::int32_t& v : a) {
        v = link::GetLong(image, pos);
        pos += 4;
    }
    return pos;
}

template <typename T, std::size_t N> int getShorts(std::span<const std::uint8_t> image, int pos, std::array<T, N>& a)
{
    for (T& v : a) {
        v = T(link::GetShort(image, pos));
        pos += 2;
    }
    return pos;
}

} // namespace

std::optional<VYRParamSet> recordFromDeviceImage(std::span<const std::uint8_t> image)
{
    namespace o = imageoffset;
    if (image.size() < std::size_t(o::Size))
        return std::nullopt;
    VYRParamSet r;
    r.ChanInUseMask = std::uint16_t(link::GetShort(image, o::ChanInUseMask));
    r.FixedZero = std::uint16_t(link::GetShort(image, o::FixedZero));
    r.FixedFF = std::uint16_t(link::GetShort(image, o::FixedFF));
    int pos = getLongs(image, o::ChanZero, r.ChanZero);
    pos = getLongs(image, pos, r.Gain);
    pos = getLongs(image, pos, r.Offset);
    pos = getLongs(image, pos, r.GainBase);
    pos = getLongs(image, pos, r.HLimit);
    pos = getLongs(image, pos, r.LLimit);
    pos = getShorts(image, pos, r.DICloseMask);
    pos = getShorts(image, pos, r.DIOpenMask);
    getShorts(image, pos, r.DOMapMask);
    pos = getLongs(image, o::SFrom, r.SFrom);
    pos = getLongs(image, pos, r.STo);
    pos = getLongs(image, pos, r.DFrom);
    getLongs(image, pos, r.DTo);
    for (int k = 0; k < kAnalogChannels; ++k) {
        r.Digits[k] = image[o::Digits + k];
        r.Hysteresis[k] = image[o::Hysteresis + k];
        // The device keeps the silences row by row, the record channel by channel.
        for (int j = 0; j < 4; ++j)
            r.SilenceT[4 * k + j] = link::GetShort(image, o::AnalogSilence + 32 * j + 2 * k);
    }
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
