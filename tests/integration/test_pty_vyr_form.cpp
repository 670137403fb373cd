// The VYRANTA window end to end in real time: Write and Read through the termios port and a
// pseudo-terminal to tarnixw-devsim, found as COM1 in a temporary port list.
#include "link/ComPort.h"
#include "link/Modbus.h"
#include "tests/support/DevSim.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"
#include "vyr/VyrForm.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tarnixw;
using namespace tarnixw::vyr;

class TestPtyVyrForm : public QObject {
    Q_OBJECT

private slots:
    void writeThenReadBack()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(
            sim.start({QStringLiteral("--model"), QStringLiteral("vyr"), QStringLiteral("--id"), QStringLiteral("7")}));
        test::TempPorts ports;
        ports.publish(QStringLiteral("sim"), sim.portPath());
        test::ScriptedDialogs dialogs;
        kit::Session session;
        resetModel();

        {
            TFormVYR form(session, [] {});
            form.show();
            QVERIFY(QTest::qWaitFor([&] { return form.isBuilt(); }));
            form.ModbusID()->setText(QStringLiteral("7"));
            form.analogEdit(Column::DFrom, 3)->setText(QStringLiteral("-12.5"));
            form.analogEdit(Column::Hysteresis, 15)->setText(QStringLiteral("2.5"));
            form.VYRChanInUseClick(form.VYRChanInUseBtn(8));
            form.DIChanInUseClick(form.DIChanInUseBtn(1, 5));
            form.DIOpenBtn(1, 5)->setChecked(true);
            form.DIOpenClick(form.DIOpenBtn(1, 5));
            form.DOModuleBtn(15, 63, 2)->setChecked(true);
            form.DOModuleClick(15, 63, 2);
            QElapsedTimer t;
            t.start();
            form.WriteClick();
            QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Write Done.")});
            // The waits are fixed: 20 exchanges of 16 steps of 15 ms.
            QVERIFY(t.elapsed() >= 4800);
        }

        dialogs.clear();
        resetModel();
        TFormVYR form(session, [] {});
        form.show();
        QVERIFY(QTest::qWaitFor([&] { return form.isBuilt(); }));
        form.ModbusID()->setText(QStringLiteral("7"));
        form.ReadClick();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
        QCOMPARE(form.analogEdit(Column::DFrom, 3)->text(), QStringLiteral("-12.500"));
        QCOMPARE(form.analogEdit(Column::Hysteresis, 15)->text(), QStringLiteral("2.5"));
        QCOMPARE(form.analogEdit(Column::STo, 0)->text(), QStringLiteral("5000"));
        QCOMPARE(model().screen.VYRChanInUse[8], kOff);
        QCOMPARE(model().screen.DIChanInUse[1][5], kOn);
        QVERIFY(form.DIOpenBtn(1, 5)->isChecked());
        QVERIFY(form.DOModuleBtn(15, 63, 2)->isChecked());
        QVERIFY(!TFormVYR::port().isOpen());

        QVERIFY(sim.stop());
        QFile dump(sim.dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray mem = dump.readAll();
        QVERIFY(mem.size() >= 2448);
        const auto bytes = std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(mem.constData()), std::size_t(mem.size()));
        QCOMPARE(link::GetLong(bytes, 2176 + 12), -12500);
        QCOMPARE(link::GetShort(bytes, 32), std::int16_t(0xFEFF));
        QCOMPARE(link::GetShort(bytes, 428 + 2), std::int16_t(1 << 5)); // DI 1 ch 5: Open
        QCOMPARE(link::GetShort(bytes, 816), std::int16_t(0x8000)); // output 15, input 63, DO 2
    }
};

QTEST_MAIN(TestPtyVyrForm)
#include "test_pty_vyr_form.moc"
