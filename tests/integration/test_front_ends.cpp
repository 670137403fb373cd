// The two front ends on one path: the PLIXARO form's Read and tarnixw-cli's read meet the same
// faults of the in-process simulated device, in virtual time. Each ends as its own words say (the
// forms' texts first), closes the port it opened, and records the operation once with the same
// frames.
#include "cli/DeviceLine.h"
#include "link/ComPort.h"
#include "plix/PlixForm.h"
#include "tests/support/Models.h"
#include "tests/support/SimLine.h"

#include <QtTest>

using namespace tarnixw;

namespace {

// One fault of the device or its port.
enum class Fault { None, Silent, Rejected, Damaged, PortBusy };

void arrange(test::SimLine& line, Fault fault)
{
    switch (fault) {
    case Fault::None:
        break;
    case Fault::Silent:
        line.device.faults().silentEvery = 1;
        break;
    case Fault::Rejected:
        line.device.faults().exceptionCode = 2;
        break;
    case Fault::Damaged:
        line.device.faults().badCrc = true;
        break;
    case Fault::PortBusy:
        line.opener.failWith = link::OpenError::Busy;
        break;
    }
}

// What one front end left behind: the operation's record and the state of the port.
struct Run {
    QStringList lines; // the record, one line a row
    int operations = 0;
    QStringList messages; // what the user was told, as the record names it
    int opens = 0;
    int closes = 0;
};

Run record(const link::TrafficLog& log, const test::SimLine& line)
{
    Run r;
    for (int row = 0; row < log.size(); ++row) {
        const link::TrafficLog::Entry& e = log.at(row);
        // An operation's line without what it told, which each front end words itself.
        r.lines << (e.isFrame ? log.lineAt(row) : log.lineAt(row).section(QStringLiteral("  ->  "), 0, 0));
        if (!e.isFrame) {
            ++r.operations;
            r.messages = log.operationOf(e).messages;
        }
    }
    r.opens = line.opener.opens;
    r.closes = line.opener.closes;
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestFrontEnds : public QObject {
    Q_OBJECT

private slots:
    void sameFaultsSamePath_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("box"); // what the form shows
        QTest::addColumn<int>("exit"); // what tarnixw-cli exits with
        QTest::addColumn<int>("frames");
        QTest::newRow("answered") << Fault::None << "Read Done." << int(cli::Exit::Done) << 14;
        QTest::newRow("silent") << Fault::Silent << "Device No Response !!" << int(cli::Exit::NoResponse) << 6;
        QTest::newRow("rejected") << Fault::Rejected << "Response Error !!" << int(cli::Exit::ResponseError) << 2;
        QTest::newRow("damaged") << Fault::Damaged << "Device No Response !!" << int(cli::Exit::NoResponse) << 6;
        QTest::newRow("port busy") << Fault::PortBusy << "OPEN COM ERROR!!" << int(cli::Exit::PortError) << 0;
    }
    void sameFaultsSamePath()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, box);
        QFETCH(int, exit);
        QFETCH(int, frames);

        Run form;
        {
            test::SimLine line(test::Model::Plix);
            arrange(line, fault);
            plix::resetModel();
            plix::TFormPLIX window(line.session, [] {});
            window.ReadClick();
            QCOMPARE(line.dialogs.texts(), QStringList{box});
            form = record(window.trafficLog(), line);
            QVERIFY(!plix::TFormPLIX::port().isOpen());
        }
        Run command;
        {
            test::SimLine line(test::Model::Plix);
            arrange(line, fault);
            cli::Console console;
            cli::LineSettings settings;
            settings.portNumber = 1;
            link::ModelBuffers buffers = link::ModelBuffers::sized(1024, 1024, 94);
            cli::DeviceLine device(console, QStringLiteral("Reading"), QStringLiteral("Read"));
            if (device.open(settings, buffers) == cli::Exit::Done)
                plix::readBlocks(device.link());
            QCOMPARE(int(device.close()), exit);
            command = record(device.log(), line);
        }

        // Recorded once, with the same frames at the same moments.
        QCOMPARE(form.operations, 1);
        QCOMPARE(command.operations, 1);
        QCOMPARE(form.lines.size(), 1 + frames);
        QCOMPARE(command.lines.mid(1), form.lines.mid(1));
        // tarnixw-cli knows the slave before the port opens, the form once it has read its box.
        QVERIFY2(form.lines[0].startsWith(QLatin1String("==== Read  COM1")), qPrintable(form.lines[0]));
        QVERIFY2(command.lines[0].startsWith(form.lines[0]), qPrintable(command.lines[0]));
        // The port opened once at most, and closed.
        QCOMPARE(form.closes, form.opens);
        QCOMPARE(command.closes, command.opens);
        QCOMPARE(form.opens, fault == Fault::PortBusy ? 0 : 1);
        QCOMPARE(command.opens, form.opens);
        // Each told its user of a failure once, tarnixw-cli in the form's words first, then why
        // and what to do.
        QCOMPARE(form.messages, QStringList{box});
        if (exit != int(cli::Exit::Done)) {
            QCOMPARE(command.messages.size(), 1);
            QVERIFY2(command.messages[0].startsWith(box + QLatin1Char(' ')), qPrintable(command.messages[0]));
        }
    }
};

QTEST_MAIN(TestFrontEnds)
#include "test_front_ends.moc"
