// tarnixw-devsim: a simulated device on a pseudo-terminal, published as a named virtual port, or
// behind a network server, for trying the program and for the end-to-end tests.

#include "Devsim.h"

#include "Bus.h"
#include "Device.h"
#include "NetServer.h"
#include "VirtualPorts.h"

#include "link/Modbus.h"
#include "link/NetAddress.h"
#include "link/PosixSerialPort.h"
#include "link/Traffic.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace tarnixw;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

// One device on the simulated line.
struct DeviceSpec {
    const models::DeviceModel* model = nullptr;
    int id = 1;
    std::optional<int> baud; // the only rate it hears (none: any)
};

struct Options {
    std::vector<DeviceSpec> devices;
    QString name;
    QString memory;
    QString dump;
    QString log;
    int baud = 19200;
    sim::Faults faults;
    std::optional<tarnixw::link::NetAddress> listen; // none: on a pseudo-terminal
    int dropAfter = 0;
    std::optional<int> fixedBaud;
};

class FrameLog {
public:
    explicit FrameLog(const QString& path)
    {
        if (!path.isEmpty()) {
            m_file.setFileName(path);
            // A log file grows run after run; a device such as /dev/null cannot be appended to.
            const QFileInfo file(path);
            const auto append = file.exists() && !file.isFile() ? QIODevice::NotOpen : QIODevice::Append;
            if (m_file.open(QIODevice::WriteOnly | append | QIODevice::Text))
                m_out = &m_file;
        }
        if (!m_out) {
            m_err.open(stderr, QIODevice::WriteOnly);
            m_out = &m_err;
        }
    }
    // One frame a line: the wall-clock time, the direction as the device sees it ("<-" a
    // request in, "->" its answer out: the other way round from the program's line traffic) and
    // the bytes in the hex the program's line traffic shows, so a frame is found on both sides.
    void line(const char* direction, const std::vector<std::uint8_t>& bytes)
    {
        put(QLatin1String(direction) + QLatin1Char(' ') + tarnixw::link::hexBytes(bytes));
    }
    void note(const QString& text) { put(QLatin1String("-- ") + text); }

private:
    QFile m_file;
    QFile m_err;
    QIODevice* m_out = nullptr;

