#include "Socket.h"

#include "Clock.h"
#include "words/Words.h"

// Winsock 2 before windows.h, which would bring in the old winsock.h.
#include <winsock2.h>

#include <mstcpip.h>
#include <windows.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <climits>

namespace tarnixw::link {

namespace {

// How long a wait slice lasts while the caller's `stop` is asked between them.
constexpr int kSliceMs = 20;

// Winsock works only after WSAStartup: once for the program, before its first socket. It is
// never undone: a socket may outlive every other static object, and the system releases it
// all when the program ends. 0, or why Winsock cannot be had.
int winsockStarted()
{
    static const int error = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    return error;
}

std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(std::max(size, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

// The system's own words for a Winsock error, in the user's language, on one line.
std::string errorText(int error)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
            | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, DWORD(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (n && text) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, int(n), nullptr, 0, nullptr, nullptr);
        reason.resize(std::size_t(std::max(size, 0)));
        WideCharToMultiByte(CP_UTF8, 0, text, int(n), reason.data(), size, nullptr, nullptr);
    }
    if (text)
        LocalFree(text);
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!reason.empty() && blank(reason.back()))
        reason.pop_back();
    reason.erase(reason.begin(), std::find_if_not(reason.begin(), reason.end(), blank));
    return reason.empty() ? Words::systemError(unsigned(error)).toStdString() : reason;
}

// A new socket that programs started from this one do not inherit (they would hold the
// connection open after it is closed here).
SOCKET openSocket(int family, int type, int protocol)
{
    return WSASocketW(family, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

void setNonBlocking(SOCKET s)
{
    u_long on = 1;
    ::ioctlsocket(s, FIONBIO, &on);
}

bool isLoopback(const sockaddr* address)
{
    if (address->sa_family == AF_INET)
        return (ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr) >> 24) == 127;
    if (address->sa_family == AF_INET6)
        return IN6_IS_ADDR_LOOPBACK(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
    return false;
}

// Windows answers a refused connect by sending its SYN again, twice, so a connect to a closed
// port of this machine takes about two seconds where other systems refuse at once ("localhost"
// tries ::1 first: every server listening on IPv4 only pays it). No SYN is lost on loopback,
// so none is sent again there. Systems without the option keep their own retries.
void refuseAtOnceOnLoopback(SOCKET s, const sockaddr* address)
{
    if (!isLoopback(address))
        return;
    TCP_INITIAL_RTO_PARAMETERS rto{};
    rto.Rtt = TCP_INITIAL_RTO_UNSPECIFIED_RTT;
    rto.MaxSynRetransmissions = TCP_INITIAL_RTO_NO_SYN_RETRANSMISSIONS;
    DWORD size = 0;
    ::WSAIoctl(s, SIO_TCP_INITIAL_RTO, &rto, sizeof rto, nullptr, 0, &size, nullptr, nullptr);
}

struct Readiness {
    bool ready = false; // readable or writable, as asked
    bool failed = false; // in the exception set: how Winsock reports a connect that failed
};

// Waits at most timeoutMs for the socket to become readable (or writable, with `write`).
Readiness waitFor(SOCKET s, bool write, int timeoutMs)
{
    fd_set ready;
    FD_ZERO(&ready);
    FD_SET(s, &ready);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    const int ms = std::max(timeoutMs, 0);
    timeval wait{ms / 1000, (ms % 1000) * 1000};
    if (::select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &wait) <= 0)
        return {};
    return {FD_ISSET(s, &ready) != 0, FD_ISSET(s, &failed) != 0};
}

class WinSocket final : public Socket {
public:
    explicit WinSocket(SOCKET s)
        : m_socket(s)
    {
        const BOOL on = TRUE;
        ::setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        // Every segment acknowledged at once: a server that holds the last bytes of an answer
        // until its earlier ones are acknowledged (Nagle's rule, ser2net's default) would
        // otherwise wait for the system's delayed acknowledgement, up to 200 ms an answer.
        // Best effort: a system without it keeps its own timing.
        DWORD everySegment = 1;
        DWORD returned = 0;
        ::WSAIoctl(m_socket, SIO_TCP_SET_ACK_FREQUENCY, &everySegment, sizeof everySegment, nullptr, 0, &returned,
            nullptr, nullptr);
    }
    ~WinSocket() override { ::closesocket(m_socket); }
    WinSocket(const WinSocket&) = delete;
    WinSocket& operator=(const WinSocket&) = delete;

    long send(std::span<const std::uint8_t> bytes, int timeoutMs) override
    {
        if (m_closed)
            return -1;
        const std::int64_t deadline = steadyNowMs() + timeoutMs;
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const int chunk = int(std::min<std::size_t>(bytes.size() - sent, INT_MAX));
            const int n = ::send(m_socket, reinterpret_cast<const char*>(bytes.data() + sent), chunk, 0);
            if (n > 0) {
                sent += std::size_t(n);
                continue;
            }
            const int error = n == SOCKET_ERROR ? WSAGetLastError() : 0;
            if (error == WSAEINTR)
                continue;
            if (error == WSAEWOULDBLOCK) {
                const std::int64_t left = deadline - steadyNowMs();
                if (left <= 0)
                    break;
                waitFor(m_socket, true, int(left));
                continue;
            }
            broke(error);
            return sent > 0 ? long(sent) : -1;
        }
        return long(sent);
    }

    long receive(std::span<std::uint8_t> out) override
    {
        if (m_closed)
            return -1;
        if (out.empty())
            return 0;
        const int room = int(std::min<std::size_t>(out.size(), INT_MAX));
        for (;;) {
            const int n = ::recv(m_socket, reinterpret_cast<char*>(out.data()), room, 0);
            if (n > 0)
                return long(n);
            const int error = n == SOCKET_ERROR ? WSAGetLastError() : 0;
            if (error == WSAEINTR)
                continue;
            if (error == WSAEWOULDBLOCK)
                return 0;
            broke(error); // 0: the peer closed in order
            return -1;
        }
    }

    bool waitReadable(int timeoutMs) override
    {
        if (m_closed)
            return true;
        const Readiness r = waitFor(m_socket, false, timeoutMs);
        return r.ready || r.failed;
    }

    std::string brokenReason() const override { return m_reason; }

private:
    void broke(int error)
    {
        m_closed = true;
        if (error != 0)
            m_reason = errorText(error);
    }

    SOCKET m_socket;
    bool m_closed = false;
    std::string m_reason;
};

class WinListener final : public Listener {
public:
    WinListener(SOCKET s, int port)
        : m_socket(s)
        , m_port(port)
    { }
    ~WinListener() override { ::closesocket(m_socket); }
    WinListener(const WinListener&) = delete;
    WinListener& operator=(const WinListener&) = delete;

