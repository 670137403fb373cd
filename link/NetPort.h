#pragma once

#include "ModbusTcp.h"
#include "NetAddress.h"
#include "SerialPort.h"
#include "Socket.h"
#include "Telnet.h"

#include <functional>
#include <memory>

namespace tarnixw::link {

// How long a connect may take before the server counts as not answering, and how long the line
// settings may take to be confirmed by an RFC 2217 server.
inline constexpr int kConnectTimeoutMs = 3000;
inline constexpr int kSettingsTimeoutMs = 2000;

// A device behind a network server, as the Modbus link sees a serial port: the bytes of a raw
// TCP connection (socket://), the data of a telnet connection with 0xFF doubled both ways and
// the server's negotiations answered in passing (rfc2217://), or Modbus TCP frames of the
// request in flight only (tcp://, a late answer's frame dropped whole). Never blocks for longer
// than a send's bound; once the connection has ended it reports no bytes and refuses writes.
class NetPort final : public SerialPort {
public:
    NetPort(std::unique_ptr<Socket> socket, NetAddress address);

    bool isOpen() const override { return m_socket != nullptr; }
    void purge() override;
    void purgeReceive() override { purge(); }
    long write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    void close() override { m_socket.reset(); }

    const Framing& framing() const override;
    int answerWindowMs() const override { return m_address.windowMs; }
    bool connectionLost() const override { return m_lost; }

    // RFC 2217: asks for the line settings and waits for the server to confirm them. Empty when
    // it did, else the reason (the kind in `error`).
    std::string setLine(int baud, const std::function<bool()>& stop, OpenError& error);

private:
    // Takes what the socket has (a bounded amount per call), answers telnet negotiations and
    // sorts Modbus TCP frames.
    void pump();
    bool sendWire(std::span<const std::uint8_t> wire);

    std::unique_ptr<Socket> m_socket;
    NetAddress m_address;
    std::vector<std::uint8_t> m_data; // received, for the link
    telnet::Client m_telnet;
    MbapSorter m_sorter;
    std::uint16_t m_transaction = 0; // of the request in flight (Modbus TCP)
    bool m_lost = false;
};

// Opens a network port: connects (kConnectTimeoutMs; `stop` ends the wait) and, for RFC 2217,
// sets the line to `baud` 8N1. The error's detail names the address and says what happened.
OpenResult openNetworkPort(const NetAddress& address, int baud, const std::function<bool()>& stop = {});

} // namespace tarnixw::link