    void put(const QString& text)
    {
        m_out->write(
            (QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ') + text + QLatin1Char('\n'))
                .toUtf8());
        m_out->waitForBytesWritten(0);
        if (m_out == &m_file)
            m_file.flush();
    }
};

bool parseOptions(const QCoreApplication& app, const models::Models& models, Options& o)
{
    QStringList names;
    QStringList keys;
    for (const models::DeviceModel* m : models) {
        names << m->name();
        keys << m->key();
    }
    const QString keyChoice
        = keys.mid(0, keys.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + keys.last();
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Simulated %1 Modbus RTU slave on a pseudo-terminal or over the network")
                                    .arg(names.join(QStringLiteral(" / "))));
    p.addHelpOption();
    const QCommandLineOption model("model", keyChoice, "MODEL", keys.first());
    const QCommandLineOption id("id", "Modbus slave ID, 1..255 (default 1)", "N", "1");
    const QCommandLineOption device("device",
        QStringLiteral("a device on the line, given again for each of a bus (instead of --model and --id): "
                       "MODEL:ID for a device that hears a master at --baud, MODEL:ID@BAUD for one at its own rate; "
                       "two devices at one ID answer over each other"),
        "MODEL:ID[@BAUD]");
    const QCommandLineOption name(
        "name", QStringLiteral("virtual port name (default the model's: %1-sim)").arg(keys.first()), "NAME");
    const QCommandLineOption memory("memory",
        "load the memory image (4096 bytes, as --dump writes it) at start (the first device's on a bus)", "FILE");
    const QCommandLineOption dump("dump", "write the memory image on exit (the first device's on a bus)", "FILE");
    const QCommandLineOption log(
        "log", "frame log: wall-clock time, <- request or -> answer, hex (default stderr)", "FILE");
    const QCommandLineOption baud(
        "baud", "line rate for answer timing, and the rate of the devices of a bus (default 19200)", "BAUD", "19200");
    const QCommandLineOption silentNext("silent-next", "ignore the next N requests", "N");
    const QCommandLineOption silentEvery("silent-every", "ignore every K-th request", "K");
    const QCommandLineOption wrongId("wrong-id", "answer under slave id N", "N");
    const QCommandLineOption exception("exception", "refuse every request with this code", "CODE");
    const QCommandLineOption truncate("truncate", "send half of each answer");
    const QCommandLineOption badCrc("bad-crc", "damage each answer's CRC");
    const QCommandLineOption late("late", "answer MS milliseconds late", "MS");
    const QCommandLineOption unplugAfter("unplug-after", "vanish after N requests", "N");
    const QCommandLineOption alterByte(
        "alter-byte", "store the byte at ADDRESS changed whenever a write covers it", "ADDRESS");
    const QCommandLineOption listen("listen",
        "serve over the network instead of a pseudo-terminal, one client at a time: socket://HOST:PORT (RTU frames "
        "over TCP), tcp://HOST:PORT (Modbus TCP) or rfc2217://HOST:PORT (RTU frames over telnet, the client sets "
        "the rate); PORT 0: the system picks one. Prints \"listening ADDRESS\" on standard output",
        "ADDRESS");
    const QCommandLineOption dropAfter(
        "drop-after", "over the network: close each connection when its N-th request has come, unanswered", "N");
    const QCommandLineOption fixedBaud("fixed-baud",
        "over rfc2217://: acknowledge every rate a client sets with RATE, the line staying at RATE", "RATE");
    p.addOptions({model, id, device, name, memory, dump, log, baud, silentNext, silentEvery, wrongId, exception,
        truncate, badCrc, late, unplugAfter, alterByte, listen, dropAfter, fixedBaud});
    p.process(app);

    // An integer option within lo..hi into `out` (an int, or an optional fault left unset when
    // the option is not given).
    const auto number = [&]<typename T>(const QCommandLineOption& opt, int lo, int hi, T& out) {
        if (!p.isSet(opt) && opt.defaultValues().isEmpty())
            return true;
        bool ok = false;
        const int v = p.value(opt).toInt(&ok);
        if (!ok || v < lo || v > hi) {
            std::fprintf(
                stderr, "tarnixw-devsim: --%s must be an integer %d..%d\n", qPrintable(opt.names().first()), lo, hi);
            return false;
        }
        out = T(v);
        return true;
    };
    // A model by its key, as --model and --device name it.
    const auto modelKeyed = [&](const QString& key) {
        return keys.contains(key, Qt::CaseInsensitive) ? models::modelCalled(models, key) : nullptr;
    };
    DeviceSpec first;
    first.model = modelKeyed(p.value(model));
    if (!first.model) {
        std::fprintf(stderr, "tarnixw-devsim: --model must be %s\n", qPrintable(keyChoice));
        return false;
    }
    if (!number(id, 1, 255, first.id))
        return false;
    static const QRegularExpression deviceForm(QStringLiteral("^([^:@]+):(\\d{1,3})(?:@(\\d{2,7}))?$"));
    for (const QString& d : p.values(device)) {
        const QRegularExpressionMatch m = deviceForm.match(d);
        DeviceSpec spec;
        spec.model = m.hasMatch() ? modelKeyed(m.captured(1)) : nullptr;
        spec.id = m.captured(2).toInt();
        if (m.hasCaptured(3))
            spec.baud = m.captured(3).toInt();
        if (!spec.model || spec.id < 1 || spec.id > 255 || (spec.baud && (*spec.baud < 50 || *spec.baud > 4000000))) {
            std::fprintf(stderr,
                "tarnixw-devsim: --device %s: give MODEL:ID or MODEL:ID@BAUD (MODEL %s, ID 1..255, BAUD "
                "50..4000000)\n",
                qPrintable(d), qPrintable(keyChoice));
            return false;
        }
        o.devices.push_back(spec);
    }
    if (o.devices.empty())
        o.devices.push_back(first);
    o.name = p.isSet(name) ? p.value(name) : o.devices.front().model->key() + QStringLiteral("-sim");
    if (o.name.isEmpty() || o.name.contains(QLatin1Char('/')) || o.name.startsWith(QLatin1Char('.'))) {
        std::fprintf(stderr, "tarnixw-devsim: --name must be a plain file name\n");
        return false;
    }
    o.memory = p.value(memory);
    o.dump = p.value(dump);
    o.log = p.value(log);
    if (!number(baud, 50, 4000000, o.baud) || !number(silentNext, 0, 1 << 30, o.faults.silentNext)
        || !number(silentEvery, 0, 1 << 30, o.faults.silentEvery) || !number(wrongId, 0, 255, o.faults.wrongId)
        || !number(exception, 1, 255, o.faults.exceptionCode) || !number(late, 0, 60000, o.faults.lateMs)
        || !number(unplugAfter, 0, 1 << 30, o.faults.unplugAfter) || !number(alterByte, 0, 4095, o.faults.alterByte))
        return false;
    // The devices of a bus listen at --baud unless given a rate of their own; a device named by
    // --model alone follows whatever rate the program sets.
    if (p.isSet(device))
        for (DeviceSpec& d : o.devices)
            d.baud = d.baud.value_or(o.baud);
    o.faults.truncate = p.isSet(truncate);
    o.faults.badCrc = p.isSet(badCrc);

    if (p.isSet(listen)) {
        const values::Result<tarnixw::link::NetAddress> at
            = tarnixw::link::parseNetAddress(p.value(listen), tarnixw::link::AddressUse::Listen);
        if (!at.ok() || at.value->windowMs > 0) {
            std::fprintf(stderr, "tarnixw-devsim: --listen: %s\n",
                qPrintable(at.ok() ? QStringLiteral("an answer window is the client's to choose") : at.error));
            return false;
        }
        o.listen = at.value;
    }
    if (!number(dropAfter, 1, 1 << 30, o.dropAfter) || !number(fixedBaud, 50, 4000000, o.fixedBaud))
        return false;
    if (p.isSet(dropAfter) && !o.listen) {
        std::fprintf(stderr, "tarnixw-devsim: --drop-after needs --listen\n");
        return false;
    }
    if (p.isSet(fixedBaud) && (!o.listen || o.listen->kind != tarnixw::link::NetKind::Rfc2217)) {
        std::fprintf(stderr, "tarnixw-devsim: --fixed-baud needs --listen rfc2217://HOST:PORT\n");
        return false;
    }
    return true;
}

// The rate the program set its end of the line to (a pseudo-terminal's two ends share their
// settings); 0 when it cannot be told.
int lineBaud(int master)
{
    termios tio{};
    return ::tcgetattr(master, &tio) == 0 ? tarnixw::link::baudOfConstant(::cfgetospeed(&tio)) : 0;
}

void sleepNs(std::int64_t ns)
{
    if (ns > 0)
        std::this_thread::sleep_for(std::chrono::nanoseconds(ns));
}

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{fd, POLLOUT, 0};
            ::poll(&p, 1, 50);
            continue;
        }
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

