#include "link/Modbus.h"
#include "link/Socket.h"
#include "link/Telnet.h"
#include "plix/PlixTransfer.h"
#include "sim/Bus.h"
#include "sim/Device.h"
#include "sim/InProcessPort.h"
#include "sim/NetServer.h"
#include "sim/VirtualPorts.h"
#include "tests/support/Models.h"

#include "tests/support/Restore.h"
#include "tests/support/TestData.h"
#include <QTemporaryDir>

#include <QtTest>
#include <atomic>
#include <thread>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace tarnixw;
using test::Model;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Model)
Q_DECLARE_METATYPE(link::NetKind)

namespace {

Bytes hex(const char* text)
{
    return test::hexBytes(text);
}
using test::withCrc;

Bytes readFrame(std::uint8_t id, int address, int quantity)
{
    Bytes f(8);
    link::buildReadFrame(f, id, std::uint16_t(address), std::uint16_t(quantity));
    return f;
}

Bytes writeFrame(std::uint8_t id, int address, const Bytes& data)
{
    Bytes f(9 + data.size());
    link::buildWriteFrame(f, id, std::uint16_t(address), data);
    return f;
}

Bytes memoryAt(const sim::Device& d, int address, int size)
{
    return Bytes(d.memory().begin() + address, d.memory().begin() + address + size);
}

// A bus served over the network at 127.0.0.1, at a port the system chose, on a thread of its own
// for as long as this lives: a VYRANTA at 1 that follows any rate and one at 9 that hears 9600
// baud only.
struct Served {
    explicit Served(link::NetKind kind, sim::NetServer::Settings settings = {})
    {
        bus.add(test::describe(Model::Vyr), 1);
        bus.add(test::describe(Model::Vyr), 9, 9600);
        settings.address = {kind, QStringLiteral("127.0.0.1"), 0};
        server = std::make_unique<sim::NetServer>(bus, settings);
        const values::Result<link::NetAddress> at = server->listen();
        port = at.ok() ? at.value->port : 0;
        thread = std::thread([this] {
            while (!stop && server->serve(20)) { }
        });
    }
    ~Served()
    {
        stop = true;
        thread.join();
    }
    std::unique_ptr<link::Socket> connect() const { return link::connectTcp("127.0.0.1", port, 2000).socket; }

    sim::Bus bus;
    std::unique_ptr<sim::NetServer> server;
    int port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
};

struct Heard {
    Bytes bytes; // the data of a telnet stream
    bool closed = false;
};

// What `s` receives until `done` says so, the connection ends or `ms` have passed; a telnet
// stream's data when `telnet` is given (it keeps the server's acknowledgements).
Heard hear(link::Socket& s, const std::function<bool(const Bytes&)>& done, int ms = 2000,
    link::telnet::Client* telnet = nullptr)
{
    Heard h;
    QElapsedTimer t;
    t.start();
    while (!done(h.bytes) && !h.closed && t.elapsed() < ms) {
        s.waitReadable(5);
        std::uint8_t buf[256];
        const long n = s.receive(buf);
        h.closed = n < 0;
        Bytes reply;
        if (n > 0 && telnet)
            telnet->receive(std::span(buf, std::size_t(n)), h.bytes, reply);
        else if (n > 0)
            h.bytes.insert(h.bytes.end(), buf, buf + n);
    }
    return h;
}

const auto never = [](const Bytes&) { return false; };

Heard exchange(link::Socket& s, const Bytes& request, std::size_t answerSize)
{
    s.send(request, 1000);
    return hear(s, [answerSize](const Bytes& b) { return b.size() >= answerSize; });
}

} // namespace

class TestDevice : public QObject {
    Q_OBJECT

private slots:
    // Fresh from the factory the PLIX holds the blocks the screen's defaults produce.
    void plixFactoryBlocks()
    {
        sim::Device d(test::describe(Model::Plix), 1);
        QCOMPARE(memoryAt(d, 32, 56),
            hex("00 03 00 00 00 03 00 00 00 00 00 00 00 00 00 00 61 A8 00 00 61 A8 FF FF 9E 58 FF FF 9E 58"
                " 00 00 03 E8 00 00 03 E8 00 00 EA 60 00 00 EA 60 00 00 9C 40 00 00 9C 40 01 01"));
        QCOMPARE(memoryAt(d, 2048, 38),
            hex("00 00 03 E8 00 00 03 E8 00 00 13 88 00 00 13 88 00 00 00 00 00 00 00 00"
                " 00 01 86 A0 00 01 86 A0 00 1E 00 1E 05 05"));
        QVERIFY(!d.writeEnabled());
    }

