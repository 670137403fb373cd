#include "NumberText.h"

#include <QByteArray>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tarnixw::link {

namespace {

bool isBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString trimBlanks(const QString& text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.mid(b, e - b);
}

bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// "-0.000" reads as a fault to a technician; a value that rounds to zero shows as zero.
QString withoutNegativeZero(QString s)
{
    if (!s.startsWith(QLatin1Char('-')))
        return s;
    for (qsizetype i = 1; i < s.size(); ++i)
        if (s[i] != QLatin1Char('0') && s[i] != QLatin1Char('.'))
            return s;
    return s.mid(1);
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

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString formatSignificant(double value, int significant, int decimals)
{
    if (!std::isfinite(value))
        return QStringLiteral("0.%1").arg(QString(decimals, QLatin1Char('0')));
    // Round to the significant digits first ("%.*e" rounds the exact binary value).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", significant - 1, value);
    const double rounded = std::strtod(buf, nullptr);
    const int exponent = rounded == 0.0 ? 0 : int(std::floor(std::log10(std::fabs(rounded)) + 1e-12));
    if (exponent + 1 > significant) {
        // More integer digits than significant ones: exponent form, mantissa with all
        // significant digits, at least three exponent digits.
        std::snprintf(buf, sizeof buf, "%.*e", significant - 1, value);
        QString s = QString::fromLatin1(buf).toUpper();
        const qsizetype e = s.indexOf(QLatin1Char('E'));
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        QChar sign = exp[0];
        QString num = exp.mid(1);
        while (num.size() < 3)
            num.prepend(QLatin1Char('0'));
        return mant + QLatin1Char('E') + sign + num;
    }
    std::snprintf(buf, sizeof buf, "%.*f", decimals, rounded);
    return withoutNegativeZero(QString::fromLatin1(buf));
}

QString formatDecimals(long double value, int decimals)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals, value);
    return withoutNegativeZero(QString::fromLatin1(buf));
}

} // namespace tarnixw::link