// Serves the bus on a pseudo-terminal published as the virtual port `o.name` until stopped or
// until every device has left the line. The exit code.
int servePty(const Options& o, sim::Bus& bus, FrameLog& log, const QString& devices)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::fprintf(stderr, "tarnixw-devsim: no pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    // Raw line: the slave's settings are reached through the master.
    termios tio{};
    if (::tcgetattr(master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const QByteArray slavePath = ::ptsname(master);

    const values::Result<QString> dir = sim::ensureVirtualPortDirectory();
    if (!dir.ok()) {
        std::fprintf(stderr, "tarnixw-devsim: %s\n", qPrintable(dir.error));
        return 1;
    }
    const QByteArray linkPath = QFile::encodeName(*dir.value + QLatin1Char('/') + o.name);
    ::unlink(linkPath.constData()); // a link left by a simulator that was killed
    if (::symlink(slavePath.constData(), linkPath.constData()) != 0) {
        std::fprintf(stderr, "tarnixw-devsim: cannot publish %s: %s\n", linkPath.constData(), std::strerror(errno));
        return 1;
    }
    log.note(
        QStringLiteral("%1 on %2 as %3").arg(devices, QString::fromLocal8Bit(slavePath), QFile::decodeName(linkPath)));

    // Frames are told apart by their length where the function code gives it, else by the
    // 3.5-character silence (1.75 ms above 19200 baud). A pseudo-terminal delivers a frame
    // written at once in one piece, so an incomplete frame is given a few milliseconds more.
    const std::int64_t gapNs = sim::frameSilenceNs(o.baud);
    const int partialTimeoutMs = int(std::max<std::int64_t>(gapNs / 1'000'000 + 1, 10));

    // The device's answer to a frame goes out after the gap and its own line time; false once
    // the device has left the line.
    const auto answer = [&](const std::vector<std::uint8_t>& frame) {
        log.line("<-", frame);
        const sim::Device::Reply reply = bus.handle(frame, lineBaud(master));
        if (reply.unplugged) {
            log.note(QStringLiteral("unplugged"));
            return false;
        }
        if (!reply.bytes.empty()) {
            sleepNs(gapNs + tarnixw::link::lineTimeNs(reply.bytes.size(), o.baud)
                + std::int64_t(reply.delayMs) * 1'000'000);
            // Whatever the master sent meanwhile stays queued for the next round.
            writeAll(master, reply.bytes);
            log.line("->", reply.bytes);
        }
        return true;
    };

    std::vector<std::uint8_t> pending;
    bool unplugged = false;
    while (!g_stop && !unplugged) {
        pollfd p{master, POLLIN, 0};
        const int r = ::poll(&p, 1, pending.empty() ? 200 : partialTimeoutMs);
        if (r < 0)
            continue; // EINTR: the loop condition looks at the stop flag
        if (r == 0) {
            if (!pending.empty()) {
                // The line went quiet in mid-frame: what came is one (damaged or unknown) frame.
                unplugged = !answer(pending);
                pending.clear();
            }
            continue;
        }
        if (!(p.revents & POLLIN)) {
            // No program has the port open: nothing to read until one opens it. A program that
            // opens it and sends at once is heard within a millisecond, as by a device.
            ::usleep(1000);
            continue;
        }
        std::uint8_t buf[512];
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0) {
            ::usleep(5000);
            continue;
        }
        pending.insert(pending.end(), buf, buf + n);
        for (;;) {
            // The length of the request that starts the bytes, once enough of it is there to
            // tell (nothing yet, or 0 for a function the device does not know).
            const std::optional<std::size_t> len = tarnixw::link::rtuRequestLength(pending);
            if (!len || *len == 0 || pending.size() < *len)
                break;
            const std::vector<std::uint8_t> frame(pending.begin(), pending.begin() + long(*len));
            pending.erase(pending.begin(), pending.begin() + long(*len));
            if (!answer(frame)) {
                unplugged = true;
                break;
            }
        }
    }

    ::unlink(linkPath.constData());
    ::close(master);
    return 0;
}

// Serves the bus over the network at `o.listen` until stopped or until every device has left the
// line. The exit code.
int serveNetwork(const Options& o, sim::Bus& bus, FrameLog& log, const QString& devices)
{
    sim::NetServer::Settings settings;
    settings.address = *o.listen;
    settings.baud = o.baud;
    settings.dropAfter = o.dropAfter;
    settings.truncate = o.faults.truncate;
    if (o.fixedBaud)
        settings.fixedBaud = std::uint32_t(*o.fixedBaud);
    sim::NetServer server(bus, settings,
        {[&log](const char* direction, const std::vector<std::uint8_t>& bytes) { log.line(direction, bytes); },
            [&log](const QString& text) { log.note(text); }});
    const values::Result<tarnixw::link::NetAddress> at = server.listen();
    if (!at.ok()) {
        std::fprintf(stderr, "tarnixw-devsim: %s\n", qPrintable(at.error));
        return 1;
    }
    const QString address = at.value->text();
    log.note(QStringLiteral("%1 on %2").arg(devices, address));
    // Whoever started the simulator learns the port the system chose from this line.
    std::printf("listening %s\n", qPrintable(address));
    std::fflush(stdout);
    while (!g_stop && server.serve(200)) { }
    return 0;
}

} // namespace