    void vyrFactoryMemory_data()
    {
        QTest::addColumn<int>("address");
        QTest::addColumn<Bytes>("bytes");
        QTest::newRow("channels in use") << 32 << hex("FF FF 00 00 00 FF 00 00 00 00");
        QTest::newRow("gain 15") << 102 + 60 << hex("00 00 61 A8");
        QTest::newRow("offset 0") << 166 << hex("FF FF 9E 58");
        QTest::newRow("gain base 3") << 230 + 12 << hex("00 00 03 E8");
        QTest::newRow("high limit 0") << 294 << hex("00 00 EA 60");
        QTest::newRow("low limit 15") << 358 + 60 << hex("00 00 9C 40");
        QTest::newRow("DI and DO masks") << 422 << Bytes(12 + 384, 0);
        QTest::newRow("digits") << 818 << Bytes(16, 1);
        QTest::newRow("unedited tail") << 834 << Bytes(16, 0);
        QTest::newRow("SFrom 15") << 2048 + 60 << hex("00 00 03 E8");
        QTest::newRow("STo 0") << 2112 << hex("00 00 13 88");
        QTest::newRow("DFrom 0") << 2176 << hex("00 00 00 00");
        QTest::newRow("DTo 15") << 2240 + 60 << hex("00 01 86 A0");
        QTest::newRow("analog silence 15") << 2304 + 30 << hex("00 1E");
        QTest::newRow("DI silence module 2 channel 15") << 2336 + 64 + 30 << hex("00 1E");
        QTest::newRow("hysteresis") << 2432 << Bytes(16, 5);
    }
    void vyrFactoryMemory()
    {
        QFETCH(int, address);
        QFETCH(Bytes, bytes);
        sim::Device d(test::describe(Model::Vyr), 1);
        QCOMPARE(memoryAt(d, address, int(bytes.size())), bytes);
    }

    void answers_data()
    {
        QTest::addColumn<Model>("model");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<Bytes>("answer");
        QTest::newRow("read") << Model::Vyr << readFrame(1, 32, 2) << withCrc(hex("01 03 04 FF FF 00 00"));
        QTest::newRow("probe") << Model::Plix << hex("01 04 10 00 00 01 35 0A") << withCrc(hex("01 04 02 00 02"));
        QTest::newRow("unknown function")
            << Model::Vyr << withCrc(hex("01 05 00 20 FF 00")) << withCrc(hex("01 85 01"));
        QTest::newRow("below the area") << Model::Vyr << readFrame(1, 30, 2) << withCrc(hex("01 83 02"));
        QTest::newRow("across the area end") << Model::Vyr << readFrame(1, 848, 2) << withCrc(hex("01 83 02"));
        QTest::newRow("last bytes of area 2") << Model::Vyr << readFrame(1, 2446, 1) << withCrc(hex("01 03 02 05 05"));
        QTest::newRow("PLIX beyond block B") << Model::Plix << readFrame(1, 2048, 20) << withCrc(hex("01 83 02"));
        QTest::newRow("quantity 0") << Model::Vyr << readFrame(1, 32, 0) << withCrc(hex("01 83 03"));
        QTest::newRow("quantity 126") << Model::Vyr << readFrame(1, 32, 126) << withCrc(hex("01 83 03"));
        QTest::newRow("probe elsewhere") << Model::Vyr << withCrc(hex("01 04 00 20 00 01")) << withCrc(hex("01 84 02"));
        QTest::newRow("byte count mismatch")
            << Model::Vyr << withCrc(hex("01 10 00 20 00 02 02 00 01")) << withCrc(hex("01 90 03"));
        QTest::newRow("VYR write") << Model::Vyr << writeFrame(1, 2048, hex("00 00 00 07"))
                                   << withCrc(hex("01 10 08 00 00 02"));
        QTest::newRow("PLIX write while closed")
            << Model::Plix << writeFrame(1, 32, hex("00 01")) << withCrc(hex("01 90 04"));
        QTest::newRow("PLIX bad write-enable value")
            << Model::Plix << writeFrame(1, 4010, hex("12 34")) << withCrc(hex("01 90 03"));
        QTest::newRow("other id") << Model::Vyr << readFrame(2, 32, 2) << Bytes{};
        QTest::newRow("broadcast") << Model::Vyr << readFrame(0, 32, 2) << Bytes{};
        Bytes damaged = readFrame(1, 32, 2);
        damaged[7] ^= 0x10;
        QTest::newRow("damaged") << Model::Vyr << damaged << Bytes{};
    }
    void answers()
    {
        QFETCH(Model, model);
        QFETCH(Bytes, request);
        QFETCH(Bytes, answer);
        sim::Device d(test::describe(model), 1);
        const Bytes before = memoryAt(d, 0, sim::Device::kMemorySize);
        QCOMPARE(d.handle(request).bytes, answer);
        const bool wrote = answer.size() == 8 && answer[1] == 16;
        QCOMPARE(memoryAt(d, 0, sim::Device::kMemorySize) != before, wrote);
    }

