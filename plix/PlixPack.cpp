#include "PlixPack.h"


namespace tarnixw::plix {

namespace {

bool fits(std::span<const std::uint8_t> out, int pos, int size)
{
    return pos >= 0 && static_cast<std::size_t>(pos) + static_cast<std::size_t>(size) <= out.size();
}

// Where a block's values lie in the parameter image and how wide they are, in the order the
// device holds them. The device holds each value most significant byte first, the image least
// significant first.
struct Slot {
    int offset;
    int bytes;
};
using namespace offset;
constexpr Slot kBlockA[] = {{kEnableMask, 2}, {kConstZero16, 2}, {kConstThree16, 2}, {kConstZeroA, 4},
    {kConstZeroB, 4}, {kSlope, 4}, {kSlope + 4, 4}, {kOffset, 4}, {kOffset + 4, 4}, {kConstThousand, 4},
    {kConstThousand + 4, 4}, {kHighAlarm, 4}, {kHighAlarm + 4, 4}, {kLowAlarm, 4}, {kLowAlarm + 4, 4},
    {kDecimalDigits, 1}, {kDecimalDigits + 1, 1}};
constexpr Slot kBlockB[] = {{kSensorFrom, 4}, {kSensorFrom + 4, 4}, {kSensorTo, 4}, {kSensorTo + 4, 4}, {kPvFrom, 4},
    {kPvFrom + 4, 4}, {kPvTo, 4}, {kPvTo + 4, 4}, {kSilenceTime, 2}, {kSilenceTime + 2, 2}, {kHysteresis, 1},
    {kHysteresis + 1, 1}};

int lay(std::span<const Slot> block, const PLIXParamSet& p, std::span<std::uint8_t> out, int pos)
{
    for (const Slot& s : block)
        for (int i = s.bytes - 1; i >= 0; --i)
            out[pos++] = p.bytes[s.offset + i];
    return pos;
}

int read(std::span<const Slot> block, std::span<const std::uint8_t> in, int pos, PLIXParamSet& p)
{
    for (const Slot& s : block)
        for (int i = s.bytes - 1; i >= 0; --i)
            p.bytes[s.offset + i] = in[pos++];
    return pos;
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
    return fits(out, pos, kBlockASize) ? lay(kBlockA, p, out, pos) : -1;
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
    return fits(out, pos, kBlockBSize) ? lay(kBlockB, p, out, pos) : -1;
}

std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < static_cast<std::size_t>(kDeviceImageSize))
        return std::nullopt;
    PLIXParamSet p;
    read(kBlockB, image, read(kBlockA, image, 0, p), p);
    return p;
}

} // namespace tarnixw::plix
