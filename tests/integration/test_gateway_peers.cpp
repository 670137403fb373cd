// tarnixw-cli's network ports against servers it shares no code with: ser2net in front of
// tarnixw-devsim's pseudo-terminal, raw (socket://) and with RFC 2217 (rfc2217://), and a Modbus
// TCP gateway made with pymodbus (tests/peers/modbus_tcp_gateway.py, tcp://) in front of the
// memory image the simulator holds. Every server listens on the loopback only, on a port free
// at the time, and ends with the test function that started it.
#include "tests/cli/CliRun.h"

#include "cli/Config.h"
#include "tests/peers/PeerServers.h"
#include "tests/support/DevSim.h"
#include "tests/support/Models.h"

#include <QRegularExpression>
#include <QtTest>

using namespace tarnixw;
using test::Config;
using test::Gateway;
using test::Model;
using test::netAddress;
using test::Ser2net;

namespace {

constexpr int kMemorySize = 4096; // a device's memory, as tarnixw-devsim --dump writes it

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// tarnixw-cli with every frame traced, so that a connection the server closed shows in what it
// says. ser2net turns a client away while it still holds the line for the one before; the run
// then waits for the line and goes again (a few times at most).
test::CliRun run(const QStringList& args, const Ser2net* server = nullptr)
{
    test::CliRun r;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (server && !server->waitLine(false))
            return {};
        r = test::runCli(args + QStringList{"--trace"});
        if (!r.err.contains("the server closed the connection"))
            break;
    }
    return r;
}

// What tarnixw-cli told the user, without the traced frames.
QString message(const test::CliRun& r)
{
    const QStringList lines = r.err.split('\n').filter(QRegularExpression("^tarnixw-cli: "));
    return lines.join('\n');
}

QString modelKey(Model m)
{
    return m == Model::Vyr ? QStringLiteral("vyr") : QStringLiteral("plix");
}

// A configuration away from the defaults. The PLIXARO's negative sensor range is stored as
// 0xFF bytes (and its write-enable closes with 0xFFFF), which telnet doubles on the wire.
Config edited(Model m)
{
    Config c = test::templateConfig(m);
    if (m == Model::Vyr) {
        c.vyr.ChanInUseMask = 0xFEFF;
        c.vyr.STo[3] = 5500;
        c.vyr.DTo[3] = -12500;
        c.vyr.DICloseMask[2] = 1u << 6;
        c.vyr.doMapMask(51, 2) = 1u << 5;
    } else {
        c.plix.setEnableMask(0x0001);
        c.plix.setPvTo(0, 250500);
        c.plix.setSensorFrom(1, -2000);
        c.plix.setHysteresis(1, 15);
    }
    return c;
}

// The parameter memory as a Write of `c` leaves it, in the order a Read gathers it.
std::vector<std::uint8_t> writtenImage(const Config& c)
{
    const models::DeviceModel& model = test::describe(c.model);
    return model.writtenImage(*model.readyForWrite(c).value);
}

// The device's whole memory holding `c` (zeros outside the parameters).
QByteArray memoryHolding(const Config& c)
{
    QByteArray memory(kMemorySize, '\0');
    const std::vector<std::uint8_t> image = writtenImage(c);
    std::size_t at = 0;
    for (const models::MemoryBlock& b : test::describe(c.model).memory()) {
        std::copy_n(image.begin() + long(at), b.bytes, memory.begin() + b.address);
        at += std::size_t(b.bytes);
    }
    return memory;
}

QString saved(const QTemporaryDir& dir, const QString& name, const Config& c)
{
    const QString path = dir.filePath(name);
    return cli::saveConfig(path, c, test::productModels()) ? QString() : path;
}

} // namespace

class TestGatewayPeers : public QObject {
    Q_OBJECT

