// tarnixw-cli against tarnixw-devsim over a pseudo-terminal, in real time: write and read
// back, --verify against a device that stores a field otherwise, the exit code of each kind of
// failure, and Ctrl+C.
#include "CliRun.h"

#include "cli/Config.h"
#include "tests/support/DevSim.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using namespace tarnixw;
using namespace tarnixw::cli;
using test::runCli;

namespace {

// A configuration away from the defaults on every page, in values the forms show exactly.
Config edited(Model model)
{
    Config c = templateConfig(model);
    if (model == Model::Vyr) {
        vyr::VYRParamSet& r = c.vyr;
        r.ChanInUseMask = 0xFEFF; // channel 8 not in use
        r.STo[3] = 5500;
        r.DTo[3] = -12500;
        r.Hysteresis[15] = 25;
        r.DIOpenMask[1] = 1u << 5;
        r.DICloseMask[2] = 1u << 6;
        r.diSilence(2, 6) = -1; // alarm off
        r.doMapMask(51, 2) = 1u << 5;
        r.doMapMask(0, 0) = 0x8001;
    } else {
        plix::PLIXParamSet& p = c.plix;
        p.setEnableMask(0x0001);
        p.setPvTo(0, 250500);
        p.setSensorFrom(1, -2000);
        p.setHysteresis(1, 15);
        p.setSilenceTime(0, 45);
    }
    return c;
}

QStringList simArgs(Model model, const QString& id, const QStringList& more = {})
{
    return QStringList{"--model", model == Model::Vyr ? "vyr" : "plix", "--id", id} + more;
}

} // namespace

