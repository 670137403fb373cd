#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <optional>

namespace tarnixw::values {

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

// A value the user typed, for a device field: signed 16- and 32-bit fields take their signed
// range only (3e9 thousandths would reach the device as a negative alarm); an 8-bit field takes
// either reading.
inline std::optional<std::int64_t> toUserField(long double v, int bits)
{
    const auto t = truncateToInt64(v);
    if (!t)
        return std::nullopt;
    if (bits == 8)
        return fitsField(*t, 8) ? t : std::nullopt;
    const std::int64_t lo = -(std::int64_t(1) << (bits - 1));
    const std::int64_t hi = (std::int64_t(1) << (bits - 1)) - 1;
    return *t >= lo && *t <= hi ? t : std::nullopt;
}

// Rounds an extended-precision value to single precision, refusing what a float cannot hold
// (the conversion would be undefined).
inline std::optional<float> toSingle(long double v)
{
    if (!std::isfinite(v) || std::fabs(v) > static_cast<long double>(FLT_MAX))
        return std::nullopt;
    return static_cast<float>(v);
}

} // namespace tarnixw::values
