// Telnet streams as an RFC 2217 peer may send them, through the decoder, the client and the
// server. Whatever the cuts between reads, the same data and commands come out; escaped data
// comes back exactly; no sub-negotiation grows past its limit; each side answers a verb and
// option once at most, only what was asked, and as its stance says, so that two sides never
// loop; and what comes out stays bounded by what went in.
//
// Input: a control byte (low nibble: how many cut bytes follow; kFixedBaud: a big-endian
// 32-bit fixed rate for the server follows them), the cut bytes (each a read's length modulo
// 32, a 0 being an empty read before a one-byte one), then the stream.
#include "FuzzSupport.h"

#include "link/Telnet.h"

#include <algorithm>
#include <bitset>

namespace telnet = tarnixw::link::telnet;
using tarnixw::fuzz::Reader;
using Bytes = std::vector<std::uint8_t>;
using Commands = std::vector<telnet::Command>;

namespace {

constexpr std::uint8_t kFixedBaud = 0x10;

// Calls feed with the stream cut as `cuts` says (cycled); with no cuts, the whole at once.
template <typename Feed>
void inPieces(std::span<const std::uint8_t> stream, std::span<const std::uint8_t> cuts, Feed feed)
{
    if (cuts.empty()) {
        feed(stream);
        return;
    }
    std::size_t at = 0;
    for (std::size_t k = 0; at < stream.size(); ++k) {
        std::size_t n = cuts[k % cuts.size()] % 32;
        if (n == 0) {
            feed(stream.subspan(at, 0));
            n = 1;
        }
        n = std::min(n, stream.size() - at);
        feed(stream.subspan(at, n));
        at += n;
    }
}

std::uint32_t bigEndian32(std::span<const std::uint8_t> b)
{
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

bool isComPort(const telnet::Command& c, std::uint8_t command, std::size_t valueSize)
{
    return c.verb == telnet::kSb && c.option == telnet::kComPortOption && c.payload.size() >= 1 + valueSize
        && c.payload[0] == command;
}

std::size_t saidIndex(std::uint8_t verb, std::uint8_t option)
{
    return std::size_t(verb - telnet::kWill) * 256 + option;
}

// What each side agrees to, on its own side (DO -> WILL) and on the peer's (WILL -> DO).
struct Stance {
    std::vector<std::uint8_t> ours;
    std::vector<std::uint8_t> theirs;
};

// Checks a side's reply to the commands `requests` came with, and returns its sub-negotiations.
Commands checkAnswers(const Bytes& reply, const Commands& requests, const Bytes& greeting, const Stance& stance)
{
    telnet::Decoder decoder;
    Bytes data;
    Commands greeted;
    decoder.feed(greeting, data, greeted);
    std::bitset<1024> said;
    for (const telnet::Command& c : greeted)
        said.set(saidIndex(c.verb, c.option));
    Commands answers;
    decoder.feed(reply, data, answers);
    TARNIXW_FUZZ_CHECK(data.empty(), QStringLiteral("data in a reply"));
    Commands subs;
    for (const telnet::Command& a : answers) {
        if (a.verb == telnet::kSb) {
            subs.push_back(a);
            continue;
        }
        const QString what = QStringLiteral("verb %1 option %2").arg(a.verb).arg(a.option);
        TARNIXW_FUZZ_CHECK(!said.test(saidIndex(a.verb, a.option)), "said twice: " + what);
        said.set(saidIndex(a.verb, a.option));
        const bool aboutOurs = a.verb == telnet::kWill || a.verb == telnet::kWont;
        const std::uint8_t asked = aboutOurs ? telnet::kDo : telnet::kWill;
        TARNIXW_FUZZ_CHECK(std::any_of(requests.begin(), requests.end(),
                               [&](const telnet::Command& r) { return r.verb == asked && r.option == a.option; }),
            "an answer to nothing: " + what);
        const std::vector<std::uint8_t>& agreed = aboutOurs ? stance.ours : stance.theirs;
        const bool agrees = a.verb == telnet::kWill || a.verb == telnet::kDo;
        TARNIXW_FUZZ_CHECK(agrees == (std::find(agreed.begin(), agreed.end(), a.option) != agreed.end()),
            "against the stance: " + what);
    }
    return subs;
}

// The decoder's own promises, for a stream of `size` bytes.
void checkDecoded(const Bytes& data, const Commands& commands, std::size_t size)
{
    std::size_t least = data.size(); // each data byte took a byte at least, each command three or five
    for (const telnet::Command& c : commands) {
        TARNIXW_FUZZ_CHECK(c.verb == telnet::kSb || c.verb == telnet::kWill || c.verb == telnet::kWont
                || c.verb == telnet::kDo || c.verb == telnet::kDont,
            QString::number(c.verb));
        TARNIXW_FUZZ_CHECK(c.payload.size() <= (c.verb == telnet::kSb ? telnet::kMaxSubnegotiation : 0),
            QString::number(c.payload.size()));
        least += c.verb == telnet::kSb ? 5 : 3;
    }
    TARNIXW_FUZZ_CHECK(least <= size, QStringLiteral("%1 from %2 bytes").arg(least).arg(size));
}

void checkClient(std::span<const std::uint8_t> stream, std::span<const std::uint8_t> cuts, const Bytes& data,
    const Commands& commands, telnet::Client& client, Bytes& reply)
{
    telnet::Client cutClient;
    Bytes clientData;
    Bytes cutData;
    Bytes cutReply;
    client.receive(stream, clientData, reply);
    inPieces(stream, cuts, [&](std::span<const std::uint8_t> piece) { cutClient.receive(piece, cutData, cutReply); });
    TARNIXW_FUZZ_CHECK(clientData == data && cutData == data, QStringLiteral("client data"));
    TARNIXW_FUZZ_CHECK(cutReply == reply, QStringLiteral("client reply depends on the cuts"));
    TARNIXW_FUZZ_CHECK(reply.size() <= stream.size(), QString::number(reply.size()));
    const Stance stance{{telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption},
        {telnet::kBinary, telnet::kSuppressGoAhead}};
    TARNIXW_FUZZ_CHECK(checkAnswers(reply, commands, telnet::Client::greeting(), stance).empty(),
        QStringLiteral("client sub-negotiation"));

    // The acknowledgements are the server's last of each kind.
    std::optional<std::uint32_t> baud;
    std::optional<std::uint8_t> values[3];
    bool refused = false;
    for (const telnet::Command& c : commands) {
        refused
            = refused || ((c.verb == telnet::kWont || c.verb == telnet::kDont) && c.option == telnet::kComPortOption);
        if (isComPort(c, telnet::kServerReply + telnet::kSetBaudRate, 4))
            baud = bigEndian32(std::span(c.payload).subspan(1));
        for (int k = 0; k < 3; ++k)
            if (isComPort(c, std::uint8_t(telnet::kServerReply + telnet::kSetDataSize + k), 1))
                values[k] = c.payload[1];
    }
    for (const telnet::Client* side : {&client, &cutClient}) {
        TARNIXW_FUZZ_CHECK(side->baudAck == baud && side->dataSizeAck == values[0] && side->parityAck == values[1]
                && side->stopSizeAck == values[2] && side->comPortRefused == refused,
            QStringLiteral("client acknowledgements"));
    }
}

void checkServer(std::span<const std::uint8_t> stream, std::span<const std::uint8_t> cuts,
    std::optional<std::uint32_t> fixedBaud, const Bytes& data, const Commands& commands, telnet::Server& server,
    Bytes& reply)
{
    telnet::Server cutServer(fixedBaud);
    Bytes serverData;
    Bytes cutData;
    Bytes cutReply;
    server.receive(stream, serverData, reply);
    inPieces(stream, cuts, [&](std::span<const std::uint8_t> piece) { cutServer.receive(piece, cutData, cutReply); });
    TARNIXW_FUZZ_CHECK(serverData == data && cutData == data, QStringLiteral("server data"));
    TARNIXW_FUZZ_CHECK(cutReply == reply && cutServer.requestedBaud == server.requestedBaud,
        QStringLiteral("server reply depends on the cuts"));
    // No answer is longer than twice its request: a query (9 bytes) at a fixed rate of 0xFFFFFFFF gets 14.
    TARNIXW_FUZZ_CHECK(reply.size() <= 2 * stream.size(), QString::number(reply.size()));
    const Stance stance{{telnet::kBinary, telnet::kSuppressGoAhead},
        {telnet::kBinary, telnet::kSuppressGoAhead, telnet::kComPortOption}};
    const Commands subs = checkAnswers(reply, commands, telnet::Server::greeting(), stance);

    std::optional<std::uint32_t> asked;
    std::size_t requests = 0;
    for (const telnet::Command& c : commands) {
        if (isComPort(c, telnet::kSetBaudRate, 4) && bigEndian32(std::span(c.payload).subspan(1)) != 0)
            asked = bigEndian32(std::span(c.payload).subspan(1));
        if (c.verb == telnet::kSb && c.option == telnet::kComPortOption && c.payload.size() >= 2
            && c.payload[0] != telnet::kSetControl)
            ++requests;
    }
    TARNIXW_FUZZ_CHECK(server.requestedBaud == asked, QStringLiteral("requested baud"));
    TARNIXW_FUZZ_CHECK(subs.size() <= requests, QStringLiteral("%1 answers to %2").arg(subs.size()).arg(requests));
    for (const telnet::Command& s : subs) {
        TARNIXW_FUZZ_CHECK(s.option == telnet::kComPortOption && !s.payload.empty(), QString());
        const std::uint8_t answer = s.payload[0];
        if (answer == telnet::kServerReply + telnet::kSetBaudRate) {
            TARNIXW_FUZZ_CHECK(s.payload.size() == 5, QString());
            if (fixedBaud)
                TARNIXW_FUZZ_CHECK(bigEndian32(std::span(s.payload).subspan(1)) == *fixedBaud, QString());
        } else {
            TARNIXW_FUZZ_CHECK(answer == telnet::kServerReply + telnet::kSetDataSize
                    || answer == telnet::kServerReply + telnet::kSetParity
                    || answer == telnet::kServerReply + telnet::kSetStopSize
                    || answer == telnet::kServerReply + telnet::kPurgeData,
                QStringLiteral("answer %1").arg(answer));
            TARNIXW_FUZZ_CHECK(s.payload.size() == 2, QString());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t size)
{
    Reader reader(input, size);
    const std::uint8_t control = reader.byte();
    std::size_t got = 0;
    const std::uint8_t* cutBytes = reader.take(control & 0x0F, got);
    const std::span<const std::uint8_t> cuts(cutBytes, got);
    const std::optional<std::uint32_t> fixedBaud
        = control & kFixedBaud ? std::optional<std::uint32_t>(reader.u32()) : std::nullopt;
    const std::uint8_t* streamBytes = reader.take(reader.remaining(), got);
    const std::span<const std::uint8_t> stream(streamBytes, got);

    // The decoder, fed whole and in pieces.
    telnet::Decoder whole;
    telnet::Decoder cut;
    Bytes data;
    Commands commands;
    Bytes cutData;
    Commands cutCommands;
    whole.feed(stream, data, commands);
    inPieces(stream, cuts, [&](std::span<const std::uint8_t> piece) { cut.feed(piece, cutData, cutCommands); });
    TARNIXW_FUZZ_CHECK(cutData == data && cutCommands == commands, QStringLiteral("the cuts change the decoding"));
    checkDecoded(data, commands, stream.size());

    // The stream taken as data: escaped, it decodes back to itself and nothing else.
    Bytes wire;
    telnet::escape(stream, wire);
    TARNIXW_FUZZ_CHECK(wire.size() == stream.size() + std::size_t(std::count(stream.begin(), stream.end(), 0xFF)),
        QString::number(wire.size()));
    telnet::Decoder back;
    Bytes backData;
    Commands none;
    inPieces(wire, cuts, [&](std::span<const std::uint8_t> piece) { back.feed(piece, backData, none); });
    TARNIXW_FUZZ_CHECK(std::equal(backData.begin(), backData.end(), stream.begin(), stream.end()) && none.empty(),
        QStringLiteral("escaped data did not come back"));

    telnet::Client client;
    Bytes toServer;
    checkClient(stream, cuts, data, commands, client, toServer);
    telnet::Server server(fixedBaud);
    Bytes toClient;
    checkServer(stream, cuts, fixedBaud, data, commands, server, toClient);

    // Then each side takes the other's reply, in whatever state the stream left it: they fall
    // silent within a few rounds.
    for (int round = 0; !toServer.empty() || !toClient.empty(); ++round) {
        TARNIXW_FUZZ_CHECK(round < 4, QStringLiteral("the negotiation loops"));
        Bytes ignored;
        Bytes fromServer;
        Bytes fromClient;
        server.receive(toServer, ignored, fromServer);
        client.receive(toClient, ignored, fromClient);
        toClient = std::move(fromServer);
        toServer = std::move(fromClient);
    }
    return 0;
}