int sim::runDevsim(int argc, char** argv, const models::Models& models)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnixw-devsim"));
    Options o;
    if (!parseOptions(app, models, o))
        return 2;

    // Every device of the line has the run's faults. Over the network an answer is cut as it
    // goes on the wire, in its envelope, so the server cuts it rather than the devices.
    sim::Faults faults = o.faults;
    if (o.listen)
        faults.truncate = false;
    sim::Bus bus;
    for (const DeviceSpec& d : o.devices)
        bus.add(*d.model, std::uint8_t(d.id), d.baud).faults() = faults;
    sim::Device& device = *bus.members().front().device;
    QString error;
    if (!o.memory.isEmpty() && !device.loadMemory(o.memory, &error)) {
        std::fprintf(stderr, "tarnixw-devsim: %s\n", qPrintable(error));
        return 1;
    }

    struct sigaction sa { };
    sa.sa_handler = onSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    FrameLog log(o.log);
    QStringList devices;
    for (const DeviceSpec& d : o.devices)
        devices << QStringLiteral("%1 id %2%3")
                       .arg(d.model->key().toUpper())
                       .arg(d.id)
                       .arg(d.baud ? QStringLiteral(" at %1 baud").arg(*d.baud) : QString());
    const QString named = devices.join(QStringLiteral(", "));
    int rc = o.listen ? serveNetwork(o, bus, log, named) : servePty(o, bus, log, named);
    if (rc != 0)
        return rc;
    if (!o.dump.isEmpty() && !device.dumpMemory(o.dump, &error)) {
        std::fprintf(stderr, "tarnixw-devsim: %s\n", qPrintable(error));
        rc = 1;
    }
    log.note(QStringLiteral("stopped"));
    return rc;
}
