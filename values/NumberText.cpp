#include "NumberText.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace tarnixw::values {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString trimBlanks(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<std::int32_t> parseInteger(const QString& text)
{
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    if (i == t.size())
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (!isDigit(t[i]))
            return std::nullopt;
        v = v * 10 + (t[i].unicode() - '0');
        if (v > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::optional<long double> parseNumber(const QString& text)
{
    const QString t = trimBlanks(text);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (i < t.size() && isDigit(t[i])) {
        ++i;
        ++digits;
    }
    if (i < t.size() && t[i] == QLatin1Char('.')) {
        ++i;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
        ++i;
        if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-')))
            ++i;
        int expDigits = 0;
        while (i < t.size() && isDigit(t[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    // The text is now plain ASCII in the C locale's syntax.
    const QByteArray ascii = t.toLatin1();
    errno = 0;
    char* end = nullptr;
    const long double v = std::strtold(ascii.constData(), &end);
    if (end != ascii.constData() + ascii.size() || !std::isfinite(v) || (errno == ERANGE && std::fabs(v) > 1))
        return std::nullopt;
    return v;
}

namespace {

// A number as decimal digits: value = 0.d1d2d3... x 10^exponent (no digits: zero). Rounding
// works on these digits, half away from zero, as a technician rounds (0.25 -> 0.3,
// 12.5 -> 13), not on the binary value (where 0.15 sits just below the half).
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal toDecimal(long double v)
{
    Decimal d;
    if (v == 0 || !std::isfinite(v))
        return d;
    d.negative = v < 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", std::fabs(v)); // 18 significant digits
    const char* e = std::strchr(buf, 'e');
    for (const char* c = buf; c < e; ++c)
        if (*c >= '0' && *c <= '9')
            d.digits.push_back(*c);
    d.exponent = std::atoi(e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero.
void roundDigits(Decimal& d, int keep)
{
    if (keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[std::size_t(keep)] >= '5';
    d.digits.resize(std::size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[std::size_t(i)] == '9')
            d.digits[std::size_t(i--)] = '0';
        if (i >= 0) {
            ++d.digits[std::size_t(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

char digitAt(const Decimal& d, int position) // position 0 = first digit after "0."
{
    return position >= 0 && position < int(d.digits.size()) ? d.digits[std::size_t(position)] : '0';
}

QString fixed(const Decimal& d, int decimals)
{
    QString out;
    if (d.digits.empty() || d.exponent <= 0)
        out += QLatin1Char('0');
    else
        for (int i = 0; i < d.exponent; ++i)
            out += QLatin1Char(digitAt(d, i));
    if (decimals > 0) {
        out += QLatin1Char('.');
        for (int i = 0; i < decimals; ++i)
            out += QLatin1Char(d.digits.empty() ? '0' : digitAt(d, d.exponent + i));
    }
    // A value that shows as zero shows without a sign ("-0.000" reads as a fault).
    const bool shownZero
        = std::all_of(out.cbegin(), out.cend(), [](QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('.'); });
    if (d.negative && !shownZero)
        out.prepend(QLatin1Char('-'));
    return out;
}

} // namespace

QString formatSignificant(double value, int significant, int decimals)
{
    const Decimal exact = toDecimal(std::isfinite(value) ? value : 0.0);
    Decimal d = exact;
    roundDigits(d, significant);
    if (!d.digits.empty() && d.exponent > significant) {
        // More integer digits than significant ones: exponent form, the mantissa with all
        // significant digits, at least three exponent digits ("1.2346E+005").
        QString out = d.negative ? QStringLiteral("-") : QString();
        out += QLatin1Char(digitAt(d, 0));
        out += QLatin1Char('.');
        for (int i = 1; i < significant; ++i)
            out += QLatin1Char(digitAt(d, i));
        out += QStringLiteral("E+%1").arg(d.exponent - 1, 3, 10, QLatin1Char('0'));
        return out;
    }
    // One rounding, at whichever comes first: the last significant digit or the last decimal
    // (0.0019996 shows as 0.002, not 0.001).
    d = exact;
    roundDigits(d, std::min(significant, d.exponent + decimals));
    return fixed(d, decimals);
}

QString formatDecimals(long double value, int decimals)
{
    Decimal d = toDecimal(value);
    roundDigits(d, d.exponent + decimals);
    return fixed(d, decimals);
}

} // namespace tarnixw::values
