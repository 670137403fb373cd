#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace tarnixw::link {

// Every float-to-integer conversion of the program goes through here: truncation toward
// zero, refusing what an integer cannot hold (converting an out-of-range float to an
// integer is undefined behaviour in C++).
inline std::optional<std::int64_t> truncateToInt64(long double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const long double t = std::trunc(v);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (t >= 9223372036854775808.0L || t < -9223372036854775808.0L)
        return std::nullopt;
    return static_cast<std::int64_t>(t);
}

// Whether an integer fits a device field of `bits` width, read either as signed or as
// unsigned (a 16-bit mask of 0x8000 and a silence of -1 both fit 16 bits).
inline bool fitsField(std::int64_t v, int bits)
{
    const std::int64_t lo = -(std::int64_t(1) << (bits - 1));
    const std::int64_t hi = (std::int64_t(1) << bits) - 1;
    return v >= lo && v <= hi;
}

// The truncated value if it fits the field, else nothing.
inline std::optional<std::int64_t> toField(long double v, int bits)
{
    const auto t = truncateToInt64(v);
    if (!t || !fitsField(*t, bits))
        return std::nullopt;
    return t;
}

} // namespace tarnixw::link
