// A model that only the tests know goes through tarnixw-cli's file commands and, over a
// pseudo-terminal, through tarnixw-devsim and the command line's read, write --verify and diff:
// nothing in the command line, the simulator, the link or the kit names a model.
#include "QuadModel.h"

#include "tests/cli/CliRun.h"
#include "tests/support/DevSim.h"
#include "tests/support/Restore.h"
#include "tests/support/TestData.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnixw;
using test::runCli;

class TestThirdModel : public QObject {
    Q_OBJECT

private slots:
    void filesGoThroughTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // a line the output holds
        QTest::addColumn<QString>("err");
        QTest::newRow("show") << QStringList{"show", "a.qdx"} << 0 << "CH0 sensor from"
                              << "";
        QTest::newRow("diff") << QStringList{"diff", "a.qdx", "b.json"} << 1 << "CH2 set point: 0.000 → -12.500"
                              << "";
        QTest::newRow("diff of the same") << QStringList{"diff", "a.qdx", "a.json"} << 0 << ""
                                          << "";
        QTest::newRow("to another model's file") << QStringList{"convert", "a.qdx", "x.vyx"} << 2 << ""
                                                 << "x.vyx: a QUADRIS configuration is saved as .qdx or .json";
        QTest::newRow("a file of the wrong size")
            << QStringList{"show", "short.qdx"} << 6 << ""
            << "This file is 3 bytes long; a QUADRIS configuration file has exactly 24 bytes.";
        QTest::newRow("a form check") << QStringList{"show", "silent.json"} << 0 << ""
                                      << "silence time: -32768, which the form refuses";
        QTest::newRow("an empty range is not written")
            << QStringList{"write", "--port", "/dev/null", "--id", "1", "empty.json"} << 7 << ""
            << "CH0: sensor from and to are both 1000 mV";
        QTest::newRow("help names the model") << QStringList{"template", "--help"} << 0 << "--model vyr|plix|quad"
                                              << "";
    }
    void filesGoThroughTheCommandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const test::CurrentDirectory inDir(dir.path());
        QVERIFY(inDir.entered());
        QCOMPARE(runCli({"template", "--model", "quad", "-o", "a.qdx"}).exitCode, 0);
        QCOMPARE(QFileInfo("a.qdx").size(), 24);
        QCOMPARE(runCli({"convert", "a.qdx", "a.json"}).exitCode, 0);
        const QString json = QString::fromUtf8(test::fileContent("a.json"));
        QVERIFY2(json.contains("\"model\": \"QUADRIS\""), qPrintable(json));
        // JSON back to binary gives the same bytes.
        QCOMPARE(runCli({"convert", "a.json", "back.qdx"}).exitCode, 0);
        QCOMPARE(test::fileContent("back.qdx"), test::fileContent("a.qdx"));
        // The JSON with the nth `from` (from 0) replaced.
        const auto edited = [&](const QString& from, const QString& to, int nth = 0) {
            QString t = json;
            qsizetype at = -1;
            for (int i = 0; i <= nth; ++i)
                at = t.indexOf(from, at + 1);
            return at < 0 ? QByteArray() : t.replace(at, from.size(), to).toUtf8();
        };
        QVERIFY(test::writeFileContent("b.json", edited("\"set_point\": 0.000", "\"set_point\": -12.500", 2)));
        QVERIFY(
            test::writeFileContent("silent.json", edited("\"silence_time_min\": 30", "\"silence_time_min\": -32768")));
        QVERIFY(test::writeFileContent("empty.json", edited("\"sensor_to_mV\": 5000", "\"sensor_to_mV\": 1000")));
        QVERIFY(test::writeFileContent("short.qdx", "abc"));

        const test::CliRun r = runCli(args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.out.contains(out), qPrintable(r.out));
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
    }

    // Write with --verify, read back, and diff against the device, over a pseudo-terminal.
    void aDeviceGoesThroughTheSimulator()
    {
        if (!test::ptyAvailable())
            QSKIP("no pseudo-terminals here");
        QTemporaryDir dir;
        const test::CurrentDirectory inDir(dir.path());
        QVERIFY(inDir.entered());
        QCOMPARE(runCli({"template", "--model", "quad", "-o", "a.json"}).exitCode, 0);
        QString json = QString::fromUtf8(test::fileContent("a.json"));
        json.replace("\"set_point\": 0.000", "\"set_point\": 7.250");
        json.replace("\"enabled\": false", "\"enabled\": true");
        QVERIFY(test::writeFileContent("edited.json", json.toUtf8()));

        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--model", "quad", "--id", "5"}));
        const QString port = sim.portPath();
        // The device starts as the factory left it: not what the file holds.
        const test::CliRun before = runCli({"diff", "--model", "quad", "--port", port, "--id", "5", "edited.json"});
        QCOMPARE(before.exitCode, 1);
        QVERIFY2(before.out.contains("CH3 set point: 0.000 → 7.250"), qPrintable(before.out));

        const test::CliRun written = runCli({"write", "--port", port, "--id", "5", "--verify", "edited.json"});
        QVERIFY2(written.exitCode == 0, qPrintable(written.err));
        QVERIFY2(written.err.contains("Write Done.") && written.err.contains("Verified"), qPrintable(written.err));

        const test::CliRun read
            = runCli({"read", "--model", "quad", "--port", port, "--id", "5", "--fast", "-o", "r.qdx"});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QCOMPARE(runCli({"convert", "edited.json", "edited.qdx"}).exitCode, 0);
        // The device holds every byte but the padding, which only the file has (zero in both).
        QCOMPARE(test::fileContent("r.qdx"), test::fileContent("edited.qdx"));
        QCOMPARE(runCli({"diff", "--model", "quad", "--port", port, "--id", "5", "edited.json"}).exitCode, 0);
        QVERIFY(sim.stop());
    }
};

QTEST_GUILESS_MAIN(TestThirdModel)
#include "test_third_model.moc"
