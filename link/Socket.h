#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

// A TCP connection and a listening socket, as the network ports and the simulator use them: the
// system's sockets (BSD sockets, Winsock), one implementation file each (PosixSocket.cpp,
// WinSocket.cpp), chosen by the build. Nothing here ever blocks for longer than it is told.
namespace tarnixw::link {

// Why a connection could not be made.
enum class ConnectError {
    None,
    HostUnknown, // the name resolves to no address
    Refused, // nothing listens at that port
    TimedOut, // nothing answered the connect in time
    Cancelled, // the caller's `stop` said so while waiting
    Other, // anything else the system reported
};

class Socket {
public:
    virtual ~Socket() = default;
    // Sends every byte, waiting at most timeoutMs for room; the count sent, or -1 once the
    // connection is gone.
    virtual long send(std::span<const std::uint8_t> bytes, int timeoutMs) = 0;
    // What has arrived, at most out.size() bytes, without waiting: the count (0 when nothing
    // is there yet), or -1 once the peer has closed the connection or it broke.
    virtual long receive(std::span<std::uint8_t> out) = 0;
    // Waits at most timeoutMs for bytes (or the end of the connection); true when there are.
    virtual bool waitReadable(int timeoutMs) = 0;
    // The system's words for why the connection ended (empty while it stands, or when the peer
    // closed it in order).
    virtual std::string brokenReason() const = 0;
};

struct Connection {
    std::unique_ptr<Socket> socket;
    ConnectError error = ConnectError::None;
    std::string detail; // the system's reason
};

// Connects to host:port (a name, an IPv4 or an IPv6 literal without brackets), trying each
// address the name has, within timeoutMs in all; `stop` is asked every few milliseconds while
// waiting and ends the attempt (Cancelled) when it says so.
Connection connectTcp(const std::string& host, int port, int timeoutMs, const std::function<bool()>& stop = {});

class Listener {
public:
    virtual ~Listener() = default;
    // The port it listens at (the system's choice when 0 was asked for).
    virtual int port() const = 0;
    // Waits at most timeoutMs for a connection; nothing when none came.
    virtual std::unique_ptr<Socket> accept(int timeoutMs) = 0;
};

// Listens at host:port (an IPv4 or IPv6 literal, or a name), with the system's backlog
// `backlog`; nothing, with the reason in `detail`, when it cannot.
std::unique_ptr<Listener> listenTcp(const std::string& host, int port, std::string& detail, int backlog = 8);

} // namespace tarnixw::link