    int port() const override { return m_port; }

    std::unique_ptr<Socket> accept(int timeoutMs) override
    {
        if (!waitFor(m_socket, false, timeoutMs).ready)
            return nullptr;
        const SOCKET s = ::accept(m_socket, nullptr, nullptr);
        if (s == INVALID_SOCKET)
            return nullptr;
        // Accepted sockets take the listener's blocking mode; inheritance is set on the handle.
        setNonBlocking(s);
        ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
        return std::make_unique<WinSocket>(s);
    }

private:
    SOCKET m_socket;
    int m_port;
};

struct AddressList {
    ADDRINFOW* first = nullptr;
    ~AddressList()
    {
        if (first)
            ::FreeAddrInfoW(first);
    }
};

bool isUnknownHost(int error)
{
    // EAI_NONAME and EAI_NODATA are WSAHOST_NOT_FOUND and WSANO_DATA here; EAI_FAIL is
    // WSANO_RECOVERY.
    return error == WSAHOST_NOT_FOUND || error == WSANO_DATA || error == EAI_NONAME || error == EAI_FAIL;
}

// Resolves host:port (the name as UTF-8); 0, or the error.
int resolve(const std::string& host, int port, bool passive, AddressList& list)
{
    // An empty name means this machine's own addresses to Winsock, and no name at all to the
    // BSD sockets: none here either, on both systems.
    if (host.empty())
        return WSAHOST_NOT_FOUND;
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : AI_ADDRCONFIG;
    const std::wstring name = wide(host);
    const std::wstring service = std::to_wstring(port);
    int r = ::GetAddrInfoW(name.c_str(), service.c_str(), &hints, &list.first);
    if (!passive && (r == WSAHOST_NOT_FOUND || r == WSANO_DATA)) {
        // AI_ADDRCONFIG counts no loopback address: on a machine with no other address of a
        // family, "localhost" and "::1" have none. Ask again without it.
        hints.ai_flags = 0;
        r = ::GetAddrInfoW(name.c_str(), service.c_str(), &hints, &list.first);
    }
    return r;
}

} // namespace