    // Several devices on one line: each answers its own id, a device at its own rate hears a
    // master at another as noise, two at one id talk over each other (even when they would say
    // the same).
    void bus_data()
    {
        QTest::addColumn<int>("lineBaud");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<Bytes>("answer"); // empty: none; "damaged": a frame whose CRC fails
        const Bytes damaged = hex("DA");
        QTest::newRow("VYRANTA at 1") << 19200 << hex("01 04 10 00 00 01 35 0A") << withCrc(hex("01 04 02 00 01"));
        QTest::newRow("PLIXARO at 7") << 19200 << withCrc(hex("07 04 10 00 00 01")) << withCrc(hex("07 04 02 00 02"));
        QTest::newRow("9 at 9600, the line at 19200") << 19200 << withCrc(hex("09 04 10 00 00 01")) << Bytes{};
        QTest::newRow("9 at 9600, the line at 9600")
            << 9600 << withCrc(hex("09 04 10 00 00 01")) << withCrc(hex("09 04 02 00 01"));
        QTest::newRow("two models at 12") << 19200 << withCrc(hex("0C 04 10 00 00 01")) << damaged;
        QTest::newRow("two alike at 13") << 19200 << readFrame(13, 32, 2) << damaged;
        QTest::newRow("nobody at 20") << 19200 << readFrame(20, 32, 2) << Bytes{};
    }
    void bus()
    {
        QFETCH(int, lineBaud);
        QFETCH(Bytes, request);
        QFETCH(Bytes, answer);
        sim::Bus bus;
        bus.add(test::describe(Model::Vyr), 1);
        bus.add(test::describe(Model::Plix), 7);
        bus.add(test::describe(Model::Vyr), 9, 9600);
        bus.add(test::describe(Model::Plix), 12);
        bus.add(test::describe(Model::Vyr), 12);
        bus.add(test::describe(Model::Vyr), 13);
        bus.add(test::describe(Model::Vyr), 13);
        const sim::Device::Reply reply = bus.handle(request, lineBaud);
        QVERIFY(!reply.unplugged);
        if (answer == hex("DA")) {
            QVERIFY(!reply.bytes.empty());
            QVERIFY(!link::hasValidCrc(reply.bytes));
        } else {
            QCOMPARE(reply.bytes, answer);
        }
    }

    void plixWriteEnable()
    {
        sim::Device d(test::describe(Model::Plix), 3);
        const Bytes open = writeFrame(
            3, 4010, {std::uint8_t(plix::kWriteEnableValue >> 8), std::uint8_t(plix::kWriteEnableValue & 0xFF)});
        QCOMPARE(d.handle(open).bytes.size(), std::size_t(8));
        QVERIFY(d.writeEnabled());
        QCOMPARE(d.handle(writeFrame(3, 2080, hex("00 0A"))).bytes, withCrc(hex("03 10 08 20 00 01")));
        QCOMPARE(memoryAt(d, 2080, 2), hex("00 0A"));
        QCOMPARE(d.handle(writeFrame(3, 4010, hex("FF FF"))).bytes.size(), std::size_t(8));
        QVERIFY(!d.writeEnabled());
        QCOMPARE(d.handle(writeFrame(3, 2080, hex("00 0B"))).bytes, withCrc(hex("03 90 04")));
        QCOMPARE(memoryAt(d, 2080, 2), hex("00 0A"));
    }

