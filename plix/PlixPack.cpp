#include "PlixPack.h"

#include "link/Modbus.h"

namespace tarnixw::plix {

namespace {

// The device's byte order: the link's big-endian Put operations.
using link::PutByte;
using link::PutLong;
using link::PutShort;

bool fits(std::span<std::uint8_t> out, int pos, int size)
{
    return pos >= 0 && static_cast<std::size_t>(pos) + static_cast<std::size_t>(size) <= out.size();
}

} // namespace

int PackBlockA(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos, PLIXParamSet& p)
{
    if (!fits(out, pos, kBlockASize))
        return -1;
    p.setEnableMask(truncated16(s[staged::kEnableMask]));
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    p.setI32(offset::kConstZeroA, 0);
    p.setI32(offset::kConstZeroB, 0);
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSlope(ch, std::int32_t(truncated32(s[staged::kSlope + ch])));
        p.setOffsetValue(ch, std::int32_t(truncated32(s[staged::kOffset + ch])));
        p.setI32(offset::kConstThousand + 4 * ch, 1000);
        p.setHighAlarm(ch, std::int32_t(truncated32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(truncated32(s[staged::kLowAlarm + ch])));
        p.setDecimalDigits(ch, truncated8(s[staged::kDecimalDigits + ch]));
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
    storeBlockBValues(s, p);
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

} // namespace tarnixw::plix
