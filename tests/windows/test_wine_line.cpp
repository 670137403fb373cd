// The Windows build on a real serial line: the Win32 port and the registry's port list under
// Wine, against tarnixw-devsim processes whose pseudo-terminals Wine maps to COM ports
// (tools/windows.sh starts them and names the ports in TARNIXW_WINE_VYR, TARNIXW_WINE_PLIX
// and TARNIXW_WINE_SILENT; the PLIXARO's port is mapped last, so it is the cable), and against
// two served over the network (TARNIXW_WINE_VYR_NET: socket://, TARNIXW_WINE_PLIX_GW: tcp://).
//
// Each form operation runs twice: against the in-process simulator in virtual time, as the
// Linux suites run it, and on the real port. Both must bring the same bytes and messages.
// A network port's line is tried too: a TCP connection over loopback, Winsock at both ends.
#include "kit/Messages.h"
#include "link/ComPort.h"
#include "link/PortList.h"
#include "link/Socket.h"
#include "link/WinSerialPort.h"
#include "plix/PlixForm.h"
#include "plix/PlixModel.h"
#include "tests/cli/CliRun.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SimLine.h"
#include "tests/support/TempPorts.h"
#include "vyr/VyrForm.h"
#include "vyr/VyrModel.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <array>

using namespace tarnixw;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The COM number tools/windows.sh mapped for a device, or 0.
int mappedPort(const char* variable)
{
    return qEnvironmentVariableIntValue(variable);
}

// What one form operation left behind.
struct Outcome {
    QStringList texts;
    Bytes image; // the model's DeviceImage
    int frames = 0;
    std::int64_t lastFrameNs = 0; // after the operation's start
};

Outcome outcomeOf(kit::DeviceForm& form, const test::ScriptedDialogs& dialogs, const link::ModelBuffers& buffers)
{
    Outcome o;
    o.texts = dialogs.texts();
    o.image = buffers.DeviceImage;
    const link::TrafficLog& log = form.trafficLog();
    for (int row = 0; row < log.size(); ++row) {
        const link::TrafficLog::Entry& e = log.at(row);
        if (e.isFrame) {
            ++o.frames;
            o.lastFrameNs = e.frame.timeNs - log.operationOf(e).startNs;
        }
    }
    return o;
}

// A Read on a fresh form of the model, on COM `port` (0: the in-process simulator on COM1,
// with `silent` when it answers nothing).
template <class Form> Outcome readOn(int port, bool silent = false)
{
    std::optional<test::SimLine> sim;
    std::optional<test::ScriptedDialogs> dialogs;
    if (port == 0) {
        sim.emplace(std::is_same_v<Form, vyr::TFormVYR> ? test::Model::Vyr : test::Model::Plix);
        sim->device.faults().silentEvery = silent ? 1 : 0;
        port = 1;
    } else {
        dialogs.emplace();
    }
    test::ScriptedDialogs& shown = sim ? sim->dialogs : *dialogs;
    kit::Session session;
    Form::buffers() = std::is_same_v<Form, vyr::TFormVYR> ? link::ModelBuffers::sized(2048, 2048, 1218)
                                                          : link::ModelBuffers::sized(1024, 1024, 94);
    Form form(session, [] {});
    form.show();
    // The showing selects port ComIndex first; the test's port is chosen after it.
    QTest::qWaitFor([&] { return form.formCreatedThisShowing(); });
    if constexpr (std::is_same_v<Form, vyr::TFormVYR>)
        QTest::qWaitFor([&] { return form.isBuilt(); });
    form.selectPortIndex(port - 1);
    form.ReadClick();
    return outcomeOf(form, shown, Form::buffers());
}

// What a socket brings within about a second: `count` bytes, or fewer when it ends first.
Bytes receiveSome(link::Socket& socket, std::size_t count)
{
    Bytes got;
    std::array<std::uint8_t, 64> chunk{};
    for (int i = 0; i < 50 && got.size() < count; ++i) {
        socket.waitReadable(20);
        const long n = socket.receive(chunk);
        if (n < 0)
            break;
        got.insert(got.end(), chunk.begin(), chunk.begin() + n);
    }
    return got;
}

} // namespace

