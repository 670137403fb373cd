// Telnet for RFC 2217 ports: the decoder whatever the cuts between reads, and what the client and
// the server answer (each answer once, so that two sides never loop).
#include "link/Telnet.h"

#include <QTest>

using namespace tarnixw::link::telnet;

namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray raw(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (int b : bytes)
        out.append(char(b));
    return out;
}

QByteArray raw(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

std::span<const std::uint8_t> bytesOf(const QByteArray& a)
{
    return {reinterpret_cast<const std::uint8_t*>(a.constData()), std::size_t(a.size())};
}

// IAC SB COM-PORT-OPTION payload IAC SE, 0xFF doubled.
QByteArray comPort(std::initializer_list<int> payload)
{
    QByteArray out = raw({kIac, kSb, kComPortOption});
    for (int b : payload)
        out += b == kIac ? raw({kIac, kIac}) : raw({b});
    return out + raw({kIac, kSe});
}

// The data and the commands (as text) of `stream` fed in pieces of `piece` bytes (all at once: 0).
std::pair<QByteArray, QString> decode(const QByteArray& stream, std::size_t piece = 0)
{
    Decoder decoder;
    Bytes data;
    std::vector<Command> commands;
    const std::span<const std::uint8_t> all = bytesOf(stream);
    const std::size_t step = piece > 0 ? piece : std::max<std::size_t>(all.size(), 1);
    for (std::size_t at = 0; at < all.size(); at += step)
        decoder.feed(all.subspan(at, std::min(step, all.size() - at)), data, commands);
    QStringList text;
    for (const Command& c : commands) {
        static const char* const verbs[] = {"WILL", "WONT", "DO", "DONT"};
        QString s = (c.verb == kSb ? "SB" : verbs[c.verb - kWill]) + QStringLiteral(" %1").arg(c.option);
        if (!c.payload.empty())
            s += ':';
        for (std::uint8_t b : c.payload)
            s += QStringLiteral(" %1").arg(b);
        text << s;
    }
    return {raw(data), text.join(", ")};
}

// A side's reply to `stream` (fed whole, and byte by byte to the twin: the two must agree) as
// commands; a reply never carries data.
template <typename Side> QString replyTo(Side& side, Side& twin, const QByteArray& stream)
{
    Bytes data[2];
    Bytes reply[2];
    side.receive(bytesOf(stream), data[0], reply[0]);
    for (std::uint8_t b : bytesOf(stream))
        twin.receive(std::span(&b, 1), data[1], reply[1]);
    if (data[0] != data[1] || reply[0] != reply[1])
        return QStringLiteral("fed whole: %1, byte by byte: %2")
            .arg(raw(reply[0]).toHex(' '), raw(reply[1]).toHex(' '));
    const auto [replyData, commands] = decode(raw(reply[0]));
    return replyData.isEmpty() ? commands : "data " + replyData.toHex(' ');
}

// What a client has taken from the server: the acknowledged baud, data size, parity and stop size.
QString acknowledged(const Client& c)
{
    const auto text = [](const auto& v) { return v ? QString::number(*v) : QStringLiteral("-"); };
    return QStringList{text(c.baudAck), text(c.dataSizeAck), text(c.parityAck), text(c.stopSizeAck)}.join(' ')
        + (c.comPortRefused ? " refused" : "");
}

} // namespace

