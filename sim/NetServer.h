#pragma once

#include "Bus.h"

#include "link/NetAddress.h"
#include "link/Socket.h"
#include "values/Result.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnixw::sim {

// The silence that ends an RTU frame at `baud`: 3.5 characters, 1.75 ms above 19200 baud.
std::int64_t frameSilenceNs(int baud);

// A bus behind a network server, served as a serial device server or a gateway serves the line
// behind it: RTU frames over a raw TCP connection (socket://), the same over telnet with the
// line's rate set by the client (rfc2217://), or Modbus TCP frames, each turned into an RTU
// frame to its unit id and the answer back (tcp://). Over Modbus TCP a silent device is told
// as a gateway tells it: exception 0x0B, once the gateway's own wait for the device is over.
//
// One client at a time: another that connects while one is served is closed at once. The bus
// (memory, faults, request counts) outlives the connections. An answer goes out once the request
// and the answer would have crossed the line at its rate; the line is half duplex, so requests
// that come meanwhile wait their turn.
class NetServer {
public:
    struct Settings {
        link::NetAddress address; // where to listen (port 0: the system's choice)
        int baud = 19200; // the line's rate; over RFC 2217 until a client sets one
        int dropAfter = 0; // close each connection when its N-th request has come, unanswered (0: never)
        bool truncate = false; // send only the first half of each answer as it goes on the wire
        std::optional<std::uint32_t> fixedBaud; // RFC 2217: acknowledge every rate as this one
    };
    // What the server tells: a frame in ("<-") or out ("->") as its envelope carries it (a
    // telnet stream's data, a whole Modbus TCP frame), and what became of the connections.
    struct Log {
        std::function<void(const char* direction, const std::vector<std::uint8_t>& bytes)> frame;
        std::function<void(const QString& text)> note;
    };

    NetServer(Bus& bus, Settings settings, Log log = {});
    ~NetServer();
    NetServer(const NetServer&) = delete;
    NetServer& operator=(const NetServer&) = delete;

    // Listens at the settings' address: the address listened at (the port the system chose
    // when 0 was asked for), or why it cannot.
    values::Result<link::NetAddress> listen();
    // One round: waits for a client or its bytes a few milliseconds at most (never longer than
    // timeoutMs) and does what is due. False once every device has left the line: the server
    // has closed.
    bool serve(int timeoutMs);

private:
    struct Client;

    void take(std::unique_ptr<link::Socket> socket);
    void drop(const QString& why);
    bool receive();
    void refuseOthers();
    void sendAnswer();
    void takeRequests();
    void handle(std::vector<std::uint8_t> request);
    void note(const QString& text) const;

    Bus& m_bus;
    Settings m_settings;
    Log m_log;
    std::unique_ptr<link::Listener> m_listener;
    std::unique_ptr<Client> m_client;
    bool m_unplugged = false;
};

} // namespace tarnixw::sim
