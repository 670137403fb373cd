// Opening, configuring and losing a real serial device: a pseudo-terminal published as a
// virtual port.
#include "link/ComPort.h"
#include "link/PosixSerialPort.h"
#include "tests/support/TempPorts.h"

#include <QElapsedTimer>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace tarnixw;

namespace {

// The other end of a pseudo-terminal, as a device would hold it.
class Pty {
public:
    Pty()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slave = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~Pty() { closeMaster(); }
    bool ok() const { return m_master >= 0 && !m_slave.isEmpty(); }
    QString slave() const { return m_slave; }
    termios settings() const
    {
        termios t{};
        tcgetattr(m_master, &t);
        return t;
    }
    void addFlags(tcflag_t cflag, tcflag_t iflag)
    {
        termios t = settings();
        t.c_cflag |= cflag;
        t.c_iflag |= iflag;
        tcsetattr(m_master, TCSANOW, &t);
        QCOMPARE(settings().c_cflag & cflag, cflag);
    }
    QByteArray readAll()
    {
        QByteArray out;
        char buf[256];
        for (int i = 0; i < 50; ++i) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0)
                out.append(buf, n);
            else if (!out.isEmpty())
                break;
            else
                usleep(2000);
        }
        return out;
    }
    void write(const QByteArray& b) { QCOMPARE(::write(m_master, b.constData(), size_t(b.size())), ssize_t(b.size())); }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slave;
};

// A pseudo-terminal published as COM1 and the model's port object.
struct Cable {
    Cable() { ports.publish("cable", pty.slave()); }
    Pty pty;
    test::TempPorts ports;
    link::ComPort port;
};

} // namespace

class TestSerialPort : public QObject {
    Q_OBJECT
private slots:
    void baudTable_data()
    {
        QTest::addColumn<int>("baudIndex");
        QTest::addColumn<int>("speed");
        QTest::newRow("0") << 0 << int(B9600);
        QTest::newRow("1") << 1 << int(B19200);
        QTest::newRow("2") << 2 << int(B38400);
        QTest::newRow("3") << 3 << int(B115200);
        QTest::newRow("no item") << -1 << int(B19200);
        QTest::newRow("beyond") << 7 << int(B19200);
    }
    void baudTable()
    {
        QFETCH(int, baudIndex);
        QFETCH(int, speed);
        Cable c;
        if (!c.pty.ok())
            QSKIP("no pseudo-terminal available");
        auto& [pty, ports, port] = c;
        // Hardware and software flow control left on by another program are turned off.
        pty.addFlags(CRTSCTS, IXON | IXOFF);
        QVERIFY(port.openNumbered(1, link::ComPort::baudRate(baudIndex)).ok());
        const termios t = pty.settings();
        QCOMPARE(int(cfgetospeed(&t)), speed);
        // raw 8N1, no flow control: a cooked tty would mangle binary frames
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
        QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
        port.close();
        QVERIFY(!port.isOpen());
    }