    void faults()
    {
        sim::Device d(test::describe(Model::Vyr), 1);
        const Bytes req = readFrame(1, 32, 2);
        const Bytes good = withCrc(hex("01 03 04 FF FF 00 00"));
        d.faults().silentNext = 2;
        d.faults().silentEvery = 5;
        QVERIFY(d.handle(req).bytes.empty());
        QVERIFY(d.handle(req).bytes.empty());
        QCOMPARE(d.handle(req).bytes, good);
        QCOMPARE(d.handle(req).bytes, good);
        QVERIFY(d.handle(req).bytes.empty()); // the 5th
        d.faults() = {};
        d.faults().wrongId = 9;
        QCOMPARE(d.handle(req).bytes, withCrc(hex("09 03 04 FF FF 00 00")));
        d.faults() = {};
        d.faults().truncate = true;
        QCOMPARE(d.handle(req).bytes, Bytes(good.begin(), good.begin() + 4));
        d.faults() = {};
        d.faults().badCrc = true;
        const Bytes bad = d.handle(req).bytes;
        QCOMPARE(bad.size(), good.size());
        QVERIFY(!link::hasValidCrc(bad));
        d.faults() = {};
        d.faults().exceptionCode = 6;
        QCOMPARE(d.handle(writeFrame(1, 2048, hex("00 01"))).bytes, withCrc(hex("01 90 06")));
        QCOMPARE(memoryAt(d, 2048, 2), hex("00 00")); // a refused write changes nothing
        d.faults() = {};
        d.faults().lateMs = 40;
        QCOMPARE(d.handle(req).delayMs, 40);
        d.faults().unplugAfter = d.requestCount();
        QVERIFY(d.handle(req).unplugged);
        QVERIFY(d.handle(readFrame(7, 32, 2)).unplugged);
    }

