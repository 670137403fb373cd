// tarnixw-cli site over simulated buses: each device backed up, written and read back, the
// record after every device; the faults of a commissioning run, and Ctrl+C then --resume.

#include "CliRun.h"

#include "tests/support/DevSim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

using tarnixw::test::CliRun;
using tarnixw::test::runCli;

namespace {

// "name:state" for each device of a record, in the site's order.
QStringList statesOf(const QString& recordJson)
{
    QFile f(recordJson);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("no record")};
    QStringList out;
    for (const QJsonValue& v : QJsonDocument::fromJson(f.readAll()).object().value("devices").toArray())
        out << v.toObject().value("name").toString() + ':' + v.toObject().value("state").toString();
    return out;
}

// A site file of devices {name, port, id, model, file} ("port" bus-a or bus-b).
QString siteJson(const QStringList& devices, const QString& a, const QString& b)
{
    QJsonArray list;
    for (const QString& d : devices) {
        const QStringList p = d.split(' ');
        QJsonObject o{{"name", p[0]}, {"port", p[1] == "bus-a" ? a : b}, {"model", p[3]}, {"file", p[4]}};
        o.insert("id", p[2] == "search" ? QJsonValue("search") : QJsonValue(p[2].toInt()));
        if (p.size() > 5)
            o.insert("baud", p[5].toInt());
        list.append(o);
    }
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"site", "test"}, {"devices", list}}).toJson());
}

} // namespace

