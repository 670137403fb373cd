// The Win32 serial port's rules that need no line: which failed calls mean the device is gone
// and which only a line error that ClearCommError clears, and the timeouts a port is given.
#include "link/WinSerialPort.h"

#include <QtTest>
#include <windows.h>

using namespace tarnixw;
using link::PortErrorKind;

Q_DECLARE_METATYPE(PortErrorKind)

class TestWinSerial : public QObject {
    Q_OBJECT

private slots:
    void errorKinds_data()
    {
        QTest::addColumn<unsigned>("code");
        QTest::addColumn<PortErrorKind>("kind");
        QTest::newRow("device removed") << unsigned(ERROR_DEVICE_REMOVED) << PortErrorKind::Gone;
        QTest::newRow("device not connected") << unsigned(ERROR_DEVICE_NOT_CONNECTED) << PortErrorKind::Gone;
        QTest::newRow("bad command (a USB adapter pulled)") << unsigned(ERROR_BAD_COMMAND) << PortErrorKind::Gone;
        QTest::newRow("access denied (a USB adapter pulled)") << unsigned(ERROR_ACCESS_DENIED) << PortErrorKind::Gone;
        QTest::newRow("invalid handle") << unsigned(ERROR_INVALID_HANDLE) << PortErrorKind::Gone;
        QTest::newRow("file not found") << unsigned(ERROR_FILE_NOT_FOUND) << PortErrorKind::Gone;
        QTest::newRow("aborted after a line error") << unsigned(ERROR_OPERATION_ABORTED) << PortErrorKind::LineError;
        QTest::newRow("general failure") << unsigned(ERROR_GEN_FAILURE) << PortErrorKind::LineError;
        QTest::newRow("timeout") << unsigned(ERROR_TIMEOUT) << PortErrorKind::Other;
        QTest::newRow("I/O pending") << unsigned(ERROR_IO_PENDING) << PortErrorKind::Other;
        QTest::newRow("counter timeout") << unsigned(ERROR_COUNTER_TIMEOUT) << PortErrorKind::Other;
    }
    void errorKinds()
    {
        QFETCH(unsigned, code);
        QFETCH(PortErrorKind, kind);
        QCOMPARE(link::classifyPortError(code), kind);
    }

    // Reads return at once (interval MAXDWORD, no totals); a write may take its bytes' line
    // time, whole milliseconds a byte, and one second more.
    void timeouts_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<unsigned>("msPerByte");
        QTest::newRow("9600") << 9600 << 2u;
        QTest::newRow("19200") << 19200 << 1u;
        QTest::newRow("38400") << 38400 << 1u;
        QTest::newRow("115200") << 115200 << 1u;
    }
    void timeouts()
    {
        QFETCH(int, baud);
        QFETCH(unsigned, msPerByte);
        const link::PortTimeouts t = link::portTimeoutsFor(baud);
        QCOMPARE(t.readInterval, static_cast<unsigned long>(MAXDWORD));
        QCOMPARE(t.readTotalMultiplier, 0ul);
        QCOMPARE(t.readTotalConstant, 0ul);
        QCOMPARE(t.writeTotalMultiplier, static_cast<unsigned long>(msPerByte));
        QCOMPARE(t.writeTotalConstant, 1000ul);
    }
};

QTEST_GUILESS_MAIN(TestWinSerial)
#include "test_winserial.moc"
