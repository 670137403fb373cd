#include "NetPort.h"

#include "Clock.h"

#include "words/Words.h"

#include <algorithm>

namespace tarnixw::link {

namespace {

// The most a send may wait for room, and the most taken from the socket in one look.
constexpr int kSendTimeoutMs = 2000;
constexpr std::size_t kPumpLimit = 64 * 1024;
// The most kept for the link between two reads: more is no answer of this program's.
constexpr std::size_t kDataLimit = 64 * 1024;

} // namespace

NetPort::NetPort(std::unique_ptr<Socket> socket, NetAddress address)
    : m_socket(std::move(socket))
    , m_address(std::move(address))
{ }

const Framing& NetPort::framing() const
{
    return m_address.kind == NetKind::ModbusTcp ? kTcpFraming : kRtuFraming;
}

bool NetPort::sendWire(std::span<const std::uint8_t> wire)
{
    if (!m_socket || m_lost)
        return false;
    if (m_socket->send(wire, kSendTimeoutMs) != long(wire.size())) {
        m_lost = m_socket->receive({}) < 0;
        return false;
    }
    return true;
}

void NetPort::pump()
{
    if (!m_socket || m_lost)
        return;
    std::uint8_t chunk[4096];
    std::vector<std::uint8_t> decoded;
    std::vector<std::uint8_t> reply;
    for (std::size_t taken = 0; taken < kPumpLimit;) {
        const long n = m_socket->receive(chunk);
        if (n < 0) {
            m_lost = true;
            break;
        }
        if (n == 0)
            break;
        taken += std::size_t(n);
        std::span<const std::uint8_t> data(chunk, std::size_t(n));
        if (m_address.kind == NetKind::Rfc2217) {
            decoded.clear();
            m_telnet.receive(data, decoded, reply);
            data = decoded;
        }
        if (m_address.kind == NetKind::ModbusTcp)
            m_sorter.feed(data, m_transaction, m_data);
        else
            m_data.insert(m_data.end(), data.begin(), data.end());
    }
    if (m_data.size() > kDataLimit)
        m_data.erase(m_data.begin(), m_data.end() - long(kDataLimit));
    if (!reply.empty())
        sendWire(reply);
}

void NetPort::purge()
{
    pump();
    m_data.clear();
    m_sorter.purge();
}

long NetPort::write(std::span<const std::uint8_t> bytes)
{
    if (m_address.kind == NetKind::ModbusTcp)
        m_transaction = transactionOf(bytes);
    if (m_address.kind != NetKind::Rfc2217)
        return sendWire(bytes) ? long(bytes.size()) : -1;
    std::vector<std::uint8_t> wire;
    telnet::escape(bytes, wire);
    return sendWire(wire) ? long(bytes.size()) : -1;
}

std::size_t NetPort::bytesAvailable()
{
    pump();
    return m_data.size();
}

std::size_t NetPort::read(std::span<std::uint8_t> out)
{
    const std::size_t n = std::min(out.size(), m_data.size());
    std::copy_n(m_data.begin(), n, out.begin());
    m_data.erase(m_data.begin(), m_data.begin() + long(n));
    return n;
}

std::string NetPort::setLine(int baud, const std::function<bool()>& stop, OpenError& error)
{
    std::vector<std::uint8_t> request = telnet::Client::greeting();
    const std::vector<std::uint8_t> settings = telnet::Client::lineSettings(std::uint32_t(baud));
    request.insert(request.end(), settings.begin(), settings.end());
    error = OpenError::SetupFailed;
    if (!sendWire(request)) {
        error = OpenError::Other;
        return Words::netClosedAtOnce().toStdString();
    }
    // Only the four settings are waited for: a request of the modem lines is never made (a
    // server in front of a line without them may never acknowledge one).
    const std::int64_t deadline = steadyNowMs() + kSettingsTimeoutMs;
    while (!m_telnet.settingsAcknowledged() && !m_telnet.comPortRefused) {
        pump();
        if (m_lost) {
            error = OpenError::Other;
            return Words::netClosedAtOnce().toStdString();
        }
        if (m_telnet.settingsAcknowledged() || m_telnet.comPortRefused)
            break;
        if (stop && stop()) {
            error = OpenError::Other;
            return Words::netConnectInterrupted().toStdString();
        }
        const std::int64_t left = deadline - steadyNowMs();
        if (left <= 0)
            return Words::netSettingsUnconfirmed(kSettingsTimeoutMs / 1000).toStdString();
        m_socket->waitReadable(int(std::min<std::int64_t>(left, 20)));
    }
    if (m_telnet.comPortRefused)
        return Words::netNoSerialSettings().toStdString();
    if (*m_telnet.baudAck != std::uint32_t(baud))
        return Words::netBaudRefused(baud, int(*m_telnet.baudAck)).toStdString();
    if (*m_telnet.dataSizeAck != 8 || *m_telnet.parityAck != 1 || *m_telnet.stopSizeAck != 1)
        return Words::netFrameRefused().toStdString();
    // Whatever came before the line was set is no answer.
    m_data.clear();
    error = OpenError::None;
    return {};
}

OpenResult openNetworkPort(const NetAddress& address, int baud, const std::function<bool()>& stop)
{
    Connection c = connectTcp(address.host.toStdString(), address.port, kConnectTimeoutMs, stop);
    if (!c.socket) {
        const QString why = QString::fromStdString(c.detail);
        QString detail;
        switch (c.error) {
        case ConnectError::HostUnknown:
            detail = Words::netHostUnknown(address.host, why);
            break;
        case ConnectError::Refused:
            detail = Words::netRefused();
            break;
        case ConnectError::TimedOut:
            detail = Words::netNoAnswer(kConnectTimeoutMs / 1000);
            break;
        case ConnectError::Cancelled:
            detail = Words::netConnectInterrupted();
            break;
        default:
            detail = Words::netConnectFailed(why);
            break;
        }
        return {nullptr, OpenError::Other, detail.toStdString()};
    }
    auto port = std::make_unique<NetPort>(std::move(c.socket), address);
    if (address.kind == NetKind::Rfc2217) {
        OpenError error = OpenError::None;
        std::string detail = port->setLine(baud, stop, error);
        if (error != OpenError::None)
            return {nullptr, error, std::move(detail)};
    }
    return {std::move(port), OpenError::None, {}};
}

} // namespace tarnixw::link
