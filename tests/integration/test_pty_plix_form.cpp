// The PLIXARO form end to end in real time: Write and Read through the termios port and a
// pseudo-terminal to tarnixw-devsim, found as COM1 in a temporary port list.

#include "link/Clock.h"
#include "link/ComPort.h"
#include "link/ModbusLink.h"
#include "link/PosixSerialPort.h"
#include "link/Traffic.h"
#include "plix/PlixForm.h"
#include "tests/support/DevSim.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>

using namespace tarnixw;

class TestPtyPlixForm : public QObject {
    Q_OBJECT

private slots:
    void writeThenReadBack()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(
            {QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--id"), QStringLiteral("5")}));
        test::TempPorts ports;
        ports.publish(QStringLiteral("sim"), sim.portPath());
        test::ScriptedDialogs dialogs;
        plix::resetModel();
        kit::Session session;

        {
            plix::TFormPLIX form(session, [] {});
            form.ModbusID()->setText(QStringLiteral("5"));
            form.get<QLineEdit>("CH0PvTo")->setText(QStringLiteral("250.5"));
            form.get<QLineEdit>("CH1SensorFrom")->setText(QStringLiteral("-2000"));
            form.get<QLineEdit>("CH1Hystersis")->setText(QStringLiteral("1.5"));
            form.CH1Click();
            QElapsedTimer t;
            t.start();
            form.WriteClick();
            QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Write Done.")});
            // The waits are fixed: 56 + 56 + 38 + 56 steps of 15 ms.
            QVERIFY(t.elapsed() >= 3090);
        }

        dialogs.clear();
        plix::resetModel();
        plix::TFormPLIX form(session, [] {});
        form.ModbusID()->setText(QStringLiteral("5"));
        form.ReadClick();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
        QCOMPARE(form.get<QLineEdit>("CH0PvTo")->text(), QStringLiteral("250.500"));
        QCOMPARE(form.get<QLineEdit>("CH1SensorFrom")->text(), QStringLiteral("-2000"));
        QCOMPARE(form.get<QLineEdit>("CH1Hystersis")->text(), QStringLiteral("1.5"));
        QCOMPARE(form.get<QLineEdit>("CH0SensorTo")->text(), QStringLiteral("5000"));
        QVERIFY(plix::model().CH0Enabled);
        QVERIFY(!plix::model().CH1Enabled);
        QVERIFY(!plix::TFormPLIX::port().isOpen());

        // The write closed the device's write-enable behind it: a write to block B now is
        // refused with exception 4 (the device declines) and changes nothing.
        link::PosixPortOpener opener;
        link::OpenResult opened = opener.open(sim.portPath().toStdString(), 19200);
        QVERIFY2(opened.port, opened.detail.c_str());
        link::ModelBuffers buffers = link::ModelBuffers::sized(1024, 1024, 94);
        link::ModbusLink other(buffers, *opened.port, link::SteadyClock::instance());
        other.SlaveId = 5;
        other.beginOperation();
        link::PutLong(other.writeData(), 0, 1);
        QCOMPARE(other.WriteRegisters(2072, 4, link::kBlockWaitSteps), link::StepResult::Failed);
        QCOMPARE(
            link::describeVerdict(other.exchanges().lastAnswer), QStringLiteral("exception 4 (Server Device Failure)"));
        opened.port->close();

        QVERIFY(sim.stop());
        QFile dump(sim.dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray mem = dump.readAll();
        QCOMPARE(mem.mid(2072, 4), QByteArray::fromHex("0003d284")); // 250500
    }

    // A PLIXARO behind a Modbus TCP gateway, named in the network ports file: the form reaches
    // it by its COM number, Write and Read as over a cable; the traffic names the port with its
    // address, and a gateway that has gone is told in the port's box with the cause.
    void overANetworkPort()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        const QString address = sim.listen(QStringLiteral("tcp://127.0.0.1:0"),
            {QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--id"), QStringLiteral("5")});
        QVERIFY(address.startsWith(QLatin1String("tcp://127.0.0.1:")));
        test::TempPorts ports;
        ports.nameNetworkPort(QStringLiteral("gateway"), address);
        test::ScriptedDialogs dialogs;
        plix::resetModel();
        kit::Session session;
        plix::TFormPLIX form(session, [] {});
        form.ModbusID()->setText(QStringLiteral("5"));
        form.get<QLineEdit>("CH0PvTo")->setText(QStringLiteral("255.75")); // stored bytes 00 03 E6 FF
        form.WriteClick();
        form.get<QLineEdit>("CH0PvTo")->setText(QStringLiteral("1"));
        form.ReadClick();
        QCOMPARE(dialogs.texts(), (QStringList{QStringLiteral("Write Done."), QStringLiteral("Read Done.")}));
        QCOMPARE(form.get<QLineEdit>("CH0PvTo")->text(), QStringLiteral("255.750"));
        QVERIFY2(form.trafficLog().lineAt(0).contains(QStringLiteral("COM1 (%1)").arg(address)),
            qPrintable(form.trafficLog().lineAt(0)));

        QVERIFY(sim.stop());
        dialogs.clear();
        form.ReadClick();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("OPEN COM ERROR!!")});
        QCOMPARE(dialogs.shown.front().detail,
            QStringLiteral("COM1 (%1): the connection was refused: nothing listens at that port").arg(address));
    }
};

QTEST_MAIN(TestPtyPlixForm)
#include "test_pty_plix_form.moc"