class TestCliSite : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    // Configuration files to write: the designed defaults, and one the forms' checks refuse.
    void writeFiles()
    {
        QCOMPARE(runCli({"template", "--model", "vyr", "-o", m_dir.filePath("v.vyx")}).exitCode, 0);
        QCOMPARE(runCli({"template", "--model", "plix", "-o", m_dir.filePath("p.plx")}).exitCode, 0);
        QCOMPARE(runCli({"template", "--model", "vyr", "-o", m_dir.filePath("bad.json")}).exitCode, 0);
        QFile f(m_dir.filePath("bad.json"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        const QByteArray text = f.readAll().replace("\"decimal_digits\": 1", "\"decimal_digits\": 7");
        f.resize(0);
        f.write(text);
    }

private slots:
    void initTestCase() { writeFiles(); }

    void site_data()
    {
        QTest::addColumn<QStringList>("busA");
        QTest::addColumn<QStringList>("busB");
        QTest::addColumn<QStringList>("devices"); // name port id model file [baud]
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("states");
        QTest::newRow("two buses") << QStringList{"vyr:1", "plix:2"} << QStringList{"vyr:3"}
                                   << QStringList{"a1 bus-a 1 vyr v.vyx", "a2 bus-a search plix p.plx",
                                          "b3 bus-b 3 vyr v.vyx"}
                                   << QStringList{} << 0 << QStringList{"a1:done", "a2:done", "b3:done"};
        QTest::newRow("silent device, the others go on")
            << QStringList{"vyr:1"} << QStringList{"vyr:3"}
            << QStringList{"a9 bus-a 9 vyr v.vyx", "a1 bus-a 1 vyr v.vyx", "b3 bus-b 3 vyr v.vyx"} << QStringList{} << 3
            << QStringList{"a9:failed", "a1:done", "b3:done"};
        QTest::newRow("refused by the forms' checks")
            << QStringList{"vyr:1", "vyr:2"} << QStringList{"vyr:3"}
            << QStringList{"a1 bus-a 1 vyr bad.json", "a2 bus-a 2 vyr v.vyx", "b3 bus-b 3 vyr v.vyx"} << QStringList{}
            << 7 << QStringList{"a1:refused", "a2:done", "b3:done"};
        QTest::newRow("two at one ID") << QStringList{"vyr:1", "plix:1"} << QStringList{"vyr:3"}
                                       << QStringList{"a1 bus-a 1 vyr v.vyx", "b3 bus-b 3 vyr v.vyx"} << QStringList{}
                                       << 3 << QStringList{"a1:failed", "b3:done"};
        QTest::newRow("another rate") << QStringList{"vyr:1@9600"} << QStringList{"vyr:3"}
                                      << QStringList{"a1 bus-a 1 vyr v.vyx 19200", "b3 bus-b 3 vyr v.vyx 19200"}
                                      << QStringList{} << 3 << QStringList{"a1:failed", "b3:done"};
        // The bus's one device vanishes after 25 requests: the backup's 20 reads and 5 writes.
        QTest::newRow("stops answering mid-write")
            << QStringList{"vyr:1"} << QStringList{"vyr:3", "--unplug-after", "25"}
            << QStringList{"a1 bus-a 1 vyr v.vyx", "b3 bus-b 3 vyr v.vyx"} << QStringList{} << 3
            << QStringList{"a1:done", "b3:failed"};
        // Where a1's backup goes lies a file that is no backup of it: it is not overwritten.
        QTest::newRow("a foreign file where the backup goes")
            << QStringList{"vyr:1"} << QStringList{"vyr:3"}
            << QStringList{"a1 bus-a 1 vyr v.vyx", "b3 bus-b 3 vyr v.vyx"} << QStringList{} << 6
            << QStringList{"a1:failed", "b3:done"};
        QTest::newRow("dry run") << QStringList{"vyr:1"} << QStringList{"plix:3"}
                                 << QStringList{"a1 bus-a 1 vyr v.vyx", "b3 bus-b search plix p.plx"}
                                 << QStringList{"--dry-run"} << 0 << QStringList{"a1:dry run", "b3:dry run"};
    }
    void site()
    {
        QFETCH(QStringList, busA);
        QFETCH(QStringList, busB);
        QFETCH(QStringList, devices);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QStringList, states);
        tarnixw::test::DevSim a(QStringLiteral(TARNIXW_DEVSIM));
        tarnixw::test::DevSim b(QStringLiteral(TARNIXW_DEVSIM), QStringLiteral("bus-b"), a);
        const auto bus = [](const QStringList& list) {
            QStringList args;
            for (const QString& d : list)
                args << (d.contains(':') ? QStringList{"--device", d} : QStringList{d});
            return args;
        };
        QVERIFY(a.start(bus(busA)));
        QVERIFY(b.start(bus(busB)));
        const QString site = m_dir.filePath(QStringLiteral("%1.json").arg(QTest::currentDataTag()).replace(' ', '-'));
        QFile f(site);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(siteJson(devices, a.portPath(), b.portPath()).toUtf8());
        f.close();
        const QString record
            = m_dir.filePath(QStringLiteral("record-%1").arg(QTest::currentDataTag()).replace(' ', '-'));
        const bool foreign = QByteArray(QTest::currentDataTag()) == "a foreign file where the backup goes";
        if (foreign) {
            QVERIFY(QDir().mkpath(record));
            QFile mine(record + "/a1-backup.vyx");
            QVERIFY(mine.open(QIODevice::WriteOnly));
            mine.write("notes of mine");
        }
        const CliRun r = runCli(QStringList{"site", site, "--fast", "--record", record} + options, {}, 120000);
        if (foreign) {
            QFile mine(record + "/a1-backup.vyx");
            QVERIFY(mine.open(QIODevice::ReadOnly));
            QCOMPARE(mine.readAll(), QByteArray("notes of mine"));
        }
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QCOMPARE(statesOf(record + "/record.json"), states);
        if (QByteArray(QTest::currentDataTag()) == "stops answering mid-write") // what the device holds now
            QVERIFY2(r.err.contains("b3: Device No Response !! The device answered, then fell silent.")
                    && r.err.contains("The device holds part of the file"),
                qPrintable(r.err));
        // A backup of every device that was read, the record's CSV and printable page beside the
        // JSON; the page says how to put each device back.
        QVERIFY(QFileInfo::exists(record + "/record.csv"));
        QFile html(record + "/record.html");
        QVERIFY(html.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(html.readAll());
        for (const QString& s : states)
            if (s.endsWith(":done") || s.endsWith(":dry run")) {
                const QStringList backup = QDir(record).entryList({s.section(':', 0, 0) + "-backup.*"});
                QVERIFY2(backup.size() == 1, qPrintable(s));
                QVERIFY2(page.contains(QRegularExpression("tarnixw-cli write --port \\S+ --id \\d+ " + backup.first())),
                    qPrintable(s));
            }
        // A dry run writes nothing: no function-16 request went out on either bus.
        for (const tarnixw::test::DevSim* sim : {&a, &b}) {
            QFile log(sim->file("frames.log"));
            QVERIFY(log.open(QIODevice::ReadOnly));
            const bool wrote = QString::fromUtf8(log.readAll()).contains(QRegularExpression("<- [0-9A-F]{2} 10 "));
            QVERIFY(!(wrote && options.contains("--dry-run")));
        }
    }

    // What is refused before any device is touched.
    void refused_data()
    {
        QTest::addColumn<QString>("device"); // name port id model file [baud]
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown model") << "a1 bus-a 1 vyz v.vyx"
                                       << "" << 7 << "\"model\" vyz is not vyr or plix";
        QTest::newRow("missing file") << "a1 bus-a 1 vyr missing.vyx"
                                      << "" << 6 << "missing.vyx";
        QTest::newRow("port at two rates") << "a1 bus-a 1 vyr v.vyx 9600"
                                           << "" << 7 << "at 19200 and at 9600 baud";
        QTest::newRow("record folder under a file") << "a1 bus-a 1 vyr v.vyx"
                                                    << "v.vyx/record" << 6 << "The record cannot be written in";
    }
    void refused()
    {
        QFETCH(QString, device);
        QFETCH(QString, record);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        tarnixw::test::DevSim a(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(a.start({"--device", "vyr:1"}));
        const QString site = m_dir.filePath("refused.json");
        QFile f(site);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(siteJson({"a0 bus-a 1 vyr v.vyx", device}, a.portPath(), a.portPath()).toUtf8());
        f.close();
        QStringList args{"site", site, "--fast"};
        if (!record.isEmpty())
            args << "--record" << m_dir.filePath(record);
        const CliRun r = runCli(args);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.exitCode, exitCode);
        QFile log(a.file("frames.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY2(!log.readAll().contains(" <- "), "a device was touched");
    }

    // Ctrl+C stops the run at its next step and leaves a record that says so; --resume then
    // does what is left, and only that.
    void interruptThenResume()
    {
        tarnixw::test::DevSim a(QStringLiteral(TARNIXW_DEVSIM));
        QVERIFY(a.start({"--device", "vyr:1", "--device", "vyr:2"}));
        const QString site = m_dir.filePath("resume.json");
        QFile f(site);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(siteJson({"a1 bus-a 1 vyr v.vyx", "a2 bus-a 2 vyr v.vyx"}, a.portPath(), a.portPath()).toUtf8());
        f.close();
        const QString record = m_dir.filePath("record-resume");
        const auto heard = [&](const QString& what) {
            QFile log(a.file("frames.log"));
            return log.open(QIODevice::ReadOnly) && QString::fromUtf8(log.readAll()).contains(what);
        };
        QProcess p;
        p.start(QStringLiteral(TARNIXW_CLI), {"site", site, "--record", record});
        QVERIFY(p.waitForStarted());
        // The first device's write has begun (its first block).
        QTRY_VERIFY_WITH_TIMEOUT(heard("<- 01 10 00 20"), 60000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 130);
        QCOMPARE(statesOf(record + "/record.json"), (QStringList{"a1:stopped", "a2:not begun"}));
        // The backup a1 had before its write began is what a resumed run keeps.
        QFile before(record + "/a1-backup.vyx");
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray backup = before.readAll();
        before.close();
        const CliRun r = runCli({"site", site, "--fast", "--resume", "--record", record}, {}, 120000);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(statesOf(record + "/record.json"), (QStringList{"a1:done", "a2:done"}));
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), backup);
        const CliRun again = runCli({"site", site, "--fast", "--resume", "--record", record}, {}, 120000);
        QCOMPARE(again.exitCode, 0);
        QVERIFY2(!again.err.contains("Write Done."), qPrintable(again.err)); // nothing left to do
    }
};

QTEST_GUILESS_MAIN(TestCliSite)
#include "test_cli_site.moc"
