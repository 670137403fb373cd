#include "NetAddress.h"

#include "words/Words.h"

#include <algorithm>

namespace tarnixw::link {

namespace {

struct Scheme {
    const char* name;
    NetKind kind;
    int defaultPort; // 0: the address must name one
};
constexpr Scheme kSchemes[] = {
    {"socket", NetKind::Raw, 0},
    {"rfc2217", NetKind::Rfc2217, 0},
    {"tcp", NetKind::ModbusTcp, 502},
};

const Scheme* schemeOf(NetKind kind)
{
    for (const Scheme& s : kSchemes)
        if (s.kind == kind)
            return &s;
    return &kSchemes[0];
}

} // namespace

bool looksLikeNetAddress(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1String("://"));
    return at > 0 && std::all_of(text.begin(), text.begin() + at, [](QChar c) { return c.isLetterOrNumber(); });
}

QString NetAddress::text() const
{
    const QString h = host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    QString t = QStringLiteral("%1://%2:%3").arg(QLatin1String(schemeOf(kind)->name), h).arg(port);
    if (windowMs > 0)
        t += QStringLiteral("?window=%1").arg(windowMs);
    return t;
}

values::Result<int> parseAnswerWindow(const QString& option)
{
    const QString key = option.section(QLatin1Char('='), 0, 0);
    const QString value = option.section(QLatin1Char('='), 1);
    if (key != QLatin1String("window"))
        return values::Result<int>::failure(Words::netUnknownOption(key));
    bool ok = false;
    const int ms = value.toInt(&ok);
    if (!ok || ms < 0 || ms > kMaxAnswerWindowMs || !value.at(0).isDigit())
        return values::Result<int>::failure(Words::netBadWindow(value, kMaxAnswerWindowMs));
    return values::Result<int>::of(ms);
}

values::Result<NetAddress> parseNetAddress(const QString& text, AddressUse use)
{
    using R = values::Result<NetAddress>;
    const qsizetype at = text.indexOf(QLatin1String("://"));
    if (at <= 0)
        return R::failure(Words::netNotAnAddress(text));
    NetAddress a;
    const QString scheme = text.left(at).toLower();
    const Scheme* known = nullptr;
    for (const Scheme& s : kSchemes)
        if (scheme == QLatin1String(s.name))
            known = &s;
    if (!known)
        return R::failure(Words::netUnknownScheme(text.left(at)));
    a.kind = known->kind;

    QString rest = text.mid(at + 3);
    if (const qsizetype q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        for (const QString& option : rest.mid(q + 1).split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const values::Result<int> window = parseAnswerWindow(option);
            if (!window.ok())
                return R::failure(window.error);
            a.windowMs = *window.value;
        }
        rest.truncate(q);
    }
    if (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);

    QString portText;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return R::failure(Words::netBadHost(text));
        a.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))
            return R::failure(Words::netBadHost(text));
        portText = after.mid(1);
        if (after.isEmpty())
            portText.clear();
        else if (portText.isEmpty())
            return R::failure(Words::netBadPort(text));
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon >= 0 && rest.indexOf(QLatin1Char(':')) != colon)
            return R::failure(Words::netBracketIpv6(text)); // an IPv6 literal without brackets
        a.host = colon >= 0 ? rest.left(colon) : rest;
        if (colon >= 0) {
            portText = rest.mid(colon + 1);
            if (portText.isEmpty())
                return R::failure(Words::netBadPort(text));
        }
    }
    const bool hostOk = !a.host.isEmpty() && std::all_of(a.host.begin(), a.host.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_')
            || c == QLatin1Char(':') || c == QLatin1Char('%');
    });
    if (!hostOk)
        return R::failure(Words::netBadHost(text));
    if (portText.isEmpty()) {
        if (known->defaultPort == 0)
            return R::failure(Words::netNoPort(text));
        a.port = known->defaultPort;
    } else {
        bool ok = false;
        a.port = portText.toInt(&ok);
        const int lowest = use == AddressUse::Listen ? 0 : 1;
        if (!ok || a.port < lowest || a.port > 65535 || !portText.at(0).isDigit())
            return R::failure(Words::netBadPort(text));
    }
    return R::of(a);
}

} // namespace tarnixw::link
