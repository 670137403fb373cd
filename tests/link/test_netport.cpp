#include "link/DeviceSession.h"
#include "link/ModbusLink.h"
#include "link/ModbusTcp.h"
#include "link/NetAddress.h"
#include "link/NetPort.h"
#include "link/NetworkPorts.h"
#include "link/Socket.h"
#include "link/Telnet.h"

#include "tests/support/TestData.h"

#include <QtTest>
#include <atomic>
#include <thread>

using namespace tarnixw;
using Bytes = std::vector<std::uint8_t>;
using Kind = link::Verdict::Kind;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(Kind)

namespace {

Bytes hex(const char* text)
{
    return test::hexBytes(text);
}

// A read of 2 registers at byte address 0x0900 for slave 1, transaction 0x0102.
const Bytes kRequest = hex("01 02 00 00 00 06 01 03 09 00 00 02");

// A listener on the loopback for one test, with a port nothing else uses.
std::unique_ptr<link::Listener> listenHere(int backlog = 8)
{
    std::string why;
    auto l = link::listenTcp("127.0.0.1", 0, why, backlog);
    if (!l)
        qWarning("listen: %s", why.c_str());
    return l;
}

} // namespace

class TestNetPort : public QObject {
    Q_OBJECT

private slots:
    // --- addresses and the user's file ---------------------------------------------------
    void address_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written"); // the address as written back, or empty
        QTest::addColumn<QString>("error"); // a part of the message
        QTest::newRow("raw") << "socket://10.0.0.5:4001"
                             << "socket://10.0.0.5:4001"
                             << "";
        QTest::newRow("rfc2217, name") << "RFC2217://plant-gw.local:2217"
                                       << "rfc2217://plant-gw.local:2217"
                                       << "";
        QTest::newRow("tcp, port 502") << "tcp://gw"
                                       << "tcp://gw:502"
                                       << "";
        QTest::newRow("ipv6") << "tcp://[::1]:5020"
                              << "tcp://[::1]:5020"
                              << "";
        QTest::newRow("ipv6, default port") << "tcp://[fe80::1%eth0]"
                                            << "tcp://[fe80::1%eth0]:502"
                                            << "";
        QTest::newRow("window") << "socket://h:1?window=500"
                                << "socket://h:1?window=500"
                                << "";
        QTest::newRow("raw needs a port") << "socket://h"
                                          << ""
                                          << "names no TCP port";
        QTest::newRow("port 0") << "socket://h:0"
                                << ""
                                << "from 1 to 65535";
        QTest::newRow("port 65536") << "tcp://h:65536"
                                    << ""
                                    << "from 1 to 65535";
        QTest::newRow("signed port") << "tcp://h:+502"
                                     << ""
                                     << "from 1 to 65535";
        QTest::newRow("ipv6 unbracketed") << "tcp://::1:5020"
                                          << ""
                                          << "in brackets";
        QTest::newRow("no host") << "tcp://:502"
                                 << ""
                                 << "names no host";
        QTest::newRow("odd host") << "tcp://a b:502"
                                  << ""
                                  << "names no host";
        QTest::newRow("scheme") << "udp://h:502"
                                << ""
                                << "udp:// is no kind";
        QTest::newRow("option") << "tcp://h?timeout=5"
                                << ""
                                << "timeout is unknown";
        QTest::newRow("window too long") << "tcp://h?window=60001"
                                         << ""
                                         << "from 0 to 60000";
        QTest::newRow("window not a number") << "tcp://h?window=-5"
                                             << ""
                                             << "from 0 to 60000";
    }
    void address()
    {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QFETCH(QString, error);
        QVERIFY(link::looksLikeNetAddress(text));
        const values::Result<link::NetAddress> a = link::parseNetAddress(text);
        QCOMPARE(a.ok() ? a.value->text() : QString(), written);
        QVERIFY2(a.error.contains(error), qPrintable(a.error));
    }

    void portsFile()
    {
        const link::NetworkPortFile f
            = link::parseNetworkPorts(QStringLiteral("# name  address  options\n"
                                                     "plant-a   socket://192.168.10.20:4001   # the hall\n"
                                                     "\n"
                                                     "gw\ttcp://[::1]  window=250\n"
                                                     "lonely\n"
                                                     "bad  tcp://h:99999\n"
                                                     "plant-a  tcp://other\n"
                                                     "slow  rfc2217://h:2217?window=100  window=900\n"
                                                     "odd  tcp://h  timeout=3\n"));
        QStringList ports;
        for (const link::NetworkPort& p : f.ports)
            ports << p.name + QLatin1Char(' ') + p.address.text();
        QCOMPARE(ports,
            QStringList({"plant-a socket://192.168.10.20:4001", "gw tcp://[::1]:502?window=250",
                "slow rfc2217://h:2217?window=900"}));
        QCOMPARE(f.problems.size(), 4);
        QVERIFY(f.problems[0].startsWith("line 5: lonely has no address"));
        QVERIFY(f.problems[1].startsWith("line 6: "));
        QVERIFY(f.problems[2].startsWith("line 7: plant-a is named before"));
        QVERIFY(f.problems[3].contains("timeout is unknown"));
    }

    // --- Modbus TCP frames -----------------------------------------------------------------
    void tcpVerdict_data()
    {
        QTest::addColumn<Bytes>("answer");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("value");
        QTest::newRow("answer") << hex("01 02 00 00 00 07 01 03 04 00 1E 00 1F") << Kind::Answer << 0;
        QTest::newRow("cut in the data") << hex("01 02 00 00 00 07 01 03 04 00") << Kind::Incomplete << 0;
        QTest::newRow("cut in the header") << hex("01 02 00") << Kind::Incomplete << 0;
        QTest::newRow("another transaction") << hex("01 03 00 00 00 07 01 03 04 00 1E 00 1F") << Kind::Damaged << 0;
        QTest::newRow("protocol 1") << hex("01 02 00 01 00 07 01 03 04 00 1E 00 1F") << Kind::Damaged << 0;
        QTest::newRow("length says more than a frame")
            << hex("01 02 00 00 FF FF 01 03 04 00 1E 00 1F") << Kind::Damaged << 0;
        QTest::newRow("bytes after the frame")
            << hex("01 02 00 00 00 07 01 03 04 00 1E 00 1F 00") << Kind::Damaged << 0;
        QTest::newRow("another unit") << hex("01 02 00 00 00 07 05 03 04 00 1E 00 1F") << Kind::OtherSlave << 5;
        QTest::newRow("byte count") << hex("01 02 00 00 00 07 01 03 02 00 1E 00 1F") << Kind::Mismatch << 0;
        QTest::newRow("device exception") << hex("01 02 00 00 00 03 01 83 02") << Kind::Exception << 2;
        QTest::newRow("gateway: no path") << hex("01 02 00 00 00 03 01 83 0A") << Kind::GatewaySilent << 10;
        QTest::newRow("gateway: device silent") << hex("01 02 00 00 00 03 01 83 0B") << Kind::GatewaySilent << 11;
    }
    void tcpVerdict()
    {
        QFETCH(Bytes, answer);
        QFETCH(Kind, kind);
        QFETCH(int, value);
        Bytes buffer(64);
        std::copy(answer.begin(), answer.end(), buffer.begin());
        const link::Verdict v = link::judgeAnswer(link::kTcpFraming, kRequest, buffer, answer.size(), 1);
        QCOMPARE(v.kind, kind);
        QCOMPARE(v.value, value);
        QCOMPARE(v.expected, 13);
        // A gateway's word on a silent device is no answer and no refusal: the link tries again.
        QCOMPARE(v.accepted() || v.rejected(),
            kind != Kind::GatewaySilent && kind != Kind::Incomplete && kind != Kind::Damaged);
    }

    // The frames of other transactions are dropped whole, however the stream is cut; a stream
    // out of step is passed on for the link to judge; a purge drops the frame in progress.
    void tcpSorting_data()
    {
        QTest::addColumn<Bytes>("stream");
        QTest::addColumn<Bytes>("forLink");
        QTest::addColumn<int>("dropped");
        const Bytes ours = hex("01 02 00 00 00 07 01 03 04 00 1E 00 1F");
        const Bytes late = hex("01 01 00 00 00 07 01 03 04 00 AA 00 BB");
        const Bytes lateGateway = hex("01 00 00 00 00 03 01 83 0B");
        Bytes both = late;
        both.insert(both.end(), lateGateway.begin(), lateGateway.end());
        both.insert(both.end(), ours.begin(), ours.end());
        QTest::newRow("ours") << ours << ours << 0;
        QTest::newRow("two late frames, then ours") << both << ours << 2;
        const Bytes absurd = hex("01 01 00 00 FF FF 01 03");
        QTest::newRow("out of step") << absurd << absurd << 0;
        const Bytes protocol = hex("01 02 00 07 00 07 01 03 04 00 1E 00 1F");
        QTest::newRow("protocol not 0") << protocol << protocol << 0;
    }
    void tcpSorting()
    {
        QFETCH(Bytes, stream);
        QFETCH(Bytes, forLink);
        QFETCH(int, dropped);
        for (std::size_t piece : {std::size_t(1), std::size_t(3), stream.size()}) {
            link::MbapSorter sorter;
            Bytes out;
            int n = 0;
            for (std::size_t i = 0; i < stream.size(); i += piece)
                n += sorter.feed(std::span(stream).subspan(i, std::min(piece, stream.size() - i)), 0x0102, out);
            QCOMPARE(out, forLink);
            QCOMPARE(n, dropped);
        }
        // Purged in the middle of a header and of a frame: the rest of that frame never shows.
        for (std::size_t cut : {std::size_t(3), std::size_t(9)}) {
            link::MbapSorter sorter;
            Bytes out;
            const Bytes ours = hex("01 02 00 00 00 07 01 03 04 00 1E 00 1F");
            Bytes twice = ours;
            twice.insert(twice.end(), ours.begin(), ours.end());
            sorter.feed(std::span(twice).first(cut), 0x0102, out);
            sorter.purge();
            out.clear();
            sorter.feed(std::span(twice).subspan(cut), 0x0102, out);
            QCOMPARE(out, ours);
        }
    }

    // --- connecting ------------------------------------------------------------------------
    void connectFaults_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("detail");
        QTest::newRow("nothing listens") << "refused"
                                         << "the connection was refused: nothing listens at that port";
        // A label longer than 63 characters is refused by the resolver before any query goes out.
        QTest::newRow("host unknown") << "unknown"
                                      << "is unknown";
        QTest::newRow("accepts nothing") << "backlog"
                                         << "nothing answered the connection within 3 s";
        QTest::newRow("Ctrl+C") << "stop"
                                << "the connection was interrupted";
    }
    void connectFaults()
    {
        QFETCH(QString, fault);
        QFETCH(QString, detail);
        std::unique_ptr<link::Listener> listener = listenHere(0);
        QVERIFY(listener);
        QString host = QStringLiteral("127.0.0.1");
        int port = listener->port();
        std::vector<link::Connection> filling;
        if (fault == "refused") {
            listener.reset();
        } else if (fault == "unknown") {
            host = QString(64, QLatin1Char('x')) + QStringLiteral(".invalid");
        } else {
            // A listener that never accepts: once its queue is full, the next connect waits.
            for (int i = 0; i < 3; ++i)
                filling.push_back(link::connectTcp("127.0.0.1", port, 100));
        }
        const auto stopAfter = std::chrono::steady_clock::now() + std::chrono::milliseconds(100);
        const auto stop = [&] { return fault == "stop" && std::chrono::steady_clock::now() > stopAfter; };
        // As an operation opens it: the session's interruption reaches the connect.
        link::ComPort comPort;
        link::ModelBuffers buffers = link::ModelBuffers::sized(256, 256, 8);
        link::TrafficLog log;
        link::DeviceSession session(comPort, buffers, log);
        link::DeviceSession::Setup setup;
        setup.operation = QStringLiteral("Read");
        setup.devicePath = QStringLiteral("socket://%1:%2").arg(host).arg(port);
        setup.interrupted = stop;
        const link::OpenOutcome r = session.open(setup);
        QVERIFY(!comPort.isOpen());
        QCOMPARE(r.error, link::OpenError::Other);
        QVERIFY2(QString::fromStdString(r.detail).contains(detail), r.detail.c_str());
    }

    // --- the port on a connection ----------------------------------------------------------
    // The link over a server that goes away: silences told as the connection's end, nothing
    // hung, writes refused.
    void droppedConnection()
    {
        std::unique_ptr<link::Listener> listener = listenHere();
        QVERIFY(listener);
        link::OpenResult r = link::openNetworkPort(
            *link::parseNetAddress(QStringLiteral("tcp://127.0.0.1:%1?window=60").arg(listener->port())).value, 19200);
        QVERIFY(r.port);
        std::unique_ptr<link::Socket> server = listener->accept(1000);
        QVERIFY(server);
        link::ModelBuffers buffers = link::ModelBuffers::sized(256, 256, 8);
        link::ModbusLink bus(buffers, *r.port, link::operationClock());
        QCOMPARE(&bus.framing(), &link::kTcpFraming);
        bus.SlaveId = 7;
        bus.beginOperation();
        // The first block is answered (after a late frame of another transaction), then the
        // server hangs up.
        std::jthread serve([&] {
            Bytes request(64);
            long got = 0;
            for (int i = 0; i < 200 && got < 12; ++i) {
                server->waitReadable(10);
                got += std::max(0L, server->receive(std::span(request).subspan(std::size_t(got))));
            }
            Bytes answer = hex("00 00 00 00 00 07 07 03 04 01 02 03 04");
            answer[0] = request[0];
            answer[1] = request[1];
            Bytes late = hex("00 00 00 00 00 03 07 83 0B");
            late[1] = std::uint8_t(request[1] - 1);
            server->send(late, 1000);
            server->send(answer, 1000);
            server.reset();
        });
        const bool first = bus.ReadBlocks(0, 1, 4, 4, 0);
        serve.join();
        QVERIFY(first);
        QCOMPARE(Bytes(buffers.DeviceImage.begin(), buffers.DeviceImage.begin() + 4), hex("01 02 03 04"));
        const auto started = std::chrono::steady_clock::now();
        QVERIFY(!bus.ReadBlocks(0, 1, 4, 4, 4));
        QCOMPARE(bus.stopReason(), link::StopReason::NoResponse);
        QCOMPARE(bus.exchanges().lastAnswer.kind, Kind::Disconnected);
        QVERIFY(r.port->connectionLost());
        QCOMPARE(r.port->write(kRequest), -1L);
        // Three tries of at least the 60 ms window (four steps of 15 ms), and no more.
        QVERIFY(std::chrono::steady_clock::now() - started < std::chrono::seconds(3));
    }

    // RFC 2217: the line settings are set and confirmed before the port counts as open, and a
    // server that sets another rate is told as a setup failure; data bytes 0xFF travel doubled.
    void rfc2217_data()
    {
        QTest::addColumn<int>("fixedBaud"); // 0: the server takes the rate asked
        QTest::addColumn<bool>("opens");
        QTest::newRow("rate taken") << 0 << true;
        QTest::newRow("rate refused") << 9600 << false;
    }
    void rfc2217()
    {
        QFETCH(int, fixedBaud);
        QFETCH(bool, opens);
        std::unique_ptr<link::Listener> listener = listenHere();
        QVERIFY(listener);
        std::atomic<bool> done{false};
        Bytes serverData;
        // Ends the server (and waits for it) however the test ends.
        struct Done {
            std::atomic<bool>& flag;
            ~Done() { flag = true; }
        };
        std::jthread serve([&] {
            std::unique_ptr<link::Socket> s = listener->accept(3000);
            if (!s)
                return;
            link::telnet::Server telnet(fixedBaud ? std::optional<std::uint32_t>(fixedBaud) : std::nullopt);
            s->send(link::telnet::Server::greeting(), 1000);
            std::uint8_t chunk[256];
            for (int i = 0; i < 500 && !done; ++i) {
                s->waitReadable(10);
                const long n = s->receive(chunk);
                if (n < 0)
                    break;
                Bytes data;
                Bytes reply;
                telnet.receive(std::span(chunk, std::size_t(n)), data, reply);
                serverData.insert(serverData.end(), data.begin(), data.end());
                if (!data.empty()) { // echo the data back, with an option sequence after its first byte
                    Bytes echo;
                    link::telnet::escape(data, echo);
                    echo.insert(echo.begin() + (data[0] == 0xFF ? 2 : 1), {255, 251, 1});
                    reply.insert(reply.end(), echo.begin(), echo.end());
                }
                if (!reply.empty())
                    s->send(reply, 1000);
            }
        });
        const Done ending{done};
        link::OpenResult r = link::openNetworkPort(
            *link::parseNetAddress(QStringLiteral("rfc2217://127.0.0.1:%1").arg(listener->port())).value, 19200);
        if (opens) {
            QVERIFY2(r.port, r.detail.c_str());
            const Bytes frame = hex("FF FF 00 FF 01");
            QCOMPARE(r.port->write(frame), 5L);
            Bytes back;
            for (int i = 0; i < 300 && back.size() < frame.size(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                Bytes chunk(r.port->bytesAvailable());
                r.port->read(chunk);
                back.insert(back.end(), chunk.begin(), chunk.end());
            }
            QCOMPARE(back, frame);
        } else {
            QVERIFY(!r.port);
            QCOMPARE(r.error, link::OpenError::SetupFailed);
            QCOMPARE(
                QString::fromStdString(r.detail), QStringLiteral("the server set 9600 baud where 19200 was asked"));
        }
        if (opens) {
            done = true;
            serve.join();
            QCOMPARE(serverData, hex("FF FF 00 FF 01"));
        }
    }
};

QTEST_GUILESS_MAIN(TestNetPort)
#include "test_netport.moc"
