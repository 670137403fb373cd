// tarnixw-cli against tarnixw-devsim over a pseudo-terminal, in real time: write and read
// back, --verify against a device that stores a field otherwise, the exit code of each kind of
// failure, and Ctrl+C.
#include "CliRun.h"

#include "cli/Config.h"
#include "link/Socket.h"
#include "plix/PlixModel.h"
#include "tests/support/DevSim.h"
#include "tests/support/Models.h"
#include "tests/support/TestData.h"
#include "vyr/VyrPack.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <QtTest>
#include <csignal>

using namespace tarnixw;
using namespace tarnixw::cli;
using test::Config;
using test::Model;
using test::productModels;
using test::runCli;
using test::templateConfig;

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

// What a simulator's memory dump holds of a model's parameters, exactly as stored.
Config configFromDump(Model model, const QByteArray& dump)
{
    const auto bytes = [&](int from, int count) {
        return std::vector<std::uint8_t>(dump.begin() + from, dump.begin() + from + count);
    };
    Config c;
    c.model = model;
    if (model == Model::Vyr) {
        std::vector<std::uint8_t> image = bytes(32, vyr::imageoffset::Area1Size);
        const std::vector<std::uint8_t> area2 = bytes(2048, vyr::imageoffset::Area2Size);
        image.insert(image.end(), area2.begin(), area2.end());
        c.vyr = *vyr::recordFromDeviceImage(image);
    } else {
        std::vector<std::uint8_t> image = bytes(32, plix::kBlockASize);
        const std::vector<std::uint8_t> blockB = bytes(2048, plix::kBlockBSize);
        image.insert(image.end(), blockB.begin(), blockB.end());
        c.plix = *plix::paramSetFromDeviceImage(image);
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
        QVERIFY(!saveConfig(file, edited(m), productModels()));
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(m, "9")));

        const test::CliRun written = runCli({"write", "--port", sim.portPath(), "--id", "9", "--verify", file});
        QCOMPARE(written.exitCode, 0);
        QVERIFY2(written.err.contains("Write Done.\n") && written.err.contains("Verified"), qPrintable(written.err));
        QVERIFY(!written.err.contains('\r')); // no bar when standard error is no terminal

        const test::CliRun ports = runCli({"ports"}, sim.runtimeDir());
        QString com;
        for (const QString& line : ports.out.split('\n'))
            if (line.contains(QRegularExpression("^COM\\d+ +sim +/dev/pts/"))
                && line.endsWith("virtual port " + sim.portPath()))
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

    // tarnixw-devsim with a bus: two models at their ids, one that hears only 9600 baud, two at
    // one id; tarnixw-cli reaches each as a technician would.
    void simulatedBus()
    {
        QTemporaryDir dir;
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--device", "vyr:1", "--device", "plix:7", "--device", "vyr:9@9600", "--device", "plix:12",
            "--device", "vyr:12"}));
        const QString port = sim.portPath();
        const auto read = [&](const QString& id, const QString& model, const QString& baud) {
            return runCli({"read", "--fast", "--port", port, "--id", id, "--model", model, "--baud", baud, "-o",
                dir.filePath(id + baud + "." + (model == "vyr" ? "vyx" : "plx"))});
        };
        QCOMPARE(read("1", "vyr", "19200").exitCode, 0);
        QCOMPARE(read("7", "plix", "19200").exitCode, 0);
        const test::CliRun deaf = read("9", "vyr", "19200");
        QCOMPARE(deaf.exitCode, 3);
        QVERIFY2(deaf.err.contains("Nothing came back."), qPrintable(deaf.err));
        QCOMPARE(read("9", "vyr", "9600").exitCode, 0);
        const test::CliRun twice = read("12", "vyr", "19200");
        QCOMPARE(twice.exitCode, 3);
        QVERIFY2(twice.err.contains("damaged frame"), qPrintable(twice.err));
    }

    // scan over a simulated bus: each device at its rate, by the model its answer names; the
    // flags; an answer that comes 95 ms late still counted with --fast.
    void scan_data()
    {
        QTest::addColumn<QStringList>("devices");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("two models") << QStringList{"vyr:1", "plix:7"} << QStringList{"--ids", "1-9"} << 0
                                    << "ID   baud  model    note\n"
                                       "1   19200  VYRANTA\n"
                                       "7   19200  PLIXARO\n"
                                    << "2 device(s) answered.";
        QTest::newRow("two at one ID") << QStringList{"vyr:3", "plix:3", "vyr:5"} << QStringList{"--ids", "1-6"} << 0
                                       << "ID   baud  model    note\n"
                                          "3   19200  ?        its answers come damaged: two devices at this ID?\n"
                                          "5   19200  VYRANTA\n"
                                       << "2 device(s) answered.";
        QTest::newRow("late") << QStringList{"vyr:4", "--late", "95"} << QStringList{"--ids", "1-6"} << 0
                              << "ID   baud  model    note\n"
                                 "4   19200  VYRANTA\n"
                              << "1 device(s) answered.";
        QTest::newRow("every rate") << QStringList{"vyr:2@9600", "plix:2@38400", "vyr:3@115200"}
                                    << QStringList{"--ids", "1-3", "--baud", "all"} << 0
                                    << "ID    baud  model    note\n"
                                       "2     9600  VYRANTA  answered at 9600, 38400 baud\n"
                                       "2    38400  PLIXARO  answered at 9600, 38400 baud\n"
                                       "3   115200  VYRANTA\n"
                                    << "3 device(s) answered.";
        QTest::newRow("nothing") << QStringList{"vyr:20"} << QStringList{"--ids", "1-5"} << 3 << ""
                                 << "No device answered at 19200 baud (IDs 1 to 5).";
        QTest::newRow("IDs out of range") << QStringList{"vyr:1"} << QStringList{"--ids", "0-300"} << 2 << ""
                                          << "--ids 0-300: give an ID or FIRST-LAST, within 1..255.";
    }
    void scan()
    {
        QFETCH(QStringList, devices);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QStringList args;
        for (const QString& d : devices)
            args << (d.contains(':') ? QStringList{"--device", d} : QStringList{d});
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(args));
        const test::CliRun r = runCli(QStringList{"scan", "--fast", "--port", sim.portPath()} + options);
        QCOMPARE(r.out, out);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QCOMPARE(r.exitCode, exitCode);
    }

    // scan --json: the same list for a script.
    void scanJson()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start({"--device", "plix:2"}));
        const test::CliRun r = runCli({"scan", "--fast", "--json", "--ids", "1-3", "--port", sim.portPath()});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject root = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QJsonArray devices = root.value("devices").toArray();
        QCOMPARE(devices.size(), 1);
        QCOMPARE(devices.at(0).toObject().value("id").toInt(), 2);
        QCOMPARE(devices.at(0).toObject().value("model").toString(), QStringLiteral("PLIXARO"));
        QCOMPARE(root.value("rates").toArray(), QJsonArray{19200});
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
        // A byte no value holds (device bytes 834..849 follow the VYRANTA's area-1 values).
        QTest::newRow("VYRANTA reserved") << int(Model::Vyr) << 840
                                          << "device bytes 834..849: 00 x 16 → 00 00 00 00 00 00 01 00 00 00 00 00 "
                                             "00 00 00 00\n";
    }
    void verifyCatchesAChangedField()
    {
        QFETCH(int, model);
        QFETCH(int, address);
        QFETCH(QString, difference);
        const Model m = Model(model);
        QTemporaryDir dir;
        const QString file = dir.filePath(m == Model::Vyr ? "t.vyx" : "t.plx");
        QVERIFY(!saveConfig(file, templateConfig(m), productModels()));
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
        QTest::newRow("answered, then silent")
            << QStringList{"--unplug-after", "3"} << "" << 3
            << "Device No Response !! The device answered, then fell silent. Check the slave ID"
            << "  <-  (nothing)  silence (nothing within the window)\n";
        QTest::newRow("exception") << QStringList{"--exception", "2"} << "" << 4 << "Response Error !!"
                                   << "  <-  01 83 02 C0 F1  exception 2 (Illegal Data Address)\n";
        QTest::newRow("another slave") << QStringList{"--wrong-id", "3"} << "" << 4 << "Response Error !!"
                                       << "  answer from slave 3\n";
        QTest::newRow("port missing")
            << QStringList{} << "/dev/tarnixw-no-such-port" << 5 << "OPEN COM ERROR!!"
            << "==== Read  /dev/tarnixw-no-such-port  19200 baud  slave 1  ->  OPEN COM ERROR!! ";
        QTest::newRow("COM name not listed")
            << QStringList{} << "COM250" << 5 << "COM250 is not connected; see 'tarnixw-cli ports'"
            << "==== Read  COM250  19200 baud  slave 1  ->  OPEN COM ERROR!! ";
        // Behind the network: the simulator serves the device at the address the row names.
        QTest::newRow("gateway: device silent")
            << QStringList{"--silent-every", "1"} << "tcp://127.0.0.1:0" << 3
            << "Device No Response !! The last answer was a gateway exception 11 (Gateway Target Device Failed to "
               "Respond): the device behind it did not answer."
            << "  <-  00 ";
        QTest::newRow("server accepts, never answers, a longer window")
            << QStringList{"--silent-every", "1"} << "socket://127.0.0.1:0?window=400" << 3 << "Device No Response !!"
            << "  19200 baud  answer window 400 ms  slave 1  ->  Device No Response !!";
        QTest::newRow("connection dropped mid-Read") << QStringList{"--drop-after", "2"} << "rfc2217://127.0.0.1:0" << 3
                                                     << "Device No Response !! The server closed the connection."
                                                     << "  <-  (nothing)  nothing: the server closed the connection\n";
        QTest::newRow("nothing listens") << QStringList{} << "tcp://127.0.0.1:1" << 5
                                         << "OPEN COM ERROR!! tcp://127.0.0.1:1: the connection was refused"
                                         << "==== Read  tcp://127.0.0.1:1  19200 baud  slave 1  ->  OPEN COM ERROR!! ";
    }
    void exitCodes()
    {
        QFETCH(QStringList, faults);
        QFETCH(QString, port);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, traced);
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        if (const QString query = port.section('?', 1); port.section('?', 0, 0).endsWith(":0")) {
            port = sim.listen(port.section('?', 0, 0), simArgs(Model::Plix, "1", faults));
            QVERIFY(!port.isEmpty());
            if (!query.isEmpty())
                port += '?' + query;
        } else {
            QVERIFY(sim.start(simArgs(Model::Plix, "1", faults)));
        }
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

    // A write that stops part way says in one message what the device now holds; the device's
    // memory afterwards (its dump) holds just that: the values said written as the file has
    // them, the others as they were.
    void aStoppedWriteSaysWhatTheDeviceHolds_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("state");
        QTest::newRow("VYRANTA: nothing") << int(Model::Vyr) << QStringList{"--silent-every", "1"}
                                          << "Nothing was written: the device holds what it held before.";
        QTest::newRow("VYRANTA: area 1 and one block of area 2")
            << int(Model::Vyr) << QStringList{"--unplug-after", "14"}
            << "The device holds part of the file: the DO modules are written, AI 0\u201315 and the DI modules are "
               "written in part, the rest is not.";
        QTest::newRow("PLIXARO: written, write-enable left open")
            << int(Model::Plix) << QStringList{"--unplug-after", "3"}
            << "Everything was written. The device's write-enable may still be open: write the file again, or "
               "power the device off and on.";
        // Over the network the connection ends where the cable was pulled: the same words.
        QTest::newRow("VYRANTA over the network: the connection dropped")
            << int(Model::Vyr) << QStringList{"--drop-after", "15"}
            << "The device holds part of the file: the DO modules are written, AI 0\u201315 and the DI modules are "
               "written in part, the rest is not.";
        QTest::newRow("PLIXARO: opened only") << int(Model::Plix) << QStringList{"--unplug-after", "1"}
                                              << "Nothing was written: the device holds what it held before. The "
                                                 "device's write-enable may still be open";
    }
    void aStoppedWriteSaysWhatTheDeviceHolds()
    {
        QFETCH(int, model);
        QFETCH(QStringList, faults);
        QFETCH(QString, state);
        const Model m = Model(model);
        // Every value away from the device's own, so the dump tells written from not.
        Config file = templateConfig(m);
        if (m == Model::Vyr) {
            file.vyr.STo.fill(6000);
            file.vyr.HLimit.fill(70000);
            file.vyr.SilenceT.fill(31);
            file.vyr.DOMapMask.fill(0xFFFF);
        } else {
            for (int ch = 0; ch < 2; ++ch) {
                file.plix.setSensorTo(ch, 6000);
                file.plix.setHighAlarm(ch, 70000);
            }
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(m == Model::Vyr ? "f.vyx" : "f.plx");
        QVERIFY(!saveConfig(path, file, productModels()));
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QString port;
        if (faults.contains("--drop-after"))
            port = sim.listen("socket://127.0.0.1:0", simArgs(m, "1", faults));
        else if (sim.start(simArgs(m, "1", faults)))
            port = sim.portPath();
        QVERIFY(!port.isEmpty());
        const test::CliRun r = runCli({"write", "--port", port, "--id", "1", path});
        QCOMPARE(r.exitCode, int(Exit::NoResponse));
        QVERIFY2(r.err.contains(state), qPrintable(r.err));
        QCOMPARE(r.err.count("Device No Response !!"), 1); // one message for the fault
        QVERIFY(sim.stop());

        const Config held = configFromDump(m, test::fileContent(sim.dumpPath()));
        if (m == Model::Vyr) {
            const vyr::VYRParamSet& d = held.vyr;
            const bool nothing = state.startsWith("Nothing");
            // DO map and alarms lie in area 1, the sensor ranges and silences in area 2.
            QCOMPARE(d.DOMapMask == file.vyr.DOMapMask, !nothing);
            QCOMPARE(d.HLimit == file.vyr.HLimit, !nothing);
            QCOMPARE(d.STo == file.vyr.STo, false);
            QCOMPARE(d.SilenceT[1] == file.vyr.SilenceT[1], false);
        } else {
            const bool written = state.startsWith("Everything");
            QCOMPARE(held.plix.sensorTo(1) == 6000, written);
            QCOMPARE(held.plix.highAlarm(0) == 70000, written);
        }
    }

    // A server that serves one client at a time and has one: told plainly, nothing hung.
    void aSecondClientIsToldPlainly()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        const QString address = sim.listen("socket://127.0.0.1:0", simArgs(Model::Vyr, "1"));
        QVERIFY(!address.isEmpty());
        const link::Connection first = link::connectTcp("127.0.0.1", address.section(':', -1).toInt(), 3000);
        QVERIFY(first.socket);
        const test::CliRun r = runCli({"search", "--port", address, "--fast"});
        QCOMPARE(r.exitCode, int(Exit::NoResponse));
        QVERIFY2(r.err.contains("Can not Find Device ID !! The server closed the connection."), qPrintable(r.err));
    }

    // COM numbers are a run's own: when a port goes, the next run numbers the others anew. A
    // port's name stays its own: the name of a port that is gone reaches no other device.
    void portsKeepTheirNames()
    {
        test::DevSim first(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(first.start(simArgs(Model::Vyr, "1")));
        test::DevSim second(QStringLiteral(TARNIXW_DEVSIM), QStringLiteral("site-b"), first);
        QVERIFY(second.start(simArgs(Model::Vyr, "1")));
        const QString runtime = first.runtimeDir();
        const auto comOf = [&](const QString& name) {
            const test::CliRun ports = runCli({"ports"}, runtime);
            for (const QString& line : ports.out.split('\n'))
                if (line.contains(QRegularExpression(QStringLiteral("^COM\\d+ +%1 ").arg(name))))
                    return line.section(' ', 0, 0);
            return QString();
        };
        const QString before = comOf("site-b");
        QVERIFY(before.startsWith("COM"));
        // A COM number is named for what it is before the line is touched; -o - is JSON.
        const test::CliRun byNumber
            = runCli({"read", "--model", "vyr", "--port", before, "--id", "1", "--fast", "-o", "-"}, runtime);
        QCOMPARE(byNumber.exitCode, 0);
        QVERIFY2(
            byNumber.err.startsWith(QStringLiteral("tarnixw-cli: %1 is the port named site-b (/dev/pts/").arg(before)),
            qPrintable(byNumber.err));
        QVERIFY(byNumber.out.startsWith("{\n  \"format\": 1,\n  \"model\": \"VYRANTA\","));

        QVERIFY(first.stop());
        QVERIFY(comOf("site-b") != before); // renumbered
        const qsizetype seen = test::fileContent(second.file("frames.log")).size();
        const test::CliRun gone = runCli({"read", "--model", "vyr", "--port", "sim", "--id", "1", "-o", "-"}, runtime);
        QCOMPARE(gone.exitCode, int(Exit::Usage));
        QCOMPARE(test::fileContent(second.file("frames.log")).size(), seen); // nothing reached it
        const test::CliRun byName = runCli(
            {"read", "--model", "vyr", "--port", "site-b", "--id", "1", "--fast", "--quiet", "-o", "-"}, runtime);
        QCOMPARE(byName.exitCode, 0);
        QCOMPARE(byName.err, QString()); // --quiet: nothing to say when all went well
    }

    // A device of the other model answers a read too, with values of its own layout: the read
    // warns, and says which model the device may be. A PLIXARO refuses a VYRANTA's addresses.
    void readingTheOtherModelIsWarned_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        QTest::newRow("a VYRANTA read as a PLIXARO") << int(Model::Vyr) << "plix" << 0 << "is the device a VYRANTA?";
        QTest::newRow("a PLIXARO read as a VYRANTA") << int(Model::Plix) << "vyr" << int(Exit::ResponseError)
                                                     << "Response Error !! The device answered with an exception 2 "
                                                        "(Illegal Data Address); is it the model named";
    }
    void readingTheOtherModelIsWarned()
    {
        QFETCH(int, device);
        QFETCH(QString, asked);
        QFETCH(int, exitCode);
        QFETCH(QString, said);
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(Model(device), "1")));
        const test::CliRun wrong
            = runCli({"read", "--model", asked, "--port", sim.portPath(), "--id", "1", "--fast", "-o", "-"});
        QCOMPARE(wrong.exitCode, exitCode);
        QVERIFY2(wrong.err.contains(said), qPrintable(wrong.err));
        const test::CliRun right = runCli({"read", "--model", Model(device) == Model::Vyr ? "vyr" : "plix", "--port",
            sim.portPath(), "--id", "1", "--fast", "-o", "-"});
        QCOMPARE(right.exitCode, 0);
        QVERIFY2(!right.err.contains("is the device a"), qPrintable(right.err));
    }

    void searchFindsTheId()
    {
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(sim.start(simArgs(Model::Vyr, "4")));
        const test::CliRun r = runCli({"search", "--port", sim.portPath(), "--fast"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("4\n")); // once: on standard output alone
        QVERIFY2(!r.err.contains("4"), qPrintable(r.err));
    }

    // Ctrl+C in the middle of a Read ends it with 130 instead of running the read out (its 20
    // exchanges); nothing is saved and the port is free again at once. Ctrl+C ends the
    // operation at its next step and closes the port; a PLIXARO write still closes the device's
    // write-enable first, so the device is not left open for writing. Ctrl+C is pressed once the
    // simulator has heard the request named (the handler is in place before the port opens),
    // however long a slow start took.
    void interruptEndsTheOperation_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<QString>("listen"); // empty: a pseudo-terminal
        QTest::newRow("VYRANTA read") << false << "<- 01 03 00 20 00 20"
                                      << ""; // the first block
        QTest::newRow("PLIXARO write") << true << "<- 01 10 00 20 00 1C"
                                       << ""; // block A
        QTest::newRow("VYRANTA read over socket://") << false << "<- 01 03 00 20 00 20"
                                                     << "socket://127.0.0.1:0";
        QTest::newRow("PLIXARO write over rfc2217://") << true << "<- 01 10 00 20 00 1C"
                                                       << "rfc2217://127.0.0.1:0";
    }
    void interruptEndsTheOperation()
    {
        QFETCH(bool, write);
        QFETCH(QString, heard);
        QFETCH(QString, listen);
        test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
        const QStringList args = simArgs(write ? Model::Plix : Model::Vyr, "1");
        const QString port
            = listen.isEmpty() ? (sim.start(args) ? sim.portPath() : QString()) : sim.listen(listen, args);
        QVERIFY(!port.isEmpty());
        QTemporaryDir dir;
        const QString file = dir.filePath(write ? "x.plx" : "x.vyx");
        if (write)
            QCOMPARE(runCli({"template", "--model", "plix", "-o", file}).exitCode, 0);
        // The requests the simulator has heard so far, from its frame log.
        const auto requests = [&] {
            QFile log(sim.file(QStringLiteral("frames.log")));
            if (!log.open(QIODevice::ReadOnly))
                return QStringList();
            return QString::fromUtf8(log.readAll()).split('\n').filter(" <- ");
        };
        QProcess p;
        p.start(QStringLiteral(TARNIXW_CLI),
            write ? QStringList{"write", "--port", port, "--id", "1", file}
                  : QStringList{"read", "--model", "vyr", "--port", port, "--id", "1", "-o", file});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!requests().filter(heard).isEmpty(), 60000);
        ::kill(pid_t(p.processId()), SIGINT);
        // Only a hang fails here: a slow machine may take its time.
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 130);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(err.contains(write ? "tarnixw-cli: Interrupted. " : "tarnixw-cli: Interrupted. Nothing was saved."),
            qPrintable(err));
        if (write) {
            // The last request closed the write-enable (the simulator may log it a while after
            // the command ended, on a busy machine), and block B was never sent.
            const QString close = QStringLiteral("<- 01 10 0F AA 00 01 02 FF FF 40 EA");
            QTRY_VERIFY_WITH_TIMEOUT(!requests().isEmpty() && requests().last().endsWith(close), 20000);
            QVERIFY2(requests().filter("<- 01 10 08 00").isEmpty(), qPrintable(requests().join('\n')));
        } else {
            const QStringList heardAll = requests();
            // The read did not run out its 20 exchanges.
            QVERIFY2(heardAll.size() < 20, qPrintable(heardAll.join('\n')));
            QVERIFY(!QFile::exists(file));
        }
        QTest::qWait(300); // the answer to the last request, if it was on its way, is in by now
        QCOMPARE(runCli({"search", "--port", port, "--fast"}).out, QStringLiteral("1\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliDevice)
#include "test_cli_device.moc"
