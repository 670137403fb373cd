#pragma once

#include "values/Result.h"

#include <QString>

namespace tarnixw::link {

// How the frames travel to a device behind a network server.
enum class NetKind {
    Raw, // socket://  RTU frames over a TCP connection (a serial device server in raw mode)
    Rfc2217, // rfc2217://  the same over telnet, the line's settings set on the server
    ModbusTcp, // tcp://  Modbus TCP to a gateway: the MBAP header, the slave id as unit id, no CRC
};

// The longest answer window a network port may ask for.
inline constexpr int kMaxAnswerWindowMs = 60'000;

// A network port's address: "socket://HOST:PORT", "rfc2217://HOST:PORT" or "tcp://HOST[:PORT]"
// (port 502 when none is given), HOST a name, an IPv4 literal or a bracketed IPv6 literal
// ("[::1]:5020"), optionally followed by "?window=MS": every wait for an answer lasts at least
// MS milliseconds (a slow or distant link).
struct NetAddress {
    NetKind kind = NetKind::Raw;
    QString host; // without brackets
    int port = 0;
    int windowMs = 0; // 0: the forms' own waits
    // The address as it is written back (the scheme, the host, bracketed when IPv6, the port,
    // the window when set).
    QString text() const;
};

// Whether the text is meant as a network address (it names a scheme: "xxx://").
bool looksLikeNetAddress(const QString& text);
// An address's option "window=MS", or why it is none.
values::Result<int> parseAnswerWindow(const QString& option);
// The address the text spells, or why it is none. An address to listen at may name port 0 (one
// the system picks); a client's may not.
enum class AddressUse { Connect, Listen };
values::Result<NetAddress> parseNetAddress(const QString& text, AddressUse use = AddressUse::Connect);

} // namespace tarnixw::link
