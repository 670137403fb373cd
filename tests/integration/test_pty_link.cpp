#include "link/Clock.h"
#include "link/ModbusLink.h"
#include "link/PosixSerialPort.h"
#include "sim/Device.h"
#include "tests/support/DevSim.h"
#include "tests/support/Models.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tarnixw;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Mbpoll {
    int exitCode = -1;
    QString output;
};

// Reads, or writes `values` (mbpoll takes them after the device).
Mbpoll mbpoll(const QString& port, const QStringList& args, const QStringList& values = {})
{
    QProcess p;
    p.start(QStringLiteral("mbpoll"),
        QStringList{QStringLiteral("-m"), QStringLiteral("rtu"), QStringLiteral("-b"), QStringLiteral("19200"),
            QStringLiteral("-P"), QStringLiteral("none"), QStringLiteral("-0"), QStringLiteral("-1"),
            QStringLiteral("-q")}
            + args + QStringList{port} + values);
    Mbpoll r;
    if (p.waitForFinished(10000)) {
        r.exitCode = p.exitCode();
        r.output = QString::fromLocal8Bit(p.readAllStandardOutput());
    }
    return r;
}

// "[32]: 	-1" lines of an mbpoll read, by reference.
QMap<int, int> mbpollValues(const QString& output)
{
    QMap<int, int> values;
    static const QRegularExpression line(
        QStringLiteral("^\\[(\\d+)\\]:\\s+(-?\\d+)"), QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(output); it.hasNext();) {
        const auto m = it.next();
        values[m.captured(1).toInt()] = m.captured(2).toInt();
    }
    return values;
}

} // namespace

class TestPtyLink : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
    }

    // Real time, a real pseudo-terminal and the simulator process: the VYR area 2 read and a
    // block write, each exchange answered within its 16 steps.
    void readAndWriteOverPty()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(
            sim.start({QStringLiteral("--model"), QStringLiteral("vyr"), QStringLiteral("--id"), QStringLiteral("7")}));
        link::PosixPortOpener opener;
        link::OpenResult opened = opener.open(sim.portPath().toStdString(), 19200);
        QVERIFY2(opened.port, opened.detail.c_str());
        link::ModelBuffers buffers = link::ModelBuffers::sized(2048, 2048, 1218);
        link::ModbusLink l(buffers, *opened.port, link::SteadyClock::instance());
        l.SlaveId = 7;
        l.beginOperation();
        QVERIFY(l.ReadBlocks(2048, 7, 64, 16, 818));
        const sim::Device factory(test::describe(test::Model::Vyr), 7);
        QVERIFY(
            std::equal(buffers.DeviceImage.begin() + 818, buffers.DeviceImage.end(), factory.memory().begin() + 2048));

        for (int i = 0; i < 64; ++i)
            buffers.DeviceImage[std::size_t(i)] = std::uint8_t(200 + i);
        QVERIFY(l.WriteBlocks(2304, 1, 64, 64, 0));
        QCOMPARE(l.stopReason(), link::StopReason::None);
        opened.port->close();
        QVERIFY(sim.stop());

        QFile dump(sim.dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray mem = dump.readAll();
        QCOMPARE(mem.size(), qsizetype(sim::Device::kMemorySize));
        for (int i = 0; i < 64; ++i)
            QCOMPARE(std::uint8_t(mem[2304 + i]), std::uint8_t(200 + i));
        QVERIFY(!QFileInfo::exists(sim.portPath())); // the link is gone with the simulator
    }

    // A simulator that leaves the line mid-read: the read gives up with "Device No Response !!".
    void unplugMidRead()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--unplug-after"),
            QStringLiteral("2")}));
        link::PosixPortOpener opener;
        link::OpenResult opened = opener.open(sim.portPath().toStdString(), 19200);
        QVERIFY(opened.port);
        link::ModelBuffers buffers = link::ModelBuffers::sized(1024, 1024, 94);
        link::ModbusLink l(buffers, *opened.port, link::SteadyClock::instance());
        l.beginOperation();
        QVERIFY(!l.ReadBlocks(32, 4, 16, 8, 0));
        QCOMPARE(l.stopReason(), link::StopReason::NoResponse);
        const sim::Device factory(test::describe(test::Model::Plix), 1);
        QVERIFY(
            std::equal(buffers.DeviceImage.begin(), buffers.DeviceImage.begin() + 32, factory.memory().begin() + 32));
        opened.port->close();
    }

    // mbpoll, an independent master, agrees with the simulator: it addresses registers, and
    // our devices take its reference as a byte address with a register quantity.
    void mbpollAgrees()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("mbpoll")).isEmpty())
            QSKIP("mbpoll is not installed");
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({QStringLiteral("--model"), QStringLiteral("vyr")}));
        Mbpoll r = mbpoll(
            sim.portPath(), {QStringLiteral("-r"), QStringLiteral("32"), QStringLiteral("-c"), QStringLiteral("3")});
        QCOMPARE(r.exitCode, 0);
        QMap<int, int> v = mbpollValues(r.output);
        QCOMPARE(v.value(32, 0), 0xFFFF); // all 16 channels in use
        QCOMPARE(v.value(33, -1), 0);
        QCOMPARE(v.value(34, -1), 255);

        r = mbpoll(sim.portPath(), {QStringLiteral("-r"), QStringLiteral("2240")},
            {QStringLiteral("1"), QStringLiteral("34464")});
        QCOMPARE(r.exitCode, 0);
        r = mbpoll(
            sim.portPath(), {QStringLiteral("-r"), QStringLiteral("2240"), QStringLiteral("-c"), QStringLiteral("2")});
        v = mbpollValues(r.output);
        QCOMPARE(v.value(2240), 1);
        QCOMPARE(v.value(2241), 34464);

        // Our link reads the same bytes mbpoll wrote: DTo of channel 0 is 0x000186A0 = 100000.
        link::PosixPortOpener opener;
        link::OpenResult opened = opener.open(sim.portPath().toStdString(), 19200);
        QVERIFY(opened.port);
        link::ModelBuffers buffers = link::ModelBuffers::sized(2048, 2048, 1218);
        link::ModbusLink l(buffers, *opened.port, link::SteadyClock::instance());
        l.beginOperation();
        QVERIFY(l.ReadBlocks(2240, 1, 4, 4, 0));
        QCOMPARE(link::GetLong(buffers.DeviceImage, 0), 0x000186A0);
        opened.port->close();

        // A range outside the parameter memory is refused, as mbpoll reports.
        r = mbpoll(
            sim.portPath(), {QStringLiteral("-r"), QStringLiteral("900"), QStringLiteral("-c"), QStringLiteral("1")});
        QVERIFY(r.exitCode != 0 || r.output.contains(QStringLiteral("Illegal data address")));
        QVERIFY(sim.stop());
    }
};

QTEST_GUILESS_MAIN(TestPtyLink)
#include "test_pty_link.moc"
