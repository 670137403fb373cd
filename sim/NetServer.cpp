#include "NetServer.h"

#include "link/Modbus.h"
#include "link/ModbusTcp.h"
#include "link/Telnet.h"

#include <algorithm>
#include <chrono>

namespace tarnixw::sim {

namespace {

using Clock = std::chrono::steady_clock;

// A round waits no longer than this, so that a second client is turned away at once and an
// answer goes out on time.
constexpr int kSliceMs = 5;
// The bytes of an RTU frame that the network cut are given this long to complete; then what came
// counts as one (damaged or unknown) frame, as on a line gone quiet in mid-frame.
constexpr auto kQuiet = std::chrono::milliseconds(50);
// The longest RTU request (a write of 123 registers) is 255 bytes: more without a frame among
// them is noise.
constexpr std::size_t kMaxRtuRequest = 256;
// What is read ahead of the request being answered; the rest waits in the connection.
constexpr std::size_t kMaxReceived = 4096;
constexpr int kSendTimeoutMs = 1000;
// The rates a client may set over RFC 2217, as --baud takes them: an absurd one must not hold
// an answer back for minutes.
constexpr int kMinBaud = 50;
constexpr int kMaxBaud = 4'000'000;

int msUntil(Clock::time_point at, Clock::time_point now)
{
    return at <= now ? 0 : int(std::chrono::ceil<std::chrono::milliseconds>(at - now).count());
}

} // namespace

std::int64_t frameSilenceNs(int baud)
{
    return baud > 19200 ? 1'750'000 : link::lineTimeNs(1, baud) * 7 / 2;
}

struct NetServer::Client {
    Client(std::unique_ptr<link::Socket> s, std::optional<std::uint32_t> fixedBaud, int baud)
        : socket(std::move(s))
        , telnet(fixedBaud)
        , lineBaud(baud)
    { }
    std::unique_ptr<link::Socket> socket;
    link::telnet::Server telnet;
    int lineBaud;
    std::optional<std::uint32_t> askedBaud; // the last rate the client set, as told in the log
    std::vector<std::uint8_t> received; // the requests' bytes not taken yet
    Clock::time_point lastByte;
    int requests = 0;
    std::optional<std::vector<std::uint8_t>> answer; // on its way, due at answerDue
    Clock::time_point answerDue;
};

NetServer::NetServer(Bus& bus, Settings settings, Log log)
    : m_bus(bus)
    , m_settings(std::move(settings))
    , m_log(std::move(log))
{ }

NetServer::~NetServer() = default;

values::Result<link::NetAddress> NetServer::listen()
{
    std::string detail;
    m_listener = link::listenTcp(m_settings.address.host.toStdString(), m_settings.address.port, detail);
    if (!m_listener)
        return values::Result<link::NetAddress>::failure(
            QStringLiteral("cannot listen at %1: %2")
                .arg(m_settings.address.text(), QString::fromLocal8Bit(detail.c_str())));
    link::NetAddress at = m_settings.address;
    at.port = m_listener->port();
    return values::Result<link::NetAddress>::of(at);
}

void NetServer::note(const QString& text) const
{
    if (m_log.note)
        m_log.note(text);
}

bool NetServer::serve(int timeoutMs)
{
    if (m_unplugged || !m_listener)
        return false;
    if (!m_client) {
        if (std::unique_ptr<link::Socket> s = m_listener->accept(timeoutMs))
            take(std::move(s));
        return true;
    }
    const Clock::time_point now = Clock::now();
    int waitMs = std::min(timeoutMs, kSliceMs);
    if (m_client->answer)
        waitMs = std::min(waitMs, msUntil(m_client->answerDue, now));
    else if (!m_client->received.empty() && m_settings.address.kind != link::NetKind::ModbusTcp)
        waitMs = std::min(waitMs, msUntil(m_client->lastByte + kQuiet, now));
    m_client->socket->waitReadable(std::max(waitMs, 0));
    if (!receive()) {
        // What came before the end still reaches the line, as a server forwards it: the device
        // takes those requests, though no answer can go back.
        for (std::size_t before = 0; m_client && m_client->received.size() != before;) {
            before = m_client->received.size();
            m_client->answer.reset();
            takeRequests();
        }
        if (m_client)
            drop(QStringLiteral("the client closed the connection"));
        return true;
    }
    refuseOthers();
    if (m_client)
        sendAnswer();
    if (m_client)
        takeRequests();
    return !m_unplugged;
}

void NetServer::take(std::unique_ptr<link::Socket> socket)
{
    m_client = std::make_unique<Client>(std::move(socket), m_settings.fixedBaud, m_settings.baud);
    note(QStringLiteral("a client connected"));
    if (m_settings.address.kind == link::NetKind::Rfc2217) {
        const std::vector<std::uint8_t> greeting = link::telnet::Server::greeting();
        if (m_client->socket->send(greeting, kSendTimeoutMs) != long(greeting.size()))
            drop(QStringLiteral("the connection broke"));
    }
}

void NetServer::drop(const QString& why)
{
    const std::string reason = m_client->socket->brokenReason();
    note(reason.empty() ? why : why + QStringLiteral(": ") + QString::fromLocal8Bit(reason.c_str()));
    m_client.reset();
}

// Takes what the client sent (answering telnet negotiations at once, as the server itself does);
// false once the connection has ended.
bool NetServer::receive()
{
    Client& c = *m_client;
    std::uint8_t buf[512];
    for (int i = 0; i < 16 && c.received.size() < kMaxReceived; ++i) {
        const long n = c.socket->receive(buf);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        const std::span<const std::uint8_t> in(buf, std::size_t(n));
        c.lastByte = Clock::now();
        if (m_settings.address.kind != link::NetKind::Rfc2217) {
            c.received.insert(c.received.end(), in.begin(), in.end());
            continue;
        }
        std::vector<std::uint8_t> reply;
        c.telnet.receive(in, c.received, reply);
        if (!reply.empty() && c.socket->send(reply, kSendTimeoutMs) != long(reply.size()))
            return false;
        if (c.telnet.requestedBaud != c.askedBaud) {
            c.askedBaud = c.telnet.requestedBaud;
            const std::uint32_t acknowledged = m_settings.fixedBaud.value_or(*c.askedBaud);
            c.lineBaud = int(std::clamp<std::uint32_t>(acknowledged, kMinBaud, kMaxBaud));
            note(acknowledged == *c.askedBaud ? QStringLiteral("the client set %1 baud").arg(acknowledged)
                                              : QStringLiteral("the client asked for %1 baud, the line stays at %2")
                                                    .arg(*c.askedBaud)
                                                    .arg(acknowledged));
        }
    }
    return true;
}

// A second client while one is served is accepted and closed at once, as by a server that allows
// one connection. A client that went and came back at once may be that second one: the one
// served is looked at first.
void NetServer::refuseOthers()
{
    for (int i = 0; i < 8; ++i) {
        std::unique_ptr<link::Socket> other = m_listener->accept(0);
        if (!other)
            return;
        if (m_client && !receive())
            drop(QStringLiteral("the client closed the connection"));
        if (!m_client) {
            take(std::move(other));
            continue;
        }
        note(QStringLiteral("a second client refused: one is served"));
    }
}

void NetServer::sendAnswer()
{
    Client& c = *m_client;
    if (!c.answer || Clock::now() < c.answerDue)
        return;
    std::vector<std::uint8_t> wire;
    if (m_settings.address.kind == link::NetKind::Rfc2217)
        link::telnet::escape(*c.answer, wire);
    else
        wire = *c.answer;
    if (c.socket->send(wire, kSendTimeoutMs) != long(wire.size())) {
        drop(QStringLiteral("the connection broke"));
        return;
    }
    if (m_log.frame)
        m_log.frame("->", *c.answer);
    c.answer.reset();
}

// Takes the requests that have come whole, one at a time: the next waits until the answer to
// the one before has gone out.
void NetServer::takeRequests()
{
    while (m_client && !m_client->answer) {
        Client& c = *m_client;
        std::size_t length = 0;
        if (m_settings.address.kind == link::NetKind::ModbusTcp) {
            const std::optional<std::size_t> n = link::tcpRequestLength(c.received);
            if (n == std::size_t(0)) {
                // The stream is out of step: a server cannot find the next frame in it.
                if (m_log.frame)
                    m_log.frame("<-", c.received);
                drop(QStringLiteral("no Modbus TCP header: the connection closed"));
                return;
            }
            if (!n || c.received.size() < *n)
                return;
            length = *n;
        } else {
            const std::optional<std::size_t> n = link::rtuRequestLength(c.received);
            if (n && *n > 0 && c.received.size() >= *n)
                length = *n;
            else if (c.received.size() >= kMaxRtuRequest)
                length = kMaxRtuRequest;
            else if (!c.received.empty() && Clock::now() - c.lastByte >= kQuiet)
                length = c.received.size();
            else
                return;
        }
        std::vector<std::uint8_t> request(c.received.begin(), c.received.begin() + long(length));
        c.received.erase(c.received.begin(), c.received.begin() + long(length));
        handle(std::move(request));
    }
}

void NetServer::handle(std::vector<std::uint8_t> request)
{
    Client& c = *m_client;
    if (m_log.frame)
        m_log.frame("<-", request);
    if (m_settings.dropAfter > 0 && ++c.requests >= m_settings.dropAfter) {
        drop(QStringLiteral("the connection dropped at its request %1").arg(c.requests));
        return;
    }
    const bool tcp = m_settings.address.kind == link::NetKind::ModbusTcp;
    // The line carries RTU frames: a Modbus TCP request's PDU goes to its unit id (the header's
    // last byte) as the slave id.
    const std::span<const std::uint8_t> whole(request);
    const std::vector<std::uint8_t> frame
        = tcp ? link::rtuFrame(request[link::kMbapHeader - 1], whole.subspan(link::kMbapHeader)) : request;
    const Device::Reply reply = m_bus.handle(frame, c.lineBaud);
    if (reply.unplugged) {
        note(QStringLiteral("unplugged: the server closes"));
        m_unplugged = true;
        m_client.reset();
        m_listener.reset();
        return;
    }
    if (reply.bytes.empty() && tcp) {
        // A gateway whose device stays silent says so, once its own wait for the device is over:
        // exception 0x0B, "gateway target device failed to respond".
        constexpr std::uint8_t kGatewayTargetFailed = 0x0B;
        constexpr int kGatewayWaitMs = 150;
        const std::uint8_t failed[]
            = {std::uint8_t(whole[link::kMbapHeader] | link::kExceptionBit), kGatewayTargetFailed};
        c.answerDue = Clock::now() + std::chrono::milliseconds(kGatewayWaitMs);
        c.answer = link::tcpAnswerFrame(whole.first(link::kMbapHeader), failed);
        note(QStringLiteral("no answer from the device: the gateway says so (exception 0x0B)"));
        return;
    }
    if (reply.bytes.empty())
        return;
    std::vector<std::uint8_t> answer = reply.bytes;
    if (tcp) {
        // A gateway passes on only what it can check: an answer whose CRC fails (a damaged one,
        // two devices talking over each other) never reaches the client.
        const std::optional<std::span<const std::uint8_t>> pdu = link::rtuPduFor(reply.bytes, reply.bytes.front());
        if (!pdu) {
            note(QStringLiteral("an answer came damaged from the line: not passed on"));
            return;
        }
        std::vector<std::uint8_t> header(request.begin(), request.begin() + long(link::kMbapHeader));
        header.back() = reply.bytes.front(); // the unit id: the slave that answered
        answer = link::tcpAnswerFrame(header, *pdu);
    }
    if (m_settings.truncate)
        answer.resize(std::max<std::size_t>(1, answer.size() / 2));
    const std::int64_t lineNs = link::lineTimeNs(frame.size(), c.lineBaud) + frameSilenceNs(c.lineBaud)
        + link::lineTimeNs(reply.bytes.size(), c.lineBaud);
    c.answerDue = Clock::now() + std::chrono::nanoseconds(lineNs) + std::chrono::milliseconds(reply.delayMs);
    c.answer = std::move(answer);
}

} // namespace tarnixw::sim