    // A driver may take the call and keep another speed or frame: "COM SETUP ERROR!!!".
    void settingsReadBack_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("setCflag");
        QTest::addColumn<int>("clearCflag");
        QTest::addColumn<bool>("taken");
        QTest::newRow("as asked") << int(B19200) << 0 << 0 << true;
        QTest::newRow("other speed") << int(B9600) << 0 << 0 << false;
        QTest::newRow("7 data bits") << int(B19200) << int(CS7) << int(CS8 & ~CS7) << false;
        QTest::newRow("parity") << int(B19200) << int(PARENB) << 0 << false;
        QTest::newRow("two stop bits") << int(B19200) << int(CSTOPB) << 0 << false;
        QTest::newRow("flow control differs") << int(B19200) << int(CRTSCTS) << 0 << true;
    }
    void settingsReadBack()
    {
        QFETCH(int, speed);
        QFETCH(int, setCflag);
        QFETCH(int, clearCflag);
        QFETCH(bool, taken);
        termios wanted{};
        cfmakeraw(&wanted);
        wanted.c_cflag = (wanted.c_cflag & ~(CSIZE | PARENB | CSTOPB)) | CS8;
        cfsetispeed(&wanted, B19200);
        cfsetospeed(&wanted, B19200);
        termios got = wanted;
        got.c_cflag = (got.c_cflag & ~tcflag_t(clearCflag)) | tcflag_t(setCflag);
        cfsetispeed(&got, speed_t(speed));
        cfsetospeed(&got, speed_t(speed));
        QCOMPARE(link::lineSettingsTaken(wanted, got), taken);
    }

    void binaryBytesCrossUnchanged()
    {
        Cable c;
        if (!c.pty.ok())
            QSKIP("no pseudo-terminal available");
        auto& [pty, ports, port] = c;
        QVERIFY(port.openNumbered(1, 19200).ok());
        const QByteArray frame = QByteArray::fromHex("010300200020"
                                                     "45d8"
                                                     "0d0a0011130a7f ff");
        const auto* data = reinterpret_cast<const std::uint8_t*>(frame.constData());
        QCOMPARE(port.ComHandle()->write({data, size_t(frame.size())}), long(frame.size()));
        QCOMPARE(pty.readAll(), frame);

        const QByteArray answer = QByteArray::fromHex("0d0a11130300ff");
        pty.write(answer);
        QTRY_COMPARE(port.ComHandle()->bytesAvailable(), size_t(answer.size()));
        std::uint8_t buf[64] = {};
        QCOMPARE(port.ComHandle()->read(buf), size_t(answer.size()));
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buf), answer.size()), answer);

        // purge drops what is pending
        pty.write(answer);
        QTRY_VERIFY(port.ComHandle()->bytesAvailable() > 0);
        port.ComHandle()->purge();
        QCOMPARE(port.ComHandle()->bytesAvailable(), size_t(0));

        // what reached the port before it was opened answers nothing the new owner sends
        port.close();
        pty.write(answer);
        QVERIFY(port.openNumbered(1, 19200).ok());
        QTest::qWait(20);
        QCOMPARE(port.ComHandle()->bytesAvailable(), size_t(0));
    }

    void portsThatCannotBeOpened_data()
    {
        QTest::addColumn<int>("portNumber");
        QTest::newRow("COM0 (typed into the list)") << 0;
        QTest::newRow("negative") << -3;
        QTest::newRow("not listed") << 5;
    }
    void portsThatCannotBeOpened()
    {
        QFETCH(int, portNumber);
        Pty pty;
        test::TempPorts ports;
        if (pty.ok())
            ports.publish("cable", pty.slave());
        link::ComPort port;
        const link::OpenOutcome o = port.openNumbered(portNumber, 19200);
        QCOMPARE(o.error, link::OpenError::NoSuchPort);
        QCOMPARE(o.port, QStringLiteral("COM%1").arg(portNumber));
        QVERIFY(!port.isOpen());
    }

    void aHeldPortCannotBeOpenedTwice()
    {
        Pty pty;
        if (!pty.ok())
            QSKIP("no pseudo-terminal available");
        test::TempPorts ports;
        ports.publish("cable", pty.slave());
        link::ComPort first;
        link::ComPort second;
        QVERIFY(first.openNumbered(1, 19200).ok());
        QCOMPARE(second.openNumbered(1, 19200).error, link::OpenError::Busy);
        // once released, the next operation opens it without error
        first.close();
        QVERIFY(second.openNumbered(1, 19200).ok());
    }

    void aDeviceThatIsNoSerialPortFailsSetup()
    {
        // The line settings cannot be applied to something that is not a terminal.
        test::TempPorts ports;
        const QString file = ports.root() + "/plain-file";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        ports.publish("not-a-tty", file);
        link::ComPort port;
        QCOMPARE(port.openNumbered(1, 19200).error, link::OpenError::SetupFailed);
        QVERIFY(!port.isOpen());
        // and the device is free again afterwards
        QCOMPARE(port.openNumbered(1, 19200).error, link::OpenError::SetupFailed);
    }

    void aVanishedDeviceNeverHangsOrCrashes()
    {
        Cable c;
        if (!c.pty.ok())
            QSKIP("no pseudo-terminal available");
        auto& [pty, ports, port] = c;
        QVERIFY(port.openNumbered(1, 19200).ok());
        pty.closeMaster(); // the cable is pulled
        link::SerialPort* h = port.ComHandle();
        QElapsedTimer t;
        t.start();
        std::uint8_t buf[16];
        for (int i = 0; i < 100; ++i) {
            QCOMPARE(h->bytesAvailable(), size_t(0));
            QCOMPARE(h->read(buf), size_t(0));
            h->purge();
        }
        const std::uint8_t frame[] = {1, 3, 0, 32, 0, 32, 0x45, 0xd8};
        QVERIFY(h->write(frame) < long(sizeof frame));
        QVERIFY(t.elapsed() < 2000); // no blocking call anywhere
        port.closeWithForm();
        QVERIFY(!port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "test_serialport.moc"
