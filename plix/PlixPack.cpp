#include "PlixPack.h"

namespace tarnixw::plix {

namespace {

bool fits(std::span<const std::uint8_t> out, int pos, int size)
{
    return pos >= 0 && static_cast<std::size_t>(pos) + static_cast<std::size_t>(size) <= out.size();
}

// Where a block's values lie in the parameter image, in the order the device holds them: the
// offset, the width, and how many lie side by side (one, or one per channel). The device holds
// each value most significant byte first, the image least significant first.
struct Slot {
    int offset;
    int bytes;
    int count;
};
using namespace offset;
constexpr int kPerChannel = kChannelCount;
constexpr Slot kBlockA[] = {{kEnableMask, 2, 1}, {kConstZero16, 2, 1}, {kConstThree16, 2, 1}, {kConstZeroA, 4, 1},
    {kConstZeroB, 4, 1}, {kSlope, 4, kPerChannel}, {kOffset, 4, kPerChannel}, {kConstThousand, 4, kPerChannel},
    {kHighAlarm, 4, kPerChannel}, {kLowAlarm, 4, kPerChannel}, {kDecimalDigits, 1, kPerChannel}};
constexpr Slot kBlockB[] = {{kSensorFrom, 4, kPerChannel}, {kSensorTo, 4, kPerChannel}, {kPvFrom, 4, kPerChannel},
    {kPvTo, 4, kPerChannel}, {kSilenceTime, 2, kPerChannel}, {kHysteresis, 1, kPerChannel}};

// Calls f(image offset, block position) for each byte of the block.
template <typename F> int eachByte(std::span<const Slot> block, int pos, F&& f)
{
    for (const Slot& s : block)
        for (int n = 0; n < s.count; ++n)
            for (int i = s.bytes - 1; i >= 0; --i)
                f(s.offset + n * s.bytes + i, pos++);
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
    if (!fits(out, pos, kBlockASize))
        return -1;
    return eachByte(kBlockA, pos, [&](int at, int to) { out[to] = p.bytes[at]; });
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
    return eachByte(kBlockB, pos, [&](int at, int to) { out[to] = p.bytes[at]; });
}

std::optional<PLIXParamSet> paramSetFromDeviceImage(std::span<const std::uint8_t> image)
{
    if (image.size() < static_cast<std::size_t>(kDeviceImageSize))
        return std::nullopt;
    PLIXParamSet p;
    const auto take = [&](int at, int from) { p.bytes[at] = image[from]; };
    eachByte(kBlockB, eachByte(kBlockA, 0, take), take);
    return p;
}

} // namespace tarnixw::plix
