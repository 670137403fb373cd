// The PLIXARO form end to end in real time: Write and Read through the termios port and a
// pseudo-terminal to tarnixw-devsim, found as COM1 in a temporary port list.

#include "link/ComPort.h"
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

        // The device kept the write-enable closed after the write.
        QVERIFY(sim.stop());
        QFile dump(sim.dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray mem = dump.readAll();
        QCOMPARE(mem.mid(2072, 4), QByteArray::fromHex("0003d284")); // 250500
    }
};

QTEST_MAIN(TestPtyPlixForm)
#include "test_pty_plix_form.moc"