class TestTelnet : public QObject {
    Q_OBJECT
private slots:
    void decoder_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("commands");
        QTest::newRow("plain data, a lone CR") << QByteArray("\x01\r\x00", 3) << QByteArray("\x01\r\x00", 3) << "";
        QTest::newRow("IAC IAC is 0xFF") << "a" + raw({kIac, kIac, kIac, kIac}) + "b"
                                         << "a" + raw({255, 255}) + "b"
                                         << "";
        QTest::newRow("negotiations amid data") << "a" + raw({kIac, kWill, 1}) + "b" + raw({kIac, kDont, 255}) + "c"
                                                << QByteArray("abc") << "WILL 1, DONT 255";
        QTest::newRow("sub-negotiation, IAC IAC inside")
            << comPort({101, 0, 0, 255, 0}) + "z" << QByteArray("z") << "SB 44: 101 0 0 255 0";
        QTest::newRow("long sub-negotiation cut at the limit")
            << raw({kIac, kSb, 24}) + QByteArray(70, 'x') + raw({kIac, kIac, kIac, kSe}) + "z" << QByteArray("z")
            << "SB 24:" + QString(" 120").repeated(int(kMaxSubnegotiation));
        QTest::newRow("NOP, GA and a stray SE dropped")
            << "a" + raw({kIac, 241}) + "b" + raw({kIac, 249, kIac, kSe}) + "c" << QByteArray("abc") << "";
        QTest::newRow("empty sub-negotiation dropped") << raw({kIac, kSb, kIac, kSe}) + "f" << QByteArray("f") << "";
        QTest::newRow("NOP inside a sub-negotiation")
            << raw({kIac, kSb, 44, 102, kIac, 241, 8, kIac, kSe}) << QByteArray() << "SB 44: 102 8";
        QTest::newRow("sub-negotiation broken off by a negotiation")
            << raw({kIac, kSb, 44, 101, 0, kIac, kWill, 3}) + "d" << QByteArray("d") << "WILL 3";
        QTest::newRow("unfinished at the end") << "e" + raw({kIac, kSb, 44, 1, 0}) << QByteArray("e") << "";
    }
    void decoder()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, data);
        QFETCH(QString, commands);
        for (std::size_t piece : {0, 1, 2, 3})
            QCOMPARE(decode(stream, piece), std::make_pair(data, commands));
    }

    void escapedDataComesBackExactly()
    {
        QByteArray all = raw({kIac, kIac, kIac});
        for (int b = 0; b < 256; ++b)
            all += char(b);
        Bytes wire;
        escape(bytesOf(all), wire);
        QCOMPARE(wire.size(), std::size_t(all.size() + 4));
        for (std::size_t piece : {0, 1, 5})
            QCOMPARE(decode(raw(wire), piece), std::make_pair(all, QString()));
    }

    void client_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("acknowledged"); // baud, data size, parity, stop size
        QTest::newRow("a serial server's opening")
            << raw({kIac, kWill, 1, kIac, kDo, 24, kIac, kWill, 3, kIac, kDo, 44}) << "DONT 1, WONT 24, DO 3"
            << "- - - -";
        QTest::newRow("acknowledgements of the greeting need no answer")
            << raw({kIac, kDo, 0, kIac, kWill, 0, kIac, kDo, 44}) << ""
            << "- - - -";
        QTest::newRow("a request repeated is answered once")
            << raw({kIac, kWill, 1, kIac, kDo, 3, kIac, kWill, 1, kIac, kDo, 3, kIac, kDont, 3, kIac, kDo, 3})
            << "DONT 1, WILL 3"
            << "- - - -";
        QTest::newRow("the server wants no COM port option")
            << raw({kIac, kDont, 44, kIac, kWont, 1, kIac, kWill, 44}) << "DONT 44"
            << "- - - - refused";
        // Amid data and the notifications the client ignores.
        const QByteArray settings = comPort({107, 0x30}) + "\x01" + comPort({101, 0, 0, 255, 0}) + raw({kIac, kIac})
            + comPort({102, 8}) + comPort({106, 0x60}) + comPort({103, 1}) + comPort({105, 1}) + comPort({104, 2});
        QTest::newRow("settings acknowledged") << settings << ""
                                               << "65280 8 1 2";
        QTest::newRow("not before IAC SE") << settings.chopped(1) << ""
                                           << "65280 8 1 -";
    }
    void client()
    {
        QFETCH(QByteArray, stream);
        Client client;
        Client twin;
        QTEST(replyTo(client, twin, stream), "reply");
        QTEST(acknowledged(client), "acknowledged");
        QCOMPARE(acknowledged(twin), acknowledged(client));
        QCOMPARE(client.settingsAcknowledged(), !acknowledged(client).contains('-'));
    }

    void server_data()
    {
        QTest::addColumn<qint64>("fixedBaud"); // -1: any rate
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<qint64>("requested"); // -1: none
        const QByteArray query = comPort({1, 0, 0, 0, 0});
        QTest::newRow("line settings") << -1LL << raw(Client::lineSettings(9600))
                                       << "SB 44: 101 0 0 37 128, SB 44: 102 8, SB 44: 103 1, SB 44: 104 1" << 9600LL;
        QTest::newRow("0xFF in the rate") << -1LL << comPort({1, 0, 0, 255, 0}) << "SB 44: 101 0 0 255 0" << 0xFF00LL;
        QTest::newRow("a fixed rate refuses others")
            << 19200LL << comPort({1, 0, 0, 0x25, 0x80}) << "SB 44: 101 0 0 75 0" << 9600LL;
        QTest::newRow("query before any rate") << -1LL << query << "SB 44: 101 0 0 0 0" << -1LL;
        QTest::newRow("query after a rate")
            << -1LL << comPort({1, 0, 1, 0xC2, 0}) + query << "SB 44: 101 0 1 194 0, SB 44: 101 0 1 194 0" << 115200LL;
        QTest::newRow("query at a fixed rate") << 19200LL << query << "SB 44: 101 0 0 75 0" << -1LL;
        QTest::newRow("SET-CONTROL never answered")
            << -1LL << comPort({5, 1}) + comPort({5, 8}) + comPort({5, 11}) + comPort({5, 0}) << "" << -1LL;
        QTest::newRow("purge") << -1LL << comPort({12, 3}) << "SB 44: 112 3" << -1LL;
        QTest::newRow("negotiations") << -1LL
                                      << raw(Client::greeting())
                + raw({kIac, kWill, 1, kIac, kDo, 1, kIac, kDo, 44, kIac, kWill, 1, kIac, kDo, 3, kIac, kWill, 3})
                                      << "DONT 1, WONT 1, WONT 44, DO 3" << -1LL;
    }
    void server()
    {
        QFETCH(qint64, fixedBaud);
        QFETCH(QByteArray, stream);
        QFETCH(qint64, requested);
        const auto fixed = fixedBaud < 0 ? std::nullopt : std::optional<std::uint32_t>(fixedBaud);
        Server server(fixed);
        Server twin(fixed);
        QTEST(replyTo(server, twin, stream), "reply");
        QCOMPARE(server.requestedBaud ? qint64(*server.requestedBaud) : -1, requested);
        QCOMPARE(twin.requestedBaud, server.requestedBaud);
    }

    // Our client against our server (the simulator's): the negotiation settles, the settings are
    // acknowledged with the server's fixed rate, data with 0xFF passes both ways.
    void clientAndServerSettle()
    {
        QCOMPARE(raw(Client::greeting()), raw({kIac, kWill, 0, kIac, kDo, 0, kIac, kWill, 44}));
        Client client;
        Server server(19200);
        Bytes toServer = Client::greeting();
        Bytes toClient = Server::greeting();
        Bytes data;
        for (int round = 0; !toServer.empty() || !toClient.empty(); ++round) {
            QVERIFY2(round < 3, "the negotiation does not settle");
            Bytes fromServer;
            Bytes fromClient;
            server.receive(toServer, data, fromServer);
            client.receive(toClient, data, fromClient);
            toClient = fromServer;
            toServer = fromClient;
        }
        const Bytes frame = {0x01, 0x03, 0xFF, 0xFF, 0x00};
        toServer = Client::lineSettings(0xFF00);
        escape(frame, toServer);
        server.receive(toServer, data, toClient);
        QCOMPARE(raw(data), raw(frame));
        QCOMPARE(server.requestedBaud.value_or(0), 0xFF00u);
        data.clear();
        escape(frame, toClient);
        Bytes fromClient;
        client.receive(toClient, data, fromClient);
        QCOMPARE(raw(data), raw(frame));
        QVERIFY(fromClient.empty());
        QCOMPARE(acknowledged(client), "19200 8 1 1");
    }
};

QTEST_GUILESS_MAIN(TestTelnet)
#include "test_telnet.moc"
