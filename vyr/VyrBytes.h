#pragma once

#include "VyrParamSet.h"

#include <cstdint>
#include <span>
#include <type_traits>

// The record's bytes, private to the VYR model. The configuration file is the record's memory
// image: its fields one after the other as declared, least significant byte first. The device
// holds the same fields most significant byte first, in its two parameter areas. Callers check
// the bounds once per layout, these do not.
namespace tarnixw::vyr::bytes {

// What a layout covers.
enum class Part {
    File, // every field (fileoffset)
    Area1, // the device's area 1: the file's fields up to Digits, without the padding word
    Area2, // the device's area 2: SFrom to Hysteresis, the silences row by row
};

// Calls f on each value of the part in the order the bytes hold them, an array element by
// element.
template <typename Record, typename F> void eachValue(Record& r, Part part, F&& f)
{
    const auto all = [&f](auto& field) {
        if constexpr (std::is_integral_v<std::remove_cvref_t<decltype(field)>>)
            f(field);
        else
            for (auto& v : field)
                f(v);
    };
    if (part != Part::Area2) {
        all(r.ChanInUseMask);
        all(r.FixedZero);
        all(r.FixedFF);
    }
    if (part == Part::File)
        all(r.Reserved);
    if (part != Part::Area2) {
        for (auto* longs : {&r.ChanZero, &r.Gain, &r.Offset, &r.GainBase, &r.HLimit, &r.LLimit})
            all(*longs);
        all(r.DICloseMask);
        all(r.DIOpenMask);
        all(r.DOMapMask);
        all(r.Digits);
    }
    if (part != Part::Area1)
        for (auto* longs : {&r.SFrom, &r.STo, &r.DFrom, &r.DTo})
            all(*longs);
    if (part == Part::File)
        all(r.SilenceT);
    if (part == Part::Area2)
        // The record keeps the silences channel-major; the device wants them row by row.
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < kAnalogChannels; ++k)
                f(r.SilenceT[4 * k + j]);
    if (part != Part::Area1)
        all(r.Hysteresis);
}

// Where byte i of a value of `size` bytes goes: most significant first on the device, least
// significant first in the file.
constexpr int shiftOf(int i, int size, bool bigEndian)
{
    return 8 * (bigEndian ? size - 1 - i : i);
}

// The part's values into out from pos on; the position after them.
inline int lay(const VYRParamSet& r, Part part, std::span<std::uint8_t> out, int pos, bool bigEndian)
{
    eachValue(r, part, [&](auto v) {
        using U = std::make_unsigned_t<decltype(v)>;
        for (int i = 0; i < int(sizeof(U)); ++i)
            out[pos++] = std::uint8_t(U(v) >> shiftOf(i, sizeof(U), bigEndian));
    });
    return pos;
}

// The part's values back from in, as lay() put them there.
inline void read(VYRParamSet& r, Part part, std::span<const std::uint8_t> in, int pos, bool bigEndian)
{
    eachValue(r, part, [&](auto& v) {
        using T = std::remove_reference_t<decltype(v)>;
        std::make_unsigned_t<T> u = 0;
        for (int i = 0; i < int(sizeof(T)); ++i)
            u |= std::make_unsigned_t<T>(in[pos++]) << shiftOf(i, sizeof(T), bigEndian);
        v = T(u);
    });
}

} // namespace tarnixw::vyr::bytes
