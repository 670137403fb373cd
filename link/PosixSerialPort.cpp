#include "PosixSerialPort.h"
#include "words/Words.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace tarnixw::link {

namespace {

// The standard rates and their termios constants.
constexpr std::pair<int, speed_t> kRates[]
    = {{50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300}, {600, B600},
        {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600}};

} // namespace

unsigned baudConstant(int baud)
{
    for (const auto& [rate, constant] : kRates)
        if (rate == baud)
            return constant;
    return B19200;
}

int baudOfConstant(unsigned constant)
{
    for (const auto& [rate, c] : kRates)
        if (c == constant)
            return rate;
    return 0;
}

bool lineSettingsTaken(const termios& wanted, const termios& got)
{
    constexpr tcflag_t frame = CSIZE | PARENB | CSTOPB;
    return cfgetospeed(&got) == cfgetospeed(&wanted) && cfgetispeed(&got) == cfgetispeed(&wanted)
        && (got.c_cflag & frame) == (wanted.c_cflag & frame);
}

PosixSerialPort::PosixSerialPort(int fd)
    : m_fd(fd)
{ }

PosixSerialPort::~PosixSerialPort()
{
    close();
}

void PosixSerialPort::purge()
{
    if (m_fd >= 0 && !m_vanished && tcflush(m_fd, TCIOFLUSH) != 0 && errno == EIO)
        m_vanished = true;
}

void PosixSerialPort::purgeReceive()
{
    if (m_fd >= 0 && !m_vanished && tcflush(m_fd, TCIFLUSH) != 0 && errno == EIO)
        m_vanished = true;
}

long PosixSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (m_fd < 0 || m_vanished)
        return -1;
    std::size_t done = 0;
    // The descriptor is non-blocking; a full output queue is waited out briefly, never forever.
    int stalls = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && ++stalls < 100) {
            pollfd p{m_fd, POLLOUT, 0};
            ::poll(&p, 1, 10);
            continue;
        }
        if (n < 0 && (errno == EIO || errno == ENXIO || errno == ENODEV))
            m_vanished = true;
        return done ? long(done) : -1;
    }
    // Like a synchronous write to the driver: the bytes are handed over, not drained, so the
    // answer wait starts at the send as the link's timing expects.
    return long(done);
}

std::size_t PosixSerialPort::bytesAvailable()
{
    if (m_fd < 0 || m_vanished)
        return 0;
    int n = 0;
    if (ioctl(m_fd, FIONREAD, &n) != 0) {
        if (errno == EIO || errno == ENXIO || errno == ENODEV)
            m_vanished = true;
        return 0;
    }
    if (n > 0)
        return std::size_t(n);
    // A device that is gone shows as a hang-up with nothing to read.
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        m_vanished = true;
    return 0;
}

std::size_t PosixSerialPort::read(std::span<std::uint8_t> out)
{
    if (m_fd < 0 || m_vanished || out.empty())
        return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(m_fd, out.data() + done, out.size() - done);
        if (n > 0) {
            done += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // With VMIN = VTIME = 0 a read of an empty queue returns 0; an I/O error means the
        // device is gone.
        if (n < 0 && errno != EAGAIN)
            m_vanished = true;
        break;
    }
    return done;
}

void PosixSerialPort::close()
{
    if (m_fd < 0)
        return;
    ioctl(m_fd, TIOCNXCL);
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

OpenResult PosixPortOpener::open(const std::string& devicePath, int baud)
{
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        OpenResult r;
        const int e = errno;
        r.detail = std::strerror(e);
        if (e == ENOENT || e == ENXIO || e == ENODEV)
            r.error = OpenError::NoSuchPort;
        else if (e == EACCES || e == EPERM)
            r.error = OpenError::PermissionDenied;
        else if (e == EBUSY)
            r.error = OpenError::Busy;
        else
            r.error = OpenError::Other;
        return r;
    }
    // Exclusive use: flock keeps out every cooperating program (and a second Tarnixw, even
    // as root); TIOCEXCL keeps out ordinary opens by other users.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return {nullptr, OpenError::Busy, Words::portHeldByAnotherProgram().toStdString()};
    }
    if (isatty(fd))
        ioctl(fd, TIOCEXCL);
    // The line cannot be set up: the port is let go again.
    const auto setupFailed = [fd](std::string detail) {
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        return OpenResult{nullptr, OpenError::SetupFailed, std::move(detail)};
    };

    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return setupFailed(std::strerror(errno));
    // A Linux tty is cooked by default and would mangle binary frames.
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, baudConstant(baud));
    cfsetospeed(&tio, baudConstant(baud));
    // tcsetattr succeeds when the driver took any of the settings; read them back.
    termios applied{};
    const bool set = tcsetattr(fd, TCSANOW, &tio) == 0;
    const int setError = errno;
    if (!set || tcgetattr(fd, &applied) != 0 || !lineSettingsTaken(tio, applied))
        return setupFailed(set ? Words::lineSettingsRefused().toStdString() : std::strerror(setError));
    // Bytes that reached the port before this open (a late answer to a program that has ended
    // since) are no answer to anything this operation sends: it starts with empty queues.
    tcflush(fd, TCIOFLUSH);
    return {std::make_unique<PosixSerialPort>(fd), OpenError::None, {}};
}

} // namespace tarnixw::link