    void memoryFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mem.bin"));
        sim::Device a(test::describe(Model::Vyr), 1);
        a.memory()[2500] = 0x5A;
        QVERIFY(a.dumpMemory(path));
        QCOMPARE(QFileInfo(path).size(), qint64(sim::Device::kMemorySize));
        sim::Device b(test::describe(Model::Plix), 1);
        QVERIFY(b.loadMemory(path));
        QCOMPARE(memoryAt(b, 0, sim::Device::kMemorySize), memoryAt(a, 0, sim::Device::kMemorySize));
        QVERIFY(!b.loadMemory(dir.filePath(QStringLiteral("missing"))));
        // A configuration file given for a memory image, or an image with a byte too many, is
        // refused whole: the memory stays as it was.
        const Bytes before = memoryAt(b, 0, sim::Device::kMemorySize);
        for (const qsizetype size : {qsizetype(1204), qsizetype(sim::Device::kMemorySize + 1)}) {
            const QString wrong = dir.filePath(QStringLiteral("wrong.bin"));
            QVERIFY(test::writeFileContent(wrong, QByteArray(size, '\x5A')));
            QString error;
            QVERIFY(!b.loadMemory(wrong, &error));
            QVERIFY2(error.endsWith(QStringLiteral("a memory image has exactly 4096 bytes (as --dump writes it); "
                                                   "this file has %1 bytes")
                                        .arg(size)),
                qPrintable(error));
            QCOMPARE(memoryAt(b, 0, sim::Device::kMemorySize), before);
        }
    }

    // The answer can be read once request and answer have crossed the line at the baud rate.
    void inProcessLineTime()
    {
        link::VirtualClock clock;
        sim::Device d(test::describe(Model::Vyr), 1);
        sim::InProcessPort port(d, clock, 9600);
        const Bytes req = readFrame(1, 32, 32);
        QCOMPARE(port.write(req), long(8));
        const std::int64_t due = link::lineTimeNs(8 + 69, 9600);
        QCOMPARE(due, std::int64_t(80'208'333));
        clock.advanceNs(due - 1);
        QCOMPARE(port.bytesAvailable(), std::size_t(0));
        clock.advanceNs(1);
        QCOMPARE(port.bytesAvailable(), std::size_t(69));
        port.purge();
        QCOMPARE(port.bytesAvailable(), std::size_t(0));
        port.unplug();
        QCOMPARE(port.write(req), long(-1));
        clock.advanceNs(1'000'000'000);
        QCOMPARE(port.bytesAvailable(), std::size_t(0));
    }

    // Over the network the bus answers in the request's envelope, however the stream cuts the
    // request, once request and answer would have crossed the line (at 9600 baud here).
    void netAnswers_data()
    {
        QTest::addColumn<link::NetKind>("kind");
        QTest::addColumn<Bytes>("request");
        QTest::addColumn<Bytes>("answer");
        QTest::addColumn<int>("lineBytes"); // request and answer as RTU frames
        QTest::newRow("tcp:// read") << link::NetKind::ModbusTcp << hex("12 34 00 00 00 06 01 03 00 20 00 02")
                                     << hex("12 34 00 00 00 07 01 03 04 FF FF 00 00") << 17;
        QTest::newRow("tcp:// write to unit 9")
            << link::NetKind::ModbusTcp << hex("FF FE 00 00 00 0B 09 10 08 00 00 02 04 00 00 00 07")
            << hex("FF FE 00 00 00 06 09 10 08 00 00 02") << 21;
        QTest::newRow("socket:// read") << link::NetKind::Raw << readFrame(1, 32, 2)
                                        << withCrc(hex("01 03 04 FF FF 00 00")) << 17;
        QTest::newRow("rfc2217:// read, 0xFF in the answer")
            << link::NetKind::Rfc2217 << readFrame(1, 32, 2) << withCrc(hex("01 03 04 FF FF 00 00")) << 17;
        QTest::newRow("rfc2217:// write, 0xFF in the request")
            << link::NetKind::Rfc2217 << writeFrame(1, 2048, hex("FF FF")) << withCrc(hex("01 10 08 00 00 01")) << 19;
    }
    void netAnswers()
    {
        QFETCH(link::NetKind, kind);
        QFETCH(Bytes, request);
        QFETCH(Bytes, answer);
        QFETCH(int, lineBytes);
        sim::NetServer::Settings settings;
        settings.baud = 9600;
        Served served(kind, settings);
        const std::unique_ptr<link::Socket> client = served.connect();
        QVERIFY(client);
        Bytes wire;
        if (kind == link::NetKind::Rfc2217)
            link::telnet::escape(request, wire);
        else
            wire = request;
        const std::span<const std::uint8_t> w(wire);
        for (const std::span<const std::uint8_t> piece : {w.first(3), w.subspan(3, w.size() - 4)}) {
            QCOMPARE(client->send(piece, 1000), long(piece.size()));
            QThread::msleep(2);
        }
        QCOMPARE(client->send(w.last(1), 1000), 1L);
        QElapsedTimer sent;
        sent.start();
        link::telnet::Client telnet;
        const Heard heard = hear(
            *client, [&](const Bytes& b) { return b.size() >= answer.size(); }, 2000,
            kind == link::NetKind::Rfc2217 ? &telnet : nullptr);
        QCOMPARE(heard.bytes, answer);
        QVERIFY(sent.nsecsElapsed() >= link::lineTimeNs(std::size_t(lineBytes), 9600));
    }

    // An RFC 2217 client sets the line's rate, which the devices hear; a server of one rate
    // acknowledges its own and the line stays at it.
    void netBaud_data()
    {
        QTest::addColumn<int>("fixed"); // 0: none
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("acknowledged");
        QTest::newRow("as asked") << 0 << 9600 << 9600;
        QTest::newRow("fixed, another asked") << 19200 << 9600 << 19200;
        QTest::newRow("fixed at 9600") << 9600 << 19200 << 9600;
    }
    void netBaud()
    {
        QFETCH(int, fixed);
        QFETCH(int, asked);
        QFETCH(int, acknowledged);
        sim::NetServer::Settings settings;
        if (fixed)
            settings.fixedBaud = std::uint32_t(fixed);
        Served served(link::NetKind::Rfc2217, settings);
        const std::unique_ptr<link::Socket> client = served.connect();
        QVERIFY(client);
        client->send(link::telnet::Client::greeting(), 1000);
        client->send(link::telnet::Client::lineSettings(std::uint32_t(asked)), 1000);
        link::telnet::Client telnet;
        hear(
            *client, [&](const Bytes&) { return telnet.baudAck.has_value(); }, 2000, &telnet);
        QCOMPARE(telnet.baudAck, std::optional<std::uint32_t>(acknowledged));
        // The VYRANTA at 9 hears 9600 baud only.
        client->send(readFrame(9, 32, 2), 1000);
        const Heard heard = hear(
            *client, [](const Bytes& b) { return b.size() >= 9; }, 500, &telnet);
        QCOMPARE(heard.bytes, acknowledged == 9600 ? withCrc(hex("09 03 04 FF FF 00 00")) : Bytes{});
    }

    // One client at a time: a second is closed at once while the first goes on being served;
    // once the first has gone the next is served, and finds what the first wrote.
    void netOneClient()
    {
        Served served(link::NetKind::Raw);
        std::unique_ptr<link::Socket> first = served.connect();
        QVERIFY(first);
        QCOMPARE(exchange(*first, writeFrame(1, 2048, hex("00 2A")), 8).bytes, withCrc(hex("01 10 08 00 00 01")));
        const std::unique_ptr<link::Socket> second = served.connect();
        QVERIFY(second);
        QVERIFY(hear(*second, never).closed);
        QCOMPARE(exchange(*first, readFrame(1, 2048, 1), 7).bytes, withCrc(hex("01 03 02 00 2A")));
        first.reset();
        const std::unique_ptr<link::Socket> next = served.connect();
        QVERIFY(next);
        QCOMPARE(exchange(*next, readFrame(1, 2048, 1), 7).bytes, withCrc(hex("01 03 02 00 2A")));
    }

    // A Modbus TCP header no frame has ends the connection: the stream is out of step. A frame
    // still on its way does not.
    void netBadMbapHeader_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<bool>("closes");
        QTest::newRow("length 255") << hex("00 01 00 00 00 FF 01 03 00 20 00 02") << true;
        QTest::newRow("length 1") << hex("00 01 00 00 00 01 01") << true;
        QTest::newRow("protocol 1") << hex("00 01 00 01 00 06 01 03 00 20 00 02") << true;
        QTest::newRow("a frame still coming") << hex("00 01 00 00 00 06 01 03 00") << false;
    }
    void netBadMbapHeader()
    {
        QFETCH(Bytes, bytes);
        QFETCH(bool, closes);
        Served served(link::NetKind::ModbusTcp);
        const std::unique_ptr<link::Socket> client = served.connect();
        QVERIFY(client);
        client->send(bytes, 1000);
        const Heard heard = hear(*client, never, closes ? 2000 : 300);
        QCOMPARE(heard.closed, closes);
        QCOMPARE(heard.bytes, Bytes{});
    }