class TestCliDevice : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
    }

    // write --verify, then read back through the port's COM name as `ports` lists it: the
    // same values.
    void writeThenReadBack_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("VYRANTA") << int(Model::Vyr);
        QTest::newRow("PLIXARO") << int(Model::Plix);
    }
    void writeThenReadBack()
    {
        QFETCH(int, model);
        const Model m = Model(model);
        QTemporaryDir dir;
        const QString file = dir.filePath("edited.json");
        QVERIFY(!saveConfig(file, edited(m)));
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(m, "9")));

        const test::CliRun written = runCli({"write", "--port", sim.portPath(), "--id", "9", "--verify", file});
        QCOMPARE(written.exitCode, 0);
        QVERIFY2(written.err.contains("Write Done.\n") && written.err.contains("Verified"), qPrintable(written.err));
        QVERIFY(!written.err.contains('\r')); // no bar when standard error is no terminal

        const test::CliRun ports = runCli({"ports"}, sim.runtimeDir());
        QString com;
        for (const QString& line : ports.out.split('\n'))
            if (line.contains(sim.portPath() + "  virtual port -> /dev/pts/"))
                com = line.section(' ', 0, 0);
        QVERIFY2(com.startsWith("COM"), qPrintable(ports.out));
        const QString back = dir.filePath(m == Model::Vyr ? "back.vyx" : "back.plx");
        const test::CliRun read = runCli(
            {"read", "--model", m == Model::Vyr ? "vyr" : "plix", "--port", com, "--id", "9", "--fast", "-o", back},
            sim.runtimeDir());
        QCOMPARE(read.exitCode, 0);
        const test::CliRun diff = runCli({"diff", file, back});
        QCOMPARE(diff.out, QString());
        QCOMPARE(diff.exitCode, 0);
    }

    // A device that keeps one written byte changed: --verify names the field and its values.
    void verifyCatchesAChangedField_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("address");
        QTest::addColumn<QString>("difference");
        // The low bytes of the P.V. to of AI 3 (2240 + 4 x 3) and of CH0 (2072).
        QTest::newRow("VYRANTA") << int(Model::Vyr) << 2255 << "AI 3 P.V. to: 100.000 → 100.001\n";
        QTest::newRow("PLIXARO") << int(Model::Plix) << 2075 << "CH0 P.V. to: 100.000 → 100.001\n";
    }
    void verifyCatchesAChangedField()
    {
        QFETCH(int, model);
        QFETCH(int, address);
        QFETCH(QString, difference);
        const Model m = Model(model);
        QTemporaryDir dir;
        const QString file = dir.filePath(m == Model::Vyr ? "t.vyx" : "t.plx");
        QVERIFY(!saveConfig(file, templateConfig(m)));
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(m, "1", {"--alter-byte", QString::number(address)})));
        const test::CliRun r = runCli({"write", "--port", sim.portPath(), "--id", "1", "--verify", file});
        QCOMPARE(r.out, difference);
        QCOMPARE(r.exitCode, 1);
    }

    // Each kind of failure has its own exit code and the link's own message; nothing is saved.
    // --trace shows the frame or the operation's line that tells why.
    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("traced");
        QTest::newRow("silent") << QStringList{"--silent-every", "1"} << "" << 3 << "Device No Response !!"
                                << "  <-  (nothing)  silence (nothing within the window)\n";
        QTest::newRow("exception") << QStringList{"--exception", "2"} << "" << 4 << "Response Error !!"
                                   << "  <-  01 83 02 C0 F1  exception 2 (Illegal Data Address)\n";
        QTest::newRow("another slave") << QStringList{"--wrong-id", "3"} << "" << 4 << "Response Error !!"
                                       << "  answer from slave 3\n";
        QTest::newRow("port missing")
            << QStringList{} << "/dev/tarnixw-no-such-port" << 5 << "OPEN COM ERROR!!"
            << "==== Read  /dev/tarnixw-no-such-port  19200 baud  slave 1  ->  OPEN COM ERROR!!\n";
        QTest::newRow("COM name not listed") << QStringList{} << "COM250" << 5 << "COM250 is not connected"
                                             << "==== Read  COM250  19200 baud  slave 1  ->  OPEN COM ERROR!!\n";
    }
    void exitCodes()
    {
        QFETCH(QStringList, faults);
        QFETCH(QString, port);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, traced);
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(Model::Plix, "1", faults)));
        QTemporaryDir dir;
        const QString out = dir.filePath("x.plx");
        const test::CliRun r = runCli({"read", "--model", "plix", "--port", port.isEmpty() ? sim.portPath() : port,
                                          "--id", "1", "--trace", "-o", out},
            sim.runtimeDir());
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.err.contains(traced), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));
    }

    void searchFindsTheId()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(Model::Vyr, "4")));
        const test::CliRun r = runCli({"search", "--port", sim.portPath(), "--fast"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("4\n"));
        QVERIFY(r.err.contains("ID  =  4"));
    }

    // Ctrl+C in the middle of a Read ends it with 130 instead of running the read out (its 20
    // exchanges take 4.8 s); nothing is saved and the port is free again at once.
    // Ctrl+C ends the operation at its next step and closes the port; a PLIXARO write still
    // closes the device's write-enable first, so the device is not left open for writing.
    void interruptEndsTheOperation_data()
    {
        QTest::addColumn<bool>("write");
        QTest::newRow("VYRANTA read") << false;
        QTest::newRow("PLIXARO write") << true;
    }
    void interruptEndsTheOperation()
    {
        QFETCH(bool, write);
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(write ? Model::Plix : Model::Vyr, "1")));
        QTemporaryDir dir;
        const QString file = dir.filePath(write ? "x.plx" : "x.vyx");
        if (write)
            QCOMPARE(runCli({"template", "--model", "plix", "-o", file}).exitCode, 0);
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(TARNIXW_CLI),
            write ? QStringList{"write", "--port", sim.portPath(), "--id", "1", file}
                  : QStringList{"read", "--model", "vyr", "--port", sim.portPath(), "--id", "1", "-o", file});
        QVERIFY(p.waitForStarted());
        QTest::qWait(write ? 1100 : 700); // a PLIXARO write is in block A by then
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QVERIFY2(t.elapsed() < (write ? 3000 : 4800), qPrintable(QString::number(t.elapsed())));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(write ? "Interrupted." : "Interrupted; nothing was saved."), qPrintable(err));
        if (write) {
            QTest::qWait(100);
            QFile log(sim.file(QStringLiteral("frames.log")));
            QVERIFY(log.open(QIODevice::ReadOnly));
            const QStringList received = QString::fromUtf8(log.readAll()).split('\n').filter(" <- ");
            QVERIFY(!received.isEmpty());
            QVERIFY2(received.last().endsWith("<- 01 10 0F AA 00 01 02 FF FF 40 EA"), qPrintable(received.last()));
        } else {
            QVERIFY(!QFile::exists(file));
        }
        QTest::qWait(300); // the answer to the last request, if it was on its way, is in by now
        QCOMPARE(runCli({"search", "--port", sim.portPath(), "--fast"}).out, QStringLiteral("1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliDevice)
#include "test_cli_device.moc"
