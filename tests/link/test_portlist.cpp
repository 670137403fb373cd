// The port list: which devices count as serial ports, their order and their COM numbers.
#include "link/PortList.h"
#include "tests/support/Restore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tarnixw::link;

namespace {

// A fake /sys/class/tty and /dev, and a virtual-port directory, in a temporary folder.
class FakeSystem {
public:
    FakeSystem()
    {
        QDir root(m_dir.path());
        root.mkpath("sys/class/tty");
        root.mkpath("sys/drivers");
        root.mkpath("dev");
        root.mkpath("ports");
    }
    PortSources sources() const
    {
        PortSources s
            = PortSources::at(m_dir.path() + "/sys/class/tty", m_dir.path() + "/dev", m_dir.path() + "/ports");
        s.networkFile = m_dir.path() + "/network-ports.txt";
        return s;
    }
    void writeNetworkPorts(const QByteArray& text)
    {
        QFile f(m_dir.path() + "/network-ports.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // A tty with a driver and its device node.
    void addTty(const QString& name, const QString& driver, const QString& type)
    {
        const QString tty = m_dir.path() + "/sys/class/tty/" + name;
        QDir().mkpath(tty + "/device");
        QDir().mkpath(m_dir.path() + "/sys/drivers/" + driver);
        QFile::link(m_dir.path() + "/sys/drivers/" + driver, tty + "/device/driver");
        if (!type.isNull()) {
            QFile f(tty + "/type");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(type.toLatin1() + "\n");
        }
        const QString node = m_dir.path() + "/dev/" + name;
        QFile f(node);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
    }
    // A tty without a driver (a virtual console): never a serial port.
    void addConsole(const QString& name) { QDir().mkpath(m_dir.path() + "/sys/class/tty/" + name); }
    // A virtual port: a link whose modification time is the given second.
    void addLink(const QString& name, const QString& target, qint64 second)
    {
        const QString path = m_dir.path() + "/ports/" + name;
        QVERIFY(QFile::link(target, path));
        const timespec times[2] = {{second, 0}, {second, 0}};
        QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    void removeLink(const QString& name) { QVERIFY(QFile::remove(m_dir.path() + "/ports/" + name)); }
    QString existingFile() const { return m_dir.path() + "/dev"; }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

QStringList describe(const std::vector<PortEntry>& entries)
{
    QStringList out;
    for (const PortEntry& e : entries)
        out << e.deviceName + "=" + e.portName;
    return out;
}

} // namespace

class TestPortList : public QObject {
    Q_OBJECT
private slots:
    void hardwarePortsAreThoseWithARealDriver()
    {
        FakeSystem sys;
        sys.addTty("ttyUSB0", "ftdi_sio", QString());
        sys.addTty("ttyS0", "serial8250", "0"); // placeholder UART: no port behind it
        sys.addTty("ttyS1", "serial8250", "4"); // a real 16550A
        // Linux 6.x puts each ttyS under a port device driven by "port": the type still tells
        sys.addTty("ttyS2", "port", "0");
        sys.addTty("ttyS3", "port", "4");
        sys.addConsole("tty1");
        PortList list(sys.sources());
        const auto entries = list.refresh();
        QVERIFY(entries);
        QStringList names;
        for (const PortEntry& e : *entries)
            names << e.deviceName;
        names.sort();
        QCOMPARE(names, (QStringList{"\\Device\\ttyS1", "\\Device\\ttyS3", "\\Device\\ttyUSB0"}));
        for (const PortEntry& e : *entries)
            QVERIFY(e.devicePath.endsWith("/dev/" + e.deviceName.mid(8)));
    }

    // What each port is: a USB adapter names itself from its USB device's directory, two or
    // three levels above the tty's device (vendor, product and serial where they exist); a
    // hardware port without one is a UART; a virtual port shows its link and its target.
    void describesWhatIsBehindEachPort()
    {
        FakeSystem sys;
        const QString usb = sys.path() + "/sys/devices/usb1/1-1";
        const QString ports[] = {usb + "/1-1:1.0/ttyUSB0", usb + "/1-1:1.0"};
        QVERIFY(QDir().mkpath(ports[0]));
        const auto put = [](const QString& file, const QByteArray& text) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text + "\n");
        };
        put(usb + "/idVendor", "0403");
        put(usb + "/idProduct", "6001");
        put(usb + "/manufacturer", "FTDI");
        put(usb + "/product", "FT232R USB UART");
        put(usb + "/serial", "A10K1234");
        const QString names[] = {"ttyUSB0", "ttyACM0"};
        for (int i = 0; i < 2; ++i) {
            sys.addTty(names[i], "usb_serial", QString());
            const QString device = sys.path() + "/sys/class/tty/" + names[i] + "/device";
            QVERIFY(QFile::rename(device + "/driver", ports[i] + "/driver-" + names[i]));
            QVERIFY(QDir(device).removeRecursively());
            QVERIFY(QFile::link(ports[i], device));
            QFile::link(ports[i] + "/driver-" + names[i], ports[i] + "/driver");
        }
        sys.addTty("ttyS1", "serial8250", "4");
        sys.addLink("vyr-sim", sys.existingFile(), 100);
        PortList list(sys.sources());
        const auto entries = list.refresh();
        QVERIFY(entries);
        QCOMPARE(entries->size(), std::size_t(4));
        for (const PortEntry& e : *entries) {
            if (e.deviceName.startsWith("\\Device\\tty") && e.deviceName != "\\Device\\ttyS1") {
                QCOMPARE(e.kind, PortKind::Usb);
                QCOMPARE(e.usbId, QString("0403:6001"));
                QCOMPARE(e.usbVendor, QString("FTDI"));
                QCOMPARE(e.usbProduct, QString("FT232R USB UART"));
                QCOMPARE(e.usbSerial, QString("A10K1234"));
            } else if (e.deviceName == "\\Device\\ttyS1") {
                QCOMPARE(e.kind, PortKind::Uart);
                QVERIFY(e.usbId.isEmpty());
            } else {
                QCOMPARE(e.kind, PortKind::Virtual);
                QCOMPARE(e.linkPath, sys.path() + "/ports/vyr-sim");
                QCOMPARE(e.devicePath, sys.existingFile());
            }
        }
    }

    void virtualPortsComeInTheOrderTheyAppeared()
    {
        FakeSystem sys;
        sys.addLink("zeta", sys.existingFile(), 100);
        sys.addLink("alpha", sys.existingFile(), 300);
        sys.addLink("mid", sys.existingFile(), 200);
        sys.addLink("tie-b", sys.existingFile(), 400);
        sys.addLink("tie-a", sys.existingFile(), 400);
        sys.addLink("dangling", sys.path() + "/no-such-device", 50); // target gone: not a port
        PortList list(sys.sources());
        const auto entries = list.refresh();
        QVERIFY(entries);
        QCOMPARE(describe(*entries),
            (QStringList{"\\Device\\zeta=COM1", "\\Device\\mid=COM2", "\\Device\\alpha=COM3", "\\Device\\tie-a=COM4",
                "\\Device\\tie-b=COM5"}));
        QCOMPARE(entries->front().devicePath, sys.existingFile());
    }

    // A virtual port that links to a listed hardware port is a name for it: the port shows
    // once, as the hardware it is, under the link's name, which a script gives as --port.
    void aLinkToAHardwarePortNamesIt()
    {
        FakeSystem sys;
        sys.addTty("ttyUSB0", "ftdi_sio", QString());
        sys.addLink("cable", sys.path() + "/dev/ttyUSB0", 100);
        sys.addLink("vyr-sim", sys.existingFile(), 200);
        PortList list(sys.sources());
        const auto entries = list.refresh();
        QVERIFY(entries);
        QCOMPARE(describe(*entries), (QStringList{"\\Device\\vyr-sim=COM1", "\\Device\\ttyUSB0=COM2"}));
        const PortEntry& cable = entries->back();
        QCOMPARE(cable.stableName, QString("cable"));
        QCOMPARE(cable.kind, PortKind::Uart);
        QCOMPARE(cable.devicePath, sys.path() + "/dev/ttyUSB0");
        QCOMPARE(cable.linkPath, sys.path() + "/ports/cable");
        QCOMPARE(cable.hardwareName, QString("ttyUSB0")); // its own name still names it
    }

    void aPortKeepsItsNumberAndANewOneTakesTheLowestFree()
    {
        FakeSystem sys;
        sys.addLink("a", sys.existingFile(), 100);
        sys.addLink("b", sys.existingFile(), 200);
        sys.addLink("c", sys.existingFile(), 300);
        PortList list(sys.sources());
        QCOMPARE(describe(*list.refresh()), (QStringList{"\\Device\\a=COM1", "\\Device\\b=COM2", "\\Device\\c=COM3"}));

        sys.removeLink("b"); // unplugged
        QCOMPARE(describe(*list.refresh()), (QStringList{"\\Device\\a=COM1", "\\Device\\c=COM3"}));

        sys.addLink("d", sys.existingFile(), 400); // plugged: comes last, takes the free COM2
        QCOMPARE(describe(*list.refresh()), (QStringList{"\\Device\\a=COM1", "\\Device\\c=COM3", "\\Device\\d=COM2"}));

        sys.addLink("e", sys.existingFile(), 500);
        QCOMPARE(describe(*list.refresh()).last(), QString("\\Device\\e=COM4"));

        const auto found = list.find(3);
        QVERIFY(found);
        QCOMPARE(found->deviceName, QString("\\Device\\c"));
        QVERIFY(!list.find(7));
        QVERIFY(!list.find(0));

        // The network ports of the user's file come after the serial ports, numbered alike; a
        // bad line is told and left out.
        sys.writeNetworkPorts("hall  socket://10.0.0.5:4001\nbad tcp://h:0\ngw  tcp://gw  window=300\n");
        const auto entries = list.refresh();
        QCOMPARE(describe(*entries).mid(4), (QStringList{"network:hall=COM5", "network:gw=COM6"}));
        QCOMPARE(entries->back().devicePath, QString("tcp://gw:502?window=300"));
        QCOMPARE(entries->back().kind, PortKind::Network);
        QCOMPARE(list.networkProblems().size(), 1);
        sys.removeLink("a"); // a serial port goes: the network ports keep their numbers
        QCOMPARE(describe(*list.refresh()).mid(3), (QStringList{"network:hall=COM5", "network:gw=COM6"}));
    }

    void anUnreadableSystemListIsReported()
    {
        const PortSources nowhere
            = PortSources::at("/nonexistent/sys/class/tty", "/nonexistent/dev", "/nonexistent/ports");
        PortList list(nowhere);
        QVERIFY(!list.refresh());
        QVERIFY(!list.find(1));
    }

    void virtualDirectoryFollowsXdgRuntimeDir()
    {
        tarnixw::test::EnvironmentVariable runtime("XDG_RUNTIME_DIR", QByteArray("/run/user/1234"));
        QCOMPARE(virtualPortDirectory(), QString("/run/user/1234/tarnixw/ports"));
        runtime.set(std::nullopt);
        QCOMPARE(virtualPortDirectory(), QString("/tmp/tarnixw-%1/ports").arg(getuid()));
    }
};

QTEST_GUILESS_MAIN(TestPortList)
#include "test_portlist.moc"
