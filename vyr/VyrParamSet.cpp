#include "VyrParamSet.h"

#include "VyrBytes.h"

namespace tarnixw::vyr {

namespace {

template <std::size_t N> void put32s(std::span<std::uint8_t> out, int at, const std::array<std::int32_t, N>& a)
{
    for (std::size_t i = 0; i < N; ++i)
        bytes::putLE32(out, at + int(4 * i), std::uint32_t(a[i]));
}

template <std::size_t N> void get32s(std::span<const std::uint8_t> in, int at, std::array<std::int32_t, N>& a)
{
    for (std::size_t i = 0; i < N; ++i)
        a[i] = std::int32_t(bytes::getLE32(in, at + int(4 * i)));
}

template <typename T, std::size_t N> void put16s(std::span<std::uint8_t> out, int at, const std::array<T, N>& a)
{
    for (std::size_t i = 0; i < N; ++i)
        bytes::putLE16(out, at + int(2 * i), std::uint16_t(a[i]));
}

template <typename T, std::size_t N> void get16s(std::span<const std::uint8_t> in, int at, std::array<T, N>& a)
{
    for (std::size_t i = 0; i < N; ++i)
        a[i] = T(bytes::getLE16(in, at + int(2 * i)));
}

} // namespace

std::array<std::uint8_t, fileoffset::Size> VYRParamSet::toFileBytes() const
{
    namespace o = fileoffset;
    std::array<std::uint8_t, o::Size> out{};
    std::span<std::uint8_t> s(out);
    bytes::putLE16(s, o::ChanInUseMask, ChanInUseMask);
    bytes::putLE16(s, o::FixedZero, FixedZero);
    bytes::putLE16(s, o::FixedFF, FixedFF);
    bytes::putLE16(s, o::Reserved, Reserved);
    put32s(s, o::ChanZero, ChanZero);
    put32s(s, o::Gain, Gain);
    put32s(s, o::Offset, Offset);
    put32s(s, o::GainBase, GainBase);
    put32s(s, o::HLimit, HLimit);
    put32s(s, o::LLimit, LLimit);
    put16s(s, o::DICloseMask, DICloseMask);
    put16s(s, o::DIOpenMask, DIOpenMask);
    put16s(s, o::DOMapMask, DOMapMask);
    for (int k = 0; k < kAnalogChannels; ++k) {
        out[o::Digits + k] = Digits[k];
        out[o::Hysteresis + k] = Hysteresis[k];
    }
    put32s(s, o::SFrom, SFrom);
    put32s(s, o::STo, STo);
    put32s(s, o::DFrom, DFrom);
    put32s(s, o::DTo, DTo);
    put16s(s, o::SilenceT, SilenceT);
    return out;
}

VYRParamSet VYRParamSet::fromFileBytes(std::span<const std::uint8_t, fileoffset::Size> in)
{
    namespace o = fileoffset;
    VYRParamSet r;
    std::span<const std::uint8_t> s(in);
    r.ChanInUseMask = bytes::getLE16(s, o::ChanInUseMask);
    r.FixedZero = bytes::getLE16(s, o::FixedZero);
    r.FixedFF = bytes::getLE16(s, o::FixedFF);
    r.Reserved = bytes::getLE16(s, o::Reserved);
    get32s(s, o::ChanZero, r.ChanZero);
    get32s(s, o::Gain, r.Gain);
    get32s(s, o::Offset, r.Offset);
    get32s(s, o::GainBase, r.GainBase);
    get32s(s, o::HLimit, r.HLimit);
    get32s(s, o::LLimit, r.LLimit);
    get16s(s, o::DICloseMask, r.DICloseMask);
    get16s(s, o::DIOpenMask, r.DIOpenMask);
    get16s(s, o::DOMapMask, r.DOMapMask);
    for (int k = 0; k < kAnalogChannels; ++k) {
        r.Digits[k] = in[o::Digits + k];
        r.Hysteresis[k] = in[o::Hysteresis + k];
    }
    get32s(s, o::SFrom, r.SFrom);
    get32s(s, o::STo, r.STo);
    get32s(s, o::DFrom, r.DFrom);
    get32s(s, o::DTo, r.DTo);
    get16s(s, o::SilenceT, r.SilenceT);
    return r;
}

} // namespace tarnixw::vyr