Connection connectTcp(const std::string& host, int port, int timeoutMs, const std::function<bool()>& stop)
{
    if (const int error = winsockStarted(); error != 0)
        return {nullptr, ConnectError::Other, errorText(error)};
    AddressList list;
    if (const int error = resolve(host, port, false, list); error != 0)
        return {nullptr, isUnknownHost(error) ? ConnectError::HostUnknown : ConnectError::Other, errorText(error)};
    const std::int64_t deadline = steadyNowMs() + timeoutMs;
    Connection last{nullptr, ConnectError::Other, "no address"};
    for (ADDRINFOW* a = list.first; a; a = a->ai_next) {
        const SOCKET s = openSocket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            last = {nullptr, ConnectError::Other, errorText(WSAGetLastError())};
            continue;
        }
        setNonBlocking(s);
        refuseAtOnceOnLoopback(s, a->ai_addr);
        int error = 0;
        if (::connect(s, a->ai_addr, int(a->ai_addrlen)) == SOCKET_ERROR) {
            error = WSAGetLastError();
            if (error == WSAEWOULDBLOCK) {
                error = WSAETIMEDOUT;
                for (;;) {
                    if (stop && stop()) {
                        ::closesocket(s);
                        return {nullptr, ConnectError::Cancelled, {}};
                    }
                    const std::int64_t left = deadline - steadyNowMs();
                    if (left <= 0)
                        break;
                    const Readiness r = waitFor(s, true, int(std::min<std::int64_t>(left, kSliceMs)));
                    if (r.ready || r.failed) {
                        int soError = 0;
                        int size = sizeof soError;
                        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &size) != 0)
                            soError = WSAGetLastError();
                        // A failed connect whose reason got lost is still no connection.
                        error = soError == 0 && r.failed ? WSAENOTCONN : soError;
                        break;
                    }
                }
            }
        }
        if (error == 0)
            return {std::make_unique<WinSocket>(s), ConnectError::None, {}};
        ::closesocket(s);
        last = {nullptr,
            error == WSAECONNREFUSED ? ConnectError::Refused
                                     : (error == WSAETIMEDOUT ? ConnectError::TimedOut : ConnectError::Other),
            errorText(error)};
        if (steadyNowMs() >= deadline)
            break;
    }
    return last;
}

std::unique_ptr<Listener> listenTcp(const std::string& host, int port, std::string& detail, int backlog)
{
    if (const int error = winsockStarted(); error != 0) {
        detail = errorText(error);
        return nullptr;
    }
    AddressList list;
    if (const int error = resolve(host, port, true, list); error != 0) {
        detail = errorText(error);
        return nullptr;
    }
    detail.clear();
    for (ADDRINFOW* a = list.first; a; a = a->ai_next) {
        const SOCKET s = openSocket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            detail = errorText(WSAGetLastError());
            continue;
        }
        // SO_REUSEADDR would let another program bind the same port beside this one and take
        // its connections on Windows; exclusive use keeps the port ours.
        const BOOL on = TRUE;
        ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
        if (a->ai_family == AF_INET6) {
            // An IPv6 wildcard takes IPv4 connections too, as it does on Linux.
            const DWORD off = 0;
            ::setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&off), sizeof off);
        }
        if (::bind(s, a->ai_addr, int(a->ai_addrlen)) == SOCKET_ERROR || ::listen(s, backlog) == SOCKET_ERROR) {
            detail = errorText(WSAGetLastError());
            ::closesocket(s);
            continue;
        }
        setNonBlocking(s);
        sockaddr_storage bound{};
        int size = sizeof bound;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&bound), &size);
        const int boundPort = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                                          : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
        detail.clear();
        return std::make_unique<WinListener>(s, boundPort);
    }
    return nullptr;
}

} // namespace tarnixw::link