#ifdef TARNIXW_DEVSIM
    // tarnixw-devsim --listen tells the address it listens at on a line of its own; with
    // --drop-after 2 each connection ends as its second request comes, unanswered.
    void devsimListens()
    {
        QProcess sim;
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(TARNIXW_DEVSIM),
            {QStringLiteral("--listen"), QStringLiteral("tcp://127.0.0.1:0"), QStringLiteral("--drop-after"),
                QStringLiteral("2"), QStringLiteral("--log"), QProcess::nullDevice()});
        QVERIFY(sim.waitForStarted(5000));
        for (int i = 0; i < 50 && !sim.canReadLine(); ++i)
            sim.waitForReadyRead(100);
        const QString line = QString::fromUtf8(sim.readLine());
        static const QRegularExpression listening(QStringLiteral(R"(^listening tcp://127\.0\.0\.1:(\d+)\n$)"));
        const QRegularExpressionMatch m = listening.match(line);
        QVERIFY2(m.hasMatch(), qPrintable(line));
        const Bytes request = hex("00 07 00 00 00 06 01 03 00 20 00 02");
        for (int connection = 1; connection <= 2; ++connection) {
            const std::unique_ptr<link::Socket> client
                = link::connectTcp("127.0.0.1", m.captured(1).toInt(), 2000).socket;
            QVERIFY(client);
            QCOMPARE(exchange(*client, request, 13).bytes, hex("00 07 00 00 00 07 01 03 04 FF FF 00 00"));
            const Heard dropped = exchange(*client, request, 13);
            QVERIFY(dropped.closed);
            QCOMPARE(dropped.bytes, Bytes{});
        }
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
    }
#endif

#ifdef Q_OS_UNIX
    // Where tarnixw-devsim publishes its pseudo-terminal (Linux only).
    void virtualPortDirectory()
    {
        QTemporaryDir dir;
        test::EnvironmentVariable runtime("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
        QCOMPARE(sim::virtualPortDirectory(), dir.path() + QStringLiteral("/tarnixw/ports"));
        const values::Result<QString> made = sim::ensureVirtualPortDirectory();
        QCOMPARE(made.value, std::optional<QString>(dir.path() + QStringLiteral("/tarnixw/ports")));
        QCOMPARE(QFileInfo(*made.value).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther),
            QFile::Permissions{});
        runtime.set(std::nullopt);
        QCOMPARE(sim::virtualPortDirectory(), QStringLiteral("/tmp/tarnixw-%1/ports").arg(::getuid()));
    }
#endif
};

QTEST_GUILESS_MAIN(TestDevice)
#include "test_device.moc"