    QString m_ser2net;
    bool m_pymodbus = false;

private slots:
    void initTestCase()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        m_ser2net = test::ser2netProgram();
        m_pymodbus = test::pymodbusAvailable();
    }

    // Through ser2net, raw and with RFC 2217: a Read gives the file a Read straight from the
    // pseudo-terminal gives; a Write whose bytes hold 0xFF arrives whole and reads back equal;
    // the ID search finds the device. (Over IPv6 only the address differs: no Write, which
    // keeps the forms' waits, three seconds.)
    void deviceServer_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("write");
        QTest::newRow("raw") << QStringLiteral("socket") << QStringLiteral("127.0.0.1") << true;
        QTest::newRow("RFC 2217") << QStringLiteral("rfc2217") << QStringLiteral("127.0.0.1") << true;
        QTest::newRow("raw over IPv6") << QStringLiteral("socket") << QStringLiteral("::1") << false;
    }
    void deviceServer()
    {
        QFETCH(QString, scheme);
        QFETCH(QString, host);
        QFETCH(bool, write);
        if (m_ser2net.isEmpty())
            QSKIP("ser2net is not installed");
        const int port = test::freePort(host);
        if (port == 0)
            QSKIP("this machine has no such loopback address");
        QTemporaryDir dir;
        const QString memory = dir.filePath("memory.bin");
        QVERIFY(writeBytes(memory, memoryHolding(edited(Model::Vyr))));
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--device", "vyr:3", "--device", "plix:5", "--memory", memory}));
        const QString tty = QFileInfo(sim.portPath()).symLinkTarget();
        Ser2net server;
        QVERIFY(server.start(m_ser2net, tty, {{scheme, host, port}}));
        const QString net = netAddress(scheme, host, port);

        const auto read = [&](const QString& from, const QString& to) {
            return run(
                {"read", "--model", "vyr", "--port", from, "--id", "3", "--fast", "-o", dir.filePath(to)}, &server);
        };
        QCOMPARE(read(net, "net.vyx").exitCode, 0);
        QCOMPARE(read(sim.portPath(), "pty.vyx").exitCode, 0);
        QCOMPARE(fileBytes(dir.filePath("net.vyx")), fileBytes(dir.filePath("pty.vyx")));

        QCOMPARE(run({"search", "--port", net, "--fast"}, &server).out, QStringLiteral("3\n"));
        if (!write)
            return;
        const Config plix = edited(Model::Plix);
        const std::vector<std::uint8_t> ours = writtenImage(plix);
        const std::vector<std::uint8_t> factory = writtenImage(test::templateConfig(Model::Plix));
        bool newFF = false; // the edit itself puts 0xFF bytes on the wire, both ways
        for (std::size_t i = 0; i < ours.size(); ++i)
            newFF = newFF || (ours[i] == 0xFF && factory[i] != 0xFF);
        QVERIFY(newFF);
        const QString file = saved(dir, "edited.plx", plix);
        QVERIFY(!file.isEmpty());
        const test::CliRun written = run({"write", "--port", net, "--id", "5", "--verify", file}, &server);
        QVERIFY2(written.exitCode == 0 && written.err.contains("Verified"), qPrintable(written.err));
        for (const QString& from : {net, sim.portPath()}) {
            const test::CliRun diff
                = run({"diff", "--model", "plix", "--port", from, "--id", "5", "--fast", file}, &server);
            QVERIFY2(diff.exitCode == 0 && diff.out.isEmpty(), qPrintable(from + ":\n" + diff.out + diff.err));
        }
    }

    // The rate asked over RFC 2217 is the line's: a device that hears only that rate answers,
    // and the pseudo-terminal is set to it (ser2net opens it at 19200).
    void rfc2217SetsTheRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("38400") << 38400;
        QTest::newRow("9600") << 9600;
    }
    void rfc2217SetsTheRate()
    {
        QFETCH(int, baud);
        if (m_ser2net.isEmpty())
            QSKIP("ser2net is not installed");
        QTemporaryDir dir;
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--device", QStringLiteral("plix:2@%1").arg(baud)}));
        const QString tty = QFileInfo(sim.portPath()).symLinkTarget();
        const int port = test::freePort("127.0.0.1");
        Ser2net server;
        QVERIFY(server.start(m_ser2net, tty, {{"rfc2217", "127.0.0.1", port}}));

        const test::CliRun read
            = run({"read", "--model", "plix", "--port", netAddress("rfc2217", "127.0.0.1", port), "--baud",
                      QString::number(baud), "--id", "2", "--fast", "-o", dir.filePath("read.plx")},
                &server);
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QProcess stty;
        stty.start("stty", {"-F", tty});
        QVERIFY(stty.waitForFinished(5000));
        const QString settings = QString::fromLatin1(stty.readAllStandardOutput());
        QVERIFY2(settings.contains(QStringLiteral("speed %1 baud").arg(baud)), qPrintable(settings));
    }

    // The pymodbus gateway in front of the memory image the simulator holds: a Read gives what
    // the simulator gives, a slave ID with no device behind the gateway is a silent device in
    // the gateway's words, and a Write leaves the image the simulator then reads back. (A
    // VYRANTA Write keeps the forms' waits for ten seconds; the PLIXARO's makes the point.)
    void modbusTcpGateway_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("write");
        QTest::newRow("VYRANTA") << int(Model::Vyr) << false;
        QTest::newRow("PLIXARO") << int(Model::Plix) << true;
    }
    void modbusTcpGateway()
    {
        QFETCH(int, model);
        QFETCH(bool, write);
        const Model m = Model(model);
        if (!m_pymodbus)
            QSKIP("/usr/bin/python3 has no pymodbus (Debian's python3-pymodbus)");
        QTemporaryDir dir;
        const QString key = modelKey(m);
        const QString ext = m == Model::Vyr ? ".vyx" : ".plx";
        const QString image = dir.filePath("memory.bin");
        QVERIFY(writeBytes(image, memoryHolding(edited(m))));
        const QStringList device{"--model", key, "--id", "4", "--memory", image};
        const auto read = [&](const QString& port, const QString& id, const QString& to) {
            return run({"read", "--model", key, "--port", port, "--id", id, "--fast", "-o", dir.filePath(to)});
        };
        {
            test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
            QVERIFY(sim.start(device));
            QCOMPARE(read(sim.portPath(), "4", "pty" + ext).exitCode, 0);
        }

        Gateway gateway;
        QVERIFY(gateway.start(image, 4, test::describe(m).probeValue()));
        QCOMPARE(read(gateway.address(), "4", "net" + ext).exitCode, 0);
        QCOMPARE(fileBytes(dir.filePath("net" + ext)), fileBytes(dir.filePath("pty" + ext)));
        QCOMPARE(run({"search", "--port", gateway.address(), "--fast"}).out, QStringLiteral("4\n"));

        const test::CliRun absent = read(gateway.address(), "9", "absent" + ext);
        QCOMPARE(absent.exitCode, 3);
        const QString told = message(absent);
        QVERIFY2(told.startsWith("tarnixw-cli: Device No Response !!")
                && told.contains("exception 11 (Gateway Target Device Failed to Respond)"),
            qPrintable(absent.err));
        QVERIFY(!QFile::exists(dir.filePath("absent" + ext)));
        if (!write)
            return;

        const QString defaults = saved(dir, "defaults" + ext, test::templateConfig(m));
        const test::CliRun written = run({"write", "--port", gateway.address(), "--id", "4", "--verify", defaults});
        QVERIFY2(written.exitCode == 0 && written.err.contains("Verified"), qPrintable(written.err));
        QVERIFY(gateway.stop()); // the image as the gateway's device holds it now

        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(device));
        const test::CliRun diff = run({"diff", "--model", key, "--port", sim.portPath(), "--id", "4", defaults});
        QVERIFY2(diff.exitCode == 0 && diff.out.isEmpty(), qPrintable(diff.out + diff.err));
    }

    // ser2net serves one client at a time: a second one is told that the server closed the
    // connection. Raw, that shows on the first request (a device that did not answer); with
    // RFC 2217, while the line is set up (a port that did not open).
    void serverBusy_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("told");
        QTest::newRow("raw") << QStringLiteral("socket") << 3
                             << QStringLiteral("tarnixw-cli: Device No Response !! The server closed the connection.");
        QTest::newRow("RFC 2217") << QStringLiteral("rfc2217") << 5
                                  << QStringLiteral(
                                         "tarnixw-cli: OPEN COM ERROR!! rfc2217://127.0.0.1:PORT: the server "
                                         "closed the connection at once");
    }
    void serverBusy()
    {
        QFETCH(QString, scheme);
        QFETCH(int, exitCode);
        QFETCH(QString, told);
        if (m_ser2net.isEmpty())
            QSKIP("ser2net is not installed");
        QTemporaryDir dir;
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--model", "vyr"}));
        const int port = test::freePort("127.0.0.1");
        Ser2net server;
        QVERIFY(server.start(m_ser2net, QFileInfo(sim.portPath()).symLinkTarget(), {{scheme, "127.0.0.1", port}}));
        test::Fd first;
        QVERIFY(test::tcpSocket(first, "127.0.0.1", port, true));
        QVERIFY(server.waitLine(true));

        const test::CliRun second = test::runCli({"read", "--model", "vyr", "--port",
            netAddress(scheme, "127.0.0.1", port), "--id", "1", "--fast", "-o", dir.filePath("read.vyx")});
        QCOMPARE(second.exitCode, exitCode);
        QVERIFY2(second.err.startsWith(told.replace("PORT", QString::number(port))), qPrintable(second.err));
        QVERIFY(!QFile::exists(dir.filePath("read.vyx")));
    }
};

QTEST_GUILESS_MAIN(TestGatewayPeers)
#include "test_gateway_peers.moc"