class TestWineLine : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (!mappedPort("TARNIXW_WINE_PLIX"))
            QSKIP("no simulated device on a mapped COM port (tools/windows.sh test maps them)");
        vyr::resetModel();
        plix::resetModel();
    }

    void aReadBringsTheSameBytesAsTheSimulatorDoes_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("network"); // the variable naming a network address, or none
        QTest::newRow("VYRANTA") << QStringLiteral("vyr") << QByteArray();
        QTest::newRow("PLIXARO") << QStringLiteral("plix") << QByteArray();
        // By its COM number from the network ports file, as a user picks it.
        QTest::newRow("VYRANTA over socket://") << QStringLiteral("vyr") << QByteArray("TARNIXW_WINE_VYR_NET");
        QTest::newRow("PLIXARO behind tcp://") << QStringLiteral("plix") << QByteArray("TARNIXW_WINE_PLIX_GW");
    }
    void aReadBringsTheSameBytesAsTheSimulatorDoes()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, network);
        const bool isVyr = model == QLatin1String("vyr");
        const Outcome expected = isVyr ? readOn<vyr::TFormVYR>(0) : readOn<plix::TFormPLIX>(0);
        int port = mappedPort(isVyr ? "TARNIXW_WINE_VYR" : "TARNIXW_WINE_PLIX");
        std::optional<test::TempPorts> ports;
        if (!network.isEmpty()) {
            ports.emplace();
            ports->nameNetworkPort(QStringLiteral("net"), qEnvironmentVariable(network.constData()));
            port = 1; // the only port of the list
        }
        const Outcome got = isVyr ? readOn<vyr::TFormVYR>(port) : readOn<plix::TFormPLIX>(port);
        QCOMPARE(got.texts, QStringList{QStringLiteral("Read Done.")});
        QCOMPARE(got.texts, expected.texts);
        QCOMPARE(got.frames, expected.frames);
        QVERIFY(got.image == expected.image);
        QVERIFY(!(isVyr ? vyr::TFormVYR::port() : plix::TFormPLIX::port()).isOpen());
    }

    // A device that never answers: three windows of 16 steps of 15 ms, then the box.
    void aSilentDeviceIsGivenUpAfterTheSameThreeWindows()
    {
        const Outcome expected = readOn<plix::TFormPLIX>(0, true);
        const Outcome got = readOn<plix::TFormPLIX>(mappedPort("TARNIXW_WINE_SILENT"));
        QCOMPARE(got.texts, QStringList{QStringLiteral("Device No Response !!")});
        QCOMPARE(got.frames, expected.frames); // three requests, three silences
        QCOMPARE(expected.lastFrameNs, std::int64_t(3 * 16 * 15) * 1'000'000);
        QVERIFY2(got.lastFrameNs >= expected.lastFrameNs, qPrintable(QString::number(got.lastFrameNs)));
    }

    // A port another program holds: the form's Read says "OPEN COM ERROR!!" in the system box.
    void aPortHeldOpenCannotBeOpenedAgain()
    {
        const int port = mappedPort("TARNIXW_WINE_PLIX");
        link::ComPort holder;
        QVERIFY(holder.openNumbered(port, 19200).ok());
        QCOMPARE(holder.devicePath(), QStringLiteral("\\\\.\\COM%1").arg(port));
        link::ComPort second;
        const link::OpenOutcome refused = second.openNumbered(port, 19200);
        QCOMPARE(refused.error, link::OpenError::Busy);
        QVERIFY(!second.isOpen());

        test::ScriptedDialogs dialogs;
        kit::Session session;
        plix::TFormPLIX form(session, [] {});
        form.show();
        QTest::qWaitFor([&] { return form.formCreatedThisShowing(); });
        form.selectPortIndex(port - 1);
        form.ReadClick();
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].kind, test::Shown::System);
        QCOMPARE(dialogs.shown[0].caption, QStringLiteral("Comm Error"));
        QCOMPARE(dialogs.shown[0].text, QStringLiteral("OPEN COM ERROR!!"));

        // Its reads return at once and its writes give up after their line time and a second:
        // set at the open and read back from the driver.
        auto* win = dynamic_cast<link::WinSerialPort*>(holder.ComHandle());
        QVERIFY(win);
        QCOMPARE(win->timeouts(), std::optional(link::portTimeoutsFor(19200)));

        holder.close(); // released: the next operation opens it
        QVERIFY(second.openNumbered(port, 19200).ok());
        second.close();
        QCOMPARE(second.openNumbered(0, 19200).error, link::OpenError::NoSuchPort); // COM0 names no port
        QCOMPARE(second.openNumbered(99, 19200).error, link::OpenError::NoSuchPort);
    }

    // HARDWARE\DEVICEMAP\SERIALCOMM names every mapped port, and Check COM takes the one
    // listed last (the PLIXARO) as the cable.
    void theRegistryListsTheMappedPortsAndCheckComTakesTheLast()
    {
        const auto entries = link::PortList::system().refresh();
        QVERIFY(entries);
        QStringList names;
        for (const link::PortEntry& e : *entries) {
            names << e.portName;
            QVERIFY2(e.deviceName.startsWith(QLatin1String("\\Device\\")), qPrintable(e.deviceName));
            QCOMPARE(e.devicePath, QStringLiteral("\\\\.\\%1").arg(e.portName));
        }
        for (const char* device : {"TARNIXW_WINE_VYR", "TARNIXW_WINE_PLIX", "TARNIXW_WINE_SILENT"})
            QVERIFY2(names.contains(QStringLiteral("COM%1").arg(mappedPort(device))), qPrintable(names.join(' ')));

        test::ScriptedDialogs dialogs;
        QCOMPARE(kit::CheckCOM(), std::optional<int>(mappedPort("TARNIXW_WINE_PLIX")));
        QCOMPARE(
            dialogs.texts().last(), QStringLiteral("COM Port is set to COM%1").arg(mappedPort("TARNIXW_WINE_PLIX")));
    }

    // tarnixw-cli.exe: a read into a file, then a write of it with the verifying read.
    void theCommandLineReadsAndWritesWithVerify_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("COM port") << QStringLiteral("COM%1").arg(mappedPort("TARNIXW_WINE_VYR"));
        QTest::newRow("socket://") << qEnvironmentVariable("TARNIXW_WINE_VYR_NET");
    }
    void theCommandLineReadsAndWritesWithVerify()
    {
        QFETCH(QString, port);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("site.json"));
        const test::CliRun read = test::runCli(
            {QStringLiteral("read"), QStringLiteral("--model"), QStringLiteral("vyr"), QStringLiteral("--port"), port,
                QStringLiteral("--id"), QStringLiteral("1"), QStringLiteral("-o"), file});
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QVERIFY(QFileInfo(file).size() > 1000);
        const test::CliRun write = test::runCli({QStringLiteral("write"), QStringLiteral("--port"), port,
            QStringLiteral("--id"), QStringLiteral("1"), QStringLiteral("--verify"), file});
        QVERIFY2(write.exitCode == 0, qPrintable(write.err));
        QVERIFY2(write.err.contains(QStringLiteral("Write Done.")), qPrintable(write.err));
    }

    // tarnixw-cli.exe site: a device on each of two COM ports, side by side; the record says both
    // are done.
    void theCommandLineCommissionsASite()
    {
        QTemporaryDir dir;
        for (const char* model : {"vyr", "plix"})
            QCOMPARE(test::runCli({QStringLiteral("template"), QStringLiteral("--model"), QString::fromLatin1(model),
                                      QStringLiteral("-o"), dir.filePath(QStringLiteral("%1.json").arg(model))})
                         .exitCode,
                0);
        const QJsonArray devices{
            QJsonObject{{"name", "boiler"}, {"port", QStringLiteral("COM%1").arg(mappedPort("TARNIXW_WINE_VYR"))},
                {"id", 1}, {"model", "vyr"}, {"file", "vyr.json"}},
            QJsonObject{{"name", "display"}, {"port", QStringLiteral("COM%1").arg(mappedPort("TARNIXW_WINE_PLIX"))},
                {"id", 1}, {"model", "plix"}, {"file", "plix.json"}}};
        QFile site(dir.filePath(QStringLiteral("site.json")));
        QVERIFY(site.open(QIODevice::WriteOnly));
        site.write(QJsonDocument(QJsonObject{{"site", "wine"}, {"devices", devices}}).toJson());
        site.close();
        const test::CliRun r
            = test::runCli({QStringLiteral("site"), site.fileName(), QStringLiteral("--fast")}, {}, 120000);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QFile record(dir.filePath(QStringLiteral("site-record/record.json")));
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QJsonArray entries = QJsonDocument::fromJson(record.readAll()).object().value("devices").toArray();
        QCOMPARE(entries.size(), 2);
        for (const QJsonValue& e : entries)
            QCOMPARE(e.toObject().value("state").toString(), QStringLiteral("done"));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("site-record/record.html"))));
    }

    // Bytes go both ways, "nothing yet" is not the end, the peer's close is seen, and the port
    // refuses at once when nothing listens there any more (not after the connect's deadline).
    void aTcpConnectionOverLoopback_data()
    {
        QTest::addColumn<QString>("host");
        QTest::newRow("IPv4") << QStringLiteral("127.0.0.1");
        QTest::newRow("IPv6 literal") << QStringLiteral("::1");
    }
    void aTcpConnectionOverLoopback()
    {
        QFETCH(QString, host);
        std::string detail;
        auto listener = link::listenTcp(host.toStdString(), 0, detail);
        if (!listener && host.contains(u':'))
            QSKIP(qPrintable(QStringLiteral("no IPv6 loopback: %1").arg(QString::fromStdString(detail))));
        QVERIFY2(listener, detail.c_str());
        const int port = listener->port();
        QVERIFY(port > 0);
        const link::Connection client = link::connectTcp(host.toStdString(), port, 2000);
        QCOMPARE(client.error, link::ConnectError::None);
        std::unique_ptr<link::Socket> server = listener->accept(2000);
        QVERIFY(server);

        std::array<std::uint8_t, 16> nothing{};
        QCOMPARE(client.socket->receive(nothing), 0L);
        const Bytes request{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD};
        QCOMPARE(client.socket->send(request, 1000), long(request.size()));
        QCOMPARE(receiveSome(*server, request.size()), request);
        const Bytes answer{0x01, 0x83, 0x02, 0xC0, 0xF1};
        QCOMPARE(server->send(answer, 1000), long(answer.size()));
        QCOMPARE(receiveSome(*client.socket, answer.size()), answer);

        server.reset();
        QVERIFY(client.socket->waitReadable(2000));
        QCOMPARE(client.socket->receive(nothing), -1L);
        QVERIFY2(client.socket->brokenReason().empty(), client.socket->brokenReason().c_str()); // closed in order
        QCOMPARE(client.socket->send(request, 100), -1L);

        listener.reset();
        QElapsedTimer took;
        took.start();
        const link::Connection refused = link::connectTcp(host.toStdString(), port, 3000);
        QCOMPARE(refused.error, link::ConnectError::Refused);
        QVERIFY(!refused.socket);
        QVERIFY(!refused.detail.empty());
        QVERIFY2(took.elapsed() < 1000, qPrintable(QString::number(took.elapsed())));
    }
};

QTEST_MAIN(TestWineLine)
#include "test_wine_line.moc"
