#pragma once

// Servers of other makers for the network ports, started and stopped by a test or a benchmark:
// ser2net in front of a pseudo-terminal (raw and RFC 2217), and the Modbus TCP gateway of
// modbus_tcp_gateway.py (pymodbus) in front of a memory image. Each listens on the loopback
// only and is killed when its object goes. Linux only: ports are told free by binding them,
// listening by the kernel's tables, and a line held by ser2net by its open files.
// TARNIXW_PEERS_DIR is this folder.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarnixw::test {

// Debian's Python, which has python3-pymodbus (another Python on the PATH may not).
inline const QString kPeerPython = QStringLiteral("/usr/bin/python3");

// A socket of the caller's own, closed when it goes.
struct Fd {
    int fd = -1;
    Fd() = default;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A TCP socket on the numeric `host`, bound to `port` (0: any free one) or connected to it.
inline bool tcpSocket(Fd& s, const QString& host, int port, bool connect)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* ai = nullptr;
    if (::getaddrinfo(host.toLatin1().constData(), QByteArray::number(port).constData(), &hints, &ai) != 0)
        return false;
    s.fd = ::socket(ai->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = s.fd >= 0
        && (connect ? ::connect(s.fd, ai->ai_addr, ai->ai_addrlen) : ::bind(s.fd, ai->ai_addr, ai->ai_addrlen)) == 0;
    ::freeaddrinfo(ai);
    return ok;
}

// A port free on `host` now, or 0 when the address cannot be bound here (no IPv6, say).
inline int freePort(const QString& host)
{
    Fd s;
    sockaddr_storage a{};
    socklen_t n = sizeof a;
    if (!tcpSocket(s, host, 0, false) || ::getsockname(s.fd, reinterpret_cast<sockaddr*>(&a), &n) != 0)
        return 0;
    return ntohs(a.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&a)->sin6_port
                                         : reinterpret_cast<sockaddr_in*>(&a)->sin_port);
}

// Whether some program listens on the TCP port (as the kernel's tables say).
inline bool listening(int port)
{
    const QByteArray local = QStringLiteral(":%1").arg(port, 4, 16, QLatin1Char('0')).toUpper().toLatin1();
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile f(QString::fromLatin1(table));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : f.readAll().split('\n')) {
            const QList<QByteArray> cols = line.simplified().split(' ');
            if (cols.size() > 3 && cols[1].endsWith(local) && cols[3] == "0A")
                return true;
        }
    }
    return false;
}

// The address tarnixw-cli takes for a server at `host` (an IPv6 literal goes in brackets).
inline QString netAddress(const QString& scheme, const QString& host, int port)
{
    return QStringLiteral("%1://%2:%3").arg(scheme, host.contains(':') ? '[' + host + ']' : host).arg(port);
}

// ser2net, or empty when it is not installed (it lives in sbin, often not on a user's PATH).
inline QString ser2netProgram()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("ser2net"));
    return !onPath.isEmpty()
        ? onPath
        : QStandardPaths::findExecutable(QStringLiteral("ser2net"), {"/usr/sbin", "/usr/local/sbin"});
}

// Whether Debian's Python has pymodbus (and so the gateway can run).
inline bool pymodbusAvailable()
{
    QProcess py;
    py.start(kPeerPython, {"-c", "import pymodbus.server.async_io"});
    return py.waitForFinished(20000) && py.exitStatus() == QProcess::NormalExit && py.exitCode() == 0;
}

// A server process, killed when it goes (a failed check returns early).
class Peer {
public:
    Peer() = default;
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;
    ~Peer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    // Terminates it; true when it ended cleanly.
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }

protected:
    QProcess m_process;
};

// ser2net in front of a pseudo-terminal: one connection per accepter, each serving one client.
class Ser2net : public Peer {
public:
    struct Accepter {
        QString scheme; // socket (raw) or rfc2217
        QString host;
        int port = 0;
        int baud = 19200; // the line's rate as ser2net opens it
        bool nodelay = false; // TCP_NODELAY on the clients' connections (ser2net's default: off)
    };

    bool start(const QString& program, const QString& tty, const QList<Accepter>& accepters)
    {
        m_tty = tty;
        QString yaml;
        for (const Accepter& a : accepters)
            yaml += QStringLiteral("connection: &c%1\n"
                                   "  accepter: %2%3,%4,%1\n"
                                   "  connector: serialdev,%5,%6n81,local\n"
                                   "  options:\n"
                                   "    max-connections: 1\n")
                        .arg(a.port)
                        .arg(a.scheme == "rfc2217" ? "telnet(rfc2217)," : "", a.nodelay ? "tcp(nodelay)" : "tcp",
                            a.host, tty)
                        .arg(a.baud);
        const QString config = m_dir.filePath("ser2net.yaml");
        QFile f(config);
        if (!f.open(QIODevice::WriteOnly) || f.write(yaml.toUtf8()) != yaml.toUtf8().size())
            return false;
        f.close();
        // No UUCP lock files, no pid file outside the caller's folder.
        m_process.start(program, {"-n", "-d", "-u", "-P", m_dir.filePath("ser2net.pid"), "-c", config});
        if (!m_process.waitForStarted(5000))
            return false;
        const auto allListen = [&] {
            return std::all_of(accepters.begin(), accepters.end(), [](const Accepter& a) { return listening(a.port); });
        };
        for (int i = 0; i < 500 && m_process.state() != QProcess::NotRunning && !allListen(); ++i)
            QThread::msleep(10);
        return m_process.state() == QProcess::Running && allListen();
    }
    // Whether ser2net has the pseudo-terminal open. It opens it for a client and keeps it a
    // moment after the client left, reading what the device sends meanwhile, and turns the
    // next client away until then.
    bool holdsLine() const
    {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(m_process.processId()));
        const QFileInfoList entries = fds.entryInfoList(QDir::Files | QDir::System);
        return std::any_of(
            entries.begin(), entries.end(), [&](const QFileInfo& f) { return f.symLinkTarget() == m_tty; });
    }
    // Waits (5 s at most) until ser2net holds the line, or has let it go.
    bool waitLine(bool held) const
    {
        for (int i = 0; i < 500 && holdsLine() != held; ++i)
            QThread::msleep(10);
        return holdsLine() == held;
    }

private:
    QTemporaryDir m_dir;
    QString m_tty;
};

// modbus_tcp_gateway.py: pymodbus in front of a memory image, on a port it picks. It writes the
// image back when stopped, and stops by itself after `lifetimeS`.
class Gateway : public Peer {
public:
    bool start(const QString& image, int id, int probe, int lifetimeS = 120)
    {
        m_process.start(kPeerPython,
            {QStringLiteral(TARNIXW_PEERS_DIR "/modbus_tcp_gateway.py"), image, "--id", QString::number(id), "--probe",
                QString::number(probe), "--lifetime", QString::number(lifetimeS)});
        for (int i = 0; i < 150 && !m_process.canReadLine() && m_process.state() != QProcess::NotRunning; ++i)
            m_process.waitForReadyRead(100);
        m_port = m_process.canReadLine() ? m_process.readLine().trimmed().toInt() : 0;
        return m_port > 0;
    }
    QString address() const { return netAddress(QStringLiteral("tcp"), QStringLiteral("127.0.0.1"), m_port); }

private:
    int m_port = 0;
};

} // namespace tarnixw::test
