#include "Socket.h"

#include "Clock.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnixw::link {

namespace {

// How long a wait slice lasts while the caller's `stop` is asked between them.
constexpr int kSliceMs = 20;

std::string errorText(int error)
{
    return std::strerror(error);
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Waits at most timeoutMs for `events` on fd; the revents, 0 on timeout.
short pollFor(int fd, short events, int timeoutMs)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
        if (r < 0 && errno == EINTR)
            return 0; // a signal (Ctrl+C): let the caller look
        return r > 0 ? p.revents : 0;
    }
}

class PosixSocket final : public Socket {
public:
    explicit PosixSocket(int fd)
        : m_fd(fd)
    {
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
#ifdef SO_NOSIGPIPE
        ::setsockopt(m_fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
    }
    ~PosixSocket() override
    {
        ::close(m_fd);
    }
    PosixSocket(const PosixSocket&) = delete;
    PosixSocket& operator=(const PosixSocket&) = delete;

    long send(std::span<const std::uint8_t> bytes, int timeoutMs) override
    {
        if (m_closed)
            return -1;
        const std::int64_t deadline = steadyNowMs() + timeoutMs;
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n > 0) {
                sent += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                const std::int64_t left = deadline - steadyNowMs();
                if (left <= 0)
                    break;
                pollFor(m_fd, POLLOUT, int(left));
                continue;
            }
            broke(n < 0 ? errno : 0);
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
        for (;;) {
            const ssize_t n = ::recv(m_fd, out.data(), out.size(), 0);
            if (n > 0) {
                quickAck();
                return long(n);
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return 0;
            broke(n < 0 ? errno : 0);
            return -1;
        }
    }

    bool waitReadable(int timeoutMs) override
    {
        return m_closed || pollFor(m_fd, POLLIN, timeoutMs) != 0;
    }

    std::string brokenReason() const override
    {
        return m_reason;
    }

private:
    // Acknowledges at once what comes: a server that holds the last bytes of an answer until its
    // earlier ones are acknowledged (Nagle's rule, ser2net's default) would otherwise wait for the
    // system's delayed acknowledgement, up to 40 ms an answer. The system forgets it after a while:
    // it is asked again at every receive.
    void quickAck()
    {
#ifdef TCP_QUICKACK
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_QUICKACK, &one, sizeof one);
#endif
    }

    void broke(int error)
    {
        m_closed = true;
        if (error != 0)
            m_reason = errorText(error);
    }

    int m_fd;
    bool m_closed = false;
    std::string m_reason;
};

class PosixListener final : public Listener {
public:
    PosixListener(int fd, int port)
        : m_fd(fd)
        , m_port(port)
    { }
    ~PosixListener() override { ::close(m_fd); }
    PosixListener(const PosixListener&) = delete;
    PosixListener& operator=(const PosixListener&) = delete;

    int port() const override { return m_port; }

    std::unique_ptr<Socket> accept(int timeoutMs) override
    {
        if (pollFor(m_fd, POLLIN, timeoutMs) == 0)
            return nullptr;
        const int fd = ::accept(m_fd, nullptr, nullptr);
        if (fd < 0)
            return nullptr;
        setNonBlocking(fd);
        return std::make_unique<PosixSocket>(fd);
    }

private:
    int m_fd;
    int m_port;
};

struct AddressList {
    addrinfo* first = nullptr;
    ~AddressList()
    {
        if (first)
            ::freeaddrinfo(first);
    }
};

// Resolves host:port; the error text when it cannot (getaddrinfo's words).
std::string resolve(const std::string& host, int port, bool passive, AddressList& list, bool& unknown)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = passive ? AI_PASSIVE : AI_ADDRCONFIG;
    const std::string service = std::to_string(port);
    int r = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list.first);
    if (r == EAI_ADDRFAMILY || (r == EAI_NONAME && !passive)) {
        // AI_ADDRCONFIG hides ::1 on a machine with no IPv6 address but loopback: ask again
        // without it.
        hints.ai_flags = 0;
        r = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list.first);
    }
    unknown = r == EAI_NONAME || r == EAI_FAIL || r == EAI_NODATA || r == EAI_ADDRFAMILY;
    return r == 0 ? std::string() : std::string(::gai_strerror(r));
}

} // namespace

Connection connectTcp(const std::string& host, int port, int timeoutMs, const std::function<bool()>& stop)
{
    AddressList list;
    bool unknown = false;
    if (const std::string why = resolve(host, port, false, list, unknown); !why.empty())
        return {nullptr, unknown ? ConnectError::HostUnknown : ConnectError::Other, why};
    const std::int64_t deadline = steadyNowMs() + timeoutMs;
    Connection last{nullptr, ConnectError::Other, "no address"};
    for (addrinfo* a = list.first; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) {
            last = {nullptr, ConnectError::Other, errorText(errno)};
            continue;
        }
        setNonBlocking(fd);
        int error = 0;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                error = ETIMEDOUT;
                for (;;) {
                    if (stop && stop()) {
                        ::close(fd);
                        return {nullptr, ConnectError::Cancelled, {}};
                    }
                    const std::int64_t left = deadline - steadyNowMs();
                    if (left <= 0)
                        break;
                    if (pollFor(fd, POLLOUT, int(std::min<std::int64_t>(left, kSliceMs))) != 0) {
                        socklen_t size = sizeof error;
                        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
                            error = errno;
                        break;
                    }
                }
            }
        }
        if (error == 0)
            return {std::make_unique<PosixSocket>(fd), ConnectError::None, {}};
        ::close(fd);
        last = {nullptr,
            error == ECONNREFUSED ? ConnectError::Refused
                                  : (error == ETIMEDOUT ? ConnectError::TimedOut : ConnectError::Other),
            errorText(error)};
        if (steadyNowMs() >= deadline)
            break;
    }
    return last;
}

std::unique_ptr<Listener> listenTcp(const std::string& host, int port, std::string& detail, int backlog)
{
    AddressList list;
    bool unknown = false;
    if (detail = resolve(host, port, true, list, unknown); !detail.empty())
        return nullptr;
    for (addrinfo* a = list.first; a; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (fd < 0) {
            detail = errorText(errno);
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd, backlog) != 0) {
            detail = errorText(errno);
            ::close(fd);
            continue;
        }
        setNonBlocking(fd);
        sockaddr_storage bound{};
        socklen_t size = sizeof bound;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &size);
        const int boundPort = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                                          : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
        detail.clear();
        return std::make_unique<PosixListener>(fd, boundPort);
    }
    return nullptr;
}

} // namespace tarnixw::link
