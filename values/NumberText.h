#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace tarnixw::values {

// How the program reads numbers typed by the user.
//
// An integer is optional surrounding blanks, an optional sign and decimal digits, and must
// fit in 32 signed bits ("12", "-10000", " 30 "). Anything else ("1.5", "2.0", "", "0x10")
// is not an integer.
std::optional<std::int32_t> parseInteger(const QString& text);

// A number is optional surrounding blanks, an optional sign, decimal digits with at most one
// '.', at least one digit, and an optional exponent ("0.5", "-2.5", "100.000", "1e3", ".5").
// "nan", "inf", hexadecimal and anything that overflows are never numbers.
std::optional<long double> parseNumber(const QString& text);

// Fixed-point display: the value rounded to `significant` significant digits, then shown
// with exactly `decimals` decimals ("1234.600" for 1234.567 with 5 and 3). A value whose
// integer part has more than `significant` digits is shown in exponent form
// ("1.2346E+005").
QString formatSignificant(double value, int significant, int decimals);

// The number pattern "0.000" / "0.0": at least one digit before the point and exactly
// `decimals` after it, rounded to nearest.
QString formatDecimals(long double value, int decimals);

} // namespace tarnixw::values
