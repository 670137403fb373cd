#include "link/Modbus.h"
#include "link/ModbusLink.h"
#include "plix/PlixTransfer.h"
#include "sim/Device.h"
#include "sim/InProcessPort.h"
#include "tests/support/Models.h"

#include "tests/support/TestData.h"

#include <QtTest>

using namespace tarnixw;
using link::ExchangeResult;
using link::StepResult;
using Bytes = std::vector<std::uint8_t>;

Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(ExchangeResult)

namespace {

Bytes hex(const char* text)
{
    return test::hexBytes(text);
}
using test::withCrc;

constexpr std::int64_t kStepNs = 15'000'000;

// A link, a simulated device and the port between them, in virtual time.
struct Rig {
    explicit Rig(test::Model model = test::Model::Vyr, std::uint8_t id = 1, int baud = 19200)
        : device(test::describe(model), id)
        , port(device, clock, baud)
        , buffers(model == test::Model::Vyr ? link::ModelBuffers::sized(2048, 2048, 1218)
                                            : link::ModelBuffers::sized(1024, 1024, 94))
        , link(
              buffers, port, clock,
              [this](std::optional<int> v) {
                  bar.push_back(v);
                  if (onStep)
                      onStep();
              },
              [this](const link::Traffic& t) { traffic.push_back(t); },
              [this](link::StopReason failure, const link::Exchanges&) {
                  // What a window tells the user at that moment.
                  told << (failure == link::StopReason::NoResponse ? QStringLiteral("Device No Response !!")
                                                                   : QStringLiteral("Response Error !!"));
              })
    {
        link.SlaveId = id;
    }

    Bytes deviceBytes(int address, int size) const
    {
        const auto mem = device.memory();
        return Bytes(mem.begin() + address, mem.begin() + address + size);
    }
    Bytes image(int offset, int size) const
    {
        return Bytes(buffers.DeviceImage.begin() + offset, buffers.DeviceImage.begin() + offset + size);
    }
    int writtenAddress(std::size_t i) const
    {
        return link::requestOf(link::kRtuFraming.answerPdu(port.written()[i])).address;
    }
    // The first `size` data bytes of the read answer in the ResponseBuffer.
    Bytes answerData(int size) const
    {
        const auto data = link::readAnswerData(link::kRtuFraming.answerPdu(buffers.ResponseBuffer));
        return Bytes(data.begin(), data.begin() + size);
    }

    link::VirtualClock clock;
    sim::Device device;
    sim::InProcessPort port;
    link::ModelBuffers buffers;
    std::vector<std::optional<int>> bar;
    std::vector<link::Traffic> traffic; // what the traffic observer heard
    std::function<void()> onStep; // after each wait step's hook
    link::ModbusLink link;
    QStringList told; // the stops the link reported, the moment it stopped
};

// The VYR read schedule: 13 blocks from 32, then 7 from 2048 into image offset 818.
void vyrRead(link::ModbusLink& l)
{
    l.beginOperation();
    l.ReadBlocks(32, 13, 64, 50, 0, [](int b, int k) { return (b * 64 + k) * 100 / 1700; });
    l.ReadBlocks(2048, 7, 64, 16, 818, [](int b, int k) { return (b * 64 + k + 818) * 100 / 1700; });
}

} // namespace

class TestModbus : public QObject {
    Q_OBJECT

    static void judgementColumns()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<Bytes>("answer");
        QTest::addColumn<ExchangeResult>("result");
        QTest::addColumn<QString>("words"); // what the line traffic says of it
    }
    // Runs a row of frameCheck or pduCheck through an exchange.
    static void judgement(bool byTheEnvelope)
    {
        QFETCH(int, function);
        QFETCH(Bytes, answer);
        QFETCH(ExchangeResult, result);
        QFETCH(QString, words);
        Rig r;
        r.device.faults().silentNext = 1;
        r.port.inject(answer, r.clock.nowNs() + 100 * 1'000'000);
        const int length = function == 3 ? link::buildReadFrame(r.buffers.RequestBuffer, 1, 32, 2)
                                         : link::buildWriteFrame(r.buffers.RequestBuffer, 1, 32, hex("12 34 56 78"));
        QCOMPARE(r.link.ComExchange(length, std::uint8_t(function), 16), result);
        QCOMPARE(r.traffic.size(), std::size_t(2)); // the request, then what came back
        QCOMPARE(link::describeVerdict(r.traffic.back().verdict), words);
        QCOMPARE(r.traffic.back().bytes, answer);
        // The envelope's check alone decides its rows, and passes the PDU's rows on as intact.
        const link::Verdict envelope
            = link::checkRtu(r.buffers.RequestBuffer, r.buffers.ResponseBuffer, answer.size(), 1);
        if (byTheEnvelope)
            QCOMPARE(envelope, r.traffic.back().verdict);
        else
            QCOMPARE(envelope.kind, link::Verdict::Kind::Answer);
    }

private slots:
    void crc_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("crc");
        QTest::newRow("read 32 registers at 32") << hex("01 03 00 20 00 20") << 0xD845;
        QTest::newRow("check string") << Bytes{'1', '2', '3', '4', '5', '6', '7', '8', '9'} << 0x4B37;
        QTest::newRow("probe") << hex("01 04 10 00 00 01") << 0x0A35;
        QTest::newRow("empty") << Bytes{} << 0xFFFF;
    }
    void crc()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, crc);
        QCOMPARE(int(link::ModbusCrc16(bytes)), crc);
    }

    void frames_data()
    {
        QTest::addColumn<Bytes>("built");
        QTest::addColumn<Bytes>("expected");
        Bytes buf(300);
        const auto read = [&](int address, int quantity) {
            const int n = link::buildReadFrame(buf, 1, std::uint16_t(address), std::uint16_t(quantity));
            return Bytes(buf.begin(), buf.begin() + n);
        };
        QTest::newRow("VYR read 1") << read(32, 32) << hex("01 03 00 20 00 20 45 D8");
        QTest::newRow("VYR read 13") << read(800, 25) << hex("01 03 03 20 00 19 85 8E");
        QTest::newRow("VYR read 20") << read(2432, 8) << hex("01 03 09 80 00 08 46 78");
        QTest::newRow("PLIX read 1") << read(32, 8) << hex("01 03 00 20 00 08 45 C6");
        QTest::newRow("PLIX read 5") << read(2048, 8) << hex("01 03 08 00 00 08 46 6C");
        QTest::newRow("PLIX read 7") << read(2080, 3) << hex("01 03 08 20 00 03 06 61");

        int n = link::buildWriteFrame(buf, 1, 4010, hex("FF FF"));
        QTest::newRow("close write-enable")
            << Bytes(buf.begin(), buf.begin() + n) << hex("01 10 0F AA 00 01 02 FF FF 40 EA");
        n = link::wrapRtu(buf, 1, link::putProbePdu(link::kRtuFraming.requestPdu(buf)));
        QTest::newRow("probe 1") << Bytes(buf.begin(), buf.begin() + n) << hex("01 04 10 00 00 01 35 0A");

        Bytes data(16);
        for (int i = 0; i < 16; ++i)
            data[std::size_t(i)] = std::uint8_t(i + 1);
        n = link::buildWriteFrame(buf, 1, 2432, data);
        Bytes expected = hex("01 10 09 80 00 08 10");
        expected.insert(expected.end(), data.begin(), data.end());
        QTest::newRow("VYR write 20") << Bytes(buf.begin(), buf.begin() + n) << withCrc(expected);
    }
    void frames()
    {
        QFETCH(Bytes, built);
        QFETCH(Bytes, expected);
        QCOMPARE(built, expected);
    }

    void packing()
    {
        Bytes buf(12);
        int p = link::PutLong(buf, 0, std::uint32_t(-25000));
        p = link::PutShort(buf, p, 0x8000);
        p = link::PutByte(buf, p, 0xAB);
        QCOMPARE(p, 7);
        QCOMPARE(Bytes(buf.begin(), buf.begin() + 7), hex("FF FF 9E 58 80 00 AB"));
        QCOMPARE(link::GetLong(buf, 0), -25000);
        QCOMPARE(link::GetShort(buf, 4), std::int16_t(-32768));
        link::PutLong(buf, 8, 100000);
        QCOMPARE(link::GetLong(buf, 8), 100000);
    }

    // A clean VYR read: 20 exchanges in schedule order, each waiting exactly 16 x 15 ms, and
    // the image holding both parameter areas.
    void vyrReadSchedule()
    {
        Rig r;
        const std::int64_t start = r.clock.nowNs();
        vyrRead(r.link);
        QVERIFY(!r.link.StopFlag());
        QVERIFY(r.told.isEmpty());
        QCOMPARE(r.port.written().size(), std::size_t(20));
        QCOMPARE(r.writtenAddress(1), 96);
        QCOMPARE(r.writtenAddress(12), 800);
        QCOMPARE(int(r.port.written()[12][5]), 25);
        QCOMPARE(r.writtenAddress(13), 2048);
        QCOMPARE(r.writtenAddress(19), 2432);
        for (std::size_t i = 0; i < 20; ++i)
            QCOMPARE(r.port.writeTimes()[i] - start, std::int64_t(i) * 16 * kStepNs);
        QCOMPARE(r.clock.nowNs() - start, 20 * 16 * kStepNs);
        QCOMPARE(r.image(0, 818), r.deviceBytes(32, 818));
        QCOMPARE(r.image(818, 400), r.deviceBytes(2048, 400));
        // The hook sees every wait step with the phase's progress rule.
        QCOMPARE(r.bar.size(), std::size_t(20 * 16));
        QCOMPARE(r.bar[16 + 5], std::optional<int>((64 + 5) * 100 / 1700));
        QCOMPARE(r.bar[19 * 16 + 15], std::optional<int>((6 * 64 + 15 + 818) * 100 / 1700));
    }

    void writeBlocksCopiesImage()
    {
        Rig r;
        for (std::size_t i = 0; i < r.buffers.DeviceImage.size(); ++i)
            r.buffers.DeviceImage[i] = std::uint8_t(i * 7);
        r.link.beginOperation();
        QVERIFY(r.link.WriteBlocks(2048, 7, 64, 16, 0));
        QCOMPARE(r.deviceBytes(2048, 400), r.image(0, 400));
        QCOMPARE(r.port.written().back().size(), std::size_t(25));
    }

    // Silences share one budget per phase; a silent block is sent again, never skipped.
    void silenceBudget_data()
    {
        QTest::addColumn<QList<int>>("silent");
        QTest::addColumn<bool>("completes");
        QTest::addColumn<int>("requests");
        QTest::newRow("two silences then good") << QList<int>{1, 2} << true << 22;
        QTest::newRow("third silence later in the phase") << QList<int>{1, 2, 6} << false << 6;
        QTest::newRow("three silences on one block") << QList<int>{4, 5, 6} << false << 6;
        QTest::newRow("two per phase") << QList<int>{2, 3, 16, 17} << true << 24;
    }
    void silenceBudget()
    {
        QFETCH(QList<int>, silent);
        QFETCH(bool, completes);
        QFETCH(int, requests);
        Rig r;
        r.device.faults().silentAt = std::set<int>(silent.begin(), silent.end());
        vyrRead(r.link);
        QCOMPARE(!r.link.StopFlag(), completes);
        QCOMPARE(int(r.port.written().size()), requests);
        QCOMPARE(r.told, completes ? QStringList{} : QStringList{QStringLiteral("Device No Response !!")});
        QCOMPARE(r.link.stopReason(), completes ? link::StopReason::None : link::StopReason::NoResponse);
        if (completes)
            QCOMPARE(r.image(0, 818), r.deviceBytes(32, 818));
        // The request after a silence repeats the silent one.
        const int first = silent.first();
        QCOMPARE(r.port.written()[std::size_t(first)], r.port.written()[std::size_t(first - 1)]);
    }

    // The judgement of one answer to "read 2 registers at 32" (or a write at 32): first the RTU
    // envelope's check, which alone decides these rows...
    void frameCheck_data()
    {
        judgementColumns();
        const Bytes good = withCrc(hex("01 03 04 00 01 00 02"));
        Bytes damaged = good;
        damaged[8] ^= 0x01; // the CRC's high byte
        QTest::newRow("nothing") << 3 << Bytes{} << ExchangeResult::Silent << "silence (nothing within the window)";
        QTest::newRow("cut short") << 3 << Bytes(good.begin(), good.begin() + 5) << ExchangeResult::Silent
                                   << "incomplete frame (5 of 9 bytes)";
        QTest::newRow("bad CRC") << 3 << damaged << ExchangeResult::Silent << "damaged frame (bad CRC)";
        QTest::newRow("two answers at once") << 3 << [&] {
            Bytes b = good;
            b.insert(b.end(), good.begin(), good.end());
            return b;
        }() << ExchangeResult::Silent << "damaged frame (bad CRC)";
        QTest::newRow("other slave") << 3 << withCrc(hex("02 03 04 00 01 00 02")) << ExchangeResult::Rejected
                                     << "answer from slave 2";
        QTest::newRow("slave 0") << 3 << withCrc(hex("00 03 04 00 01 00 02")) << ExchangeResult::Rejected
                                 << "answer from slave 0";
        Bytes noisyException = withCrc(hex("01 83 02"));
        noisyException[3] ^= 0x40;
        QTest::newRow("exception with bad CRC")
            << 3 << noisyException << ExchangeResult::Silent << "damaged frame (bad CRC)";
    }
    void frameCheck() { judgement(true); }

    // A scan reads the probe answers of several slaves as they came, one after another.
    void probeAnswers_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("found"); // slave=value (or !exception) ..., then what else came
        const Bytes one = withCrc(hex("05 04 02 00 01"));
        const Bytes other = withCrc(hex("07 04 02 00 02"));
        const auto join = [](std::initializer_list<Bytes> parts) {
            Bytes b;
            for (const Bytes& p : parts)
                b.insert(b.end(), p.begin(), p.end());
            return b;
        };
        Bytes damaged = other;
        damaged[6] ^= 0x01;
        QTest::newRow("one") << one << "5=1";
        QTest::newRow("a late one, then this one") << join({one, other}) << "5=1 7=2";
        QTest::newRow("refused") << withCrc(hex("09 84 02")) << "9=!";
        QTest::newRow("damaged between") << join({one, damaged, withCrc(hex("0A 04 02 00 01"))})
                                         << "5=1 10=1 damaged 7";
        QTest::newRow("still arriving") << join({one, Bytes(other.begin(), other.begin() + 4)}) << "5=1 partial 4";
        QTest::newRow("noise first") << join({hex("FF 00"), one}) << "5=1 noise";
        QTest::newRow("nothing") << Bytes{} << "";
    }
    void probeAnswers()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, found);
        const link::ProbeBytes p = link::rtuProbeAnswers(bytes);
        QStringList said;
        for (const link::ProbeAnswer& a : p.answers)
            said << QStringLiteral("%1=%2").arg(a.slave).arg(a.value ? QString::number(*a.value) : QStringLiteral("!"));
        for (const std::uint8_t slave : p.damaged)
            said << QStringLiteral("damaged %1").arg(slave);
        if (p.partial)
            said << QStringLiteral("partial %1").arg(p.partial);
        if (p.noise)
            said << QStringLiteral("noise");
        QCOMPARE(said.join(QLatin1Char(' ')), found);
    }

    // ...then, for an intact frame from the slave, the PDU's check.
    void pduCheck_data()
    {
        judgementColumns();
        const Bytes good = withCrc(hex("01 03 04 00 01 00 02"));
        Bytes longer = good;
        longer.push_back(0x00);
        QTest::newRow("good") << 3 << good << ExchangeResult::Accepted << "answer";
        QTest::newRow("trailing byte")
            << 3 << longer << ExchangeResult::Silent
            << "frame of the wrong length (10 bytes, 9 expected)"; // a zero after a CRC keeps it valid
        QTest::newRow("short but intact")
            << 3 << withCrc(hex("01 03 02 00 01")) << ExchangeResult::Silent << "incomplete frame (7 of 9 bytes)";
        QTest::newRow("wrong byte count") << 3 << withCrc(hex("01 03 02 00 01 00 02")) << ExchangeResult::Rejected
                                          << "answer that does not fit the request";
        QTest::newRow("exception") << 3 << withCrc(hex("01 83 02")) << ExchangeResult::Rejected
                                   << "exception 2 (Illegal Data Address)";
        QTest::newRow("exception frame one byte long")
            << 3 << withCrc(hex("01 83 02 00")) << ExchangeResult::Rejected << "answer with function 131";
        QTest::newRow("write echo") << 16 << withCrc(hex("01 10 00 20 00 02")) << ExchangeResult::Accepted << "answer";
        QTest::newRow("echo of another address") << 16 << withCrc(hex("01 10 00 22 00 02")) << ExchangeResult::Rejected
                                                 << "answer that does not fit the request";
        QTest::newRow("echo of another quantity") << 16 << withCrc(hex("01 10 00 20 00 01")) << ExchangeResult::Rejected
                                                  << "answer that does not fit the request";
        QTest::newRow("read answer to a write") << 16 << good << ExchangeResult::Rejected << "answer with function 3";
    }
    void pduCheck() { judgement(false); }

    // More bytes than the response buffer holds: a damaged frame, taken off the line whole so
    // that the next exchange hears only its own answer.
    void overrunIsDamagedAndTheNextExchangeIsClean()
    {
        Rig r;
        const std::size_t capacity = r.buffers.ResponseBuffer.size();
        r.device.faults().silentNext = 1;
        r.port.inject(Bytes(capacity + 952, 0x55), r.clock.nowNs() + 100 * 1'000'000);
        const int length = link::buildReadFrame(r.buffers.RequestBuffer, 1, 32, 32);
        QCOMPARE(r.link.ComExchange(length, 3, 16), ExchangeResult::Silent);
        QCOMPARE(link::describeVerdict(r.traffic.back().verdict),
            QStringLiteral("damaged frame (%1 bytes, more than the buffer holds)").arg(capacity + 952));
        QCOMPARE(r.traffic.back().bytes.size(), capacity);

        QCOMPARE(r.link.ComExchange(length, 3, 16), ExchangeResult::Accepted);
        QCOMPARE(r.answerData(64), r.deviceBytes(32, 64));
    }

    // What the line traffic says of the first answer under each fault of the line and the
    // device, for a read and for the ID probe of the device's id.
    void faultVerdicts_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("probe");
        const QString silence = QStringLiteral("silence (nothing within the window)");
        QTest::newRow("none") << "none"
                              << "answer"
                              << "answer";
        QTest::newRow("silent") << "silent" << silence << silence;
        QTest::newRow("another slave id") << "wrong id 5"
                                          << "answer from slave 5"
                                          << "answer from slave 5";
        QTest::newRow("exception") << "exception 2"
                                   << "exception 2 (Illegal Data Address)"
                                   << "exception 2 (Illegal Data Address)";
        QTest::newRow("truncated") << "truncate"
                                   << "incomplete frame (34 of 69 bytes)"
                                   << "incomplete frame (3 of 7 bytes)";
        QTest::newRow("bad CRC") << "bad crc"
                                 << "damaged frame (bad CRC)"
                                 << "damaged frame (bad CRC)";
        QTest::newRow("late") << "late" << silence << silence;
        QTest::newRow("unplugged") << "unplug" << silence << silence;
    }
    void faultVerdicts()
    {
        QFETCH(QString, fault);
        QFETCH(QString, read);
        QFETCH(QString, probe);
        for (const bool probing : {false, true}) {
            Rig r;
            sim::Faults& f = r.device.faults();
            if (fault == "silent")
                f.silentNext = 1;
            else if (fault == "wrong id 5")
                f.wrongId = 5;
            else if (fault == "exception 2")
                f.exceptionCode = 2;
            else if (fault == "truncate")
                f.truncate = true;
            else if (fault == "bad crc")
                f.badCrc = true;
            else if (fault == "late")
                f.lateMs = 300;
            else if (fault == "unplug")
                f.unplugAfter = 0;
            if (probing) {
                const int length = r.link.frameRequest(1, link::putProbePdu(r.link.requestPdu()));
                r.link.awaitAnswer(r.link.send(length), link::kBlockWaitSteps, {}, 1, false);
            } else {
                r.link.ComExchange(link::buildReadFrame(r.buffers.RequestBuffer, 1, 32, 32), 3, 16);
            }
            QCOMPARE(r.traffic.size(), std::size_t(2));
            QCOMPARE(r.traffic[0].direction, link::Traffic::Direction::Sent);
            QCOMPARE(link::describeRequest(r.traffic[0].request),
                probing ? QStringLiteral("ID probe") : QStringLiteral("read 32 registers from byte 32"));
            QCOMPARE(link::describeVerdict(r.traffic[1].verdict), probing ? probe : read);
        }
    }

    // A damaged answer never reaches the image: the read retries and gives up as for silence.
    void damagedAnswersKeepImage_data()
    {
        QTest::addColumn<bool>("truncate");
        QTest::addColumn<bool>("badCrc");
        QTest::newRow("truncated") << true << false;
        QTest::newRow("bad CRC") << false << true;
    }
    void damagedAnswersKeepImage()
    {
        QFETCH(bool, truncate);
        QFETCH(bool, badCrc);
        Rig r;
        std::fill(r.buffers.DeviceImage.begin(), r.buffers.DeviceImage.end(), 0xEE);
        r.device.faults().truncate = truncate;
        r.device.faults().badCrc = badCrc;
        vyrRead(r.link);
        QVERIFY(r.link.StopFlag());
        QCOMPARE(r.told, QStringList{QStringLiteral("Device No Response !!")});
        QCOMPARE(r.port.written().size(), std::size_t(3));
        QCOMPARE(r.image(0, 64), Bytes(64, 0xEE));
    }

    void rejectedAnswersStop_data()
    {
        QTest::addColumn<int>("exceptionCode");
        QTest::addColumn<int>("wrongId");
        QTest::newRow("exception 2") << 2 << -1;
        QTest::newRow("exception 4") << 4 << -1;
        QTest::newRow("another slave") << -1 << 2;
    }
    void rejectedAnswersStop()
    {
        QFETCH(int, exceptionCode);
        QFETCH(int, wrongId);
        Rig r;
        r.device.faults().silentAt = {1};
        if (exceptionCode >= 0)
            r.device.faults().exceptionCode = std::uint8_t(exceptionCode);
        if (wrongId >= 0)
            r.device.faults().wrongId = std::uint8_t(wrongId);
        vyrRead(r.link);
        QVERIFY(r.link.StopFlag());
        QCOMPARE(r.told, QStringList{QStringLiteral("Response Error !!")});
        QCOMPARE(r.link.stopReason(), link::StopReason::ResponseError);
        // One silent try, the rejected answer, and nothing after it in either phase.
        QCOMPARE(r.port.written().size(), std::size_t(2));
    }

    // An answer that comes after the wait is silence, and the purge before the next request
    // drops it, so the next exchange sees its own answer only.
    void lateAnswerPurged()
    {
        Rig r;
        r.device.faults().lateMs = 250;
        const int length = link::buildReadFrame(r.buffers.RequestBuffer, 1, 32, 32);
        QCOMPARE(r.link.ComExchange(length, 3, 16), ExchangeResult::Silent);
        r.clock.advanceNs(300'000'000); // the late answer arrives meanwhile
        r.device.faults().lateMs = 0;
        const int purges = r.port.purgeCount();
        QCOMPARE(r.link.ComExchange(length, 3, 16), ExchangeResult::Accepted);
        QCOMPARE(r.port.purgeCount(), purges + 1);
    }

    // A late answer that lands in the retry's wait together with the retry's own answer is
    // not taken for it; the read still ends with the right bytes.
    // A device that always answers one window late: each answer would land in the next
    // request's window, and a read answer carries no address. The data must never be stored
    // under the wrong block; the read ends with "Device No Response !!" instead.
    void consistentlyLateDeviceNeverShiftsData()
    {
        Rig r;
        for (int i = 0; i < 818; ++i)
            r.device.memory()[32 + i] = std::uint8_t(i * 7 + 1);
        r.device.faults().lateMs = 300;
        r.link.beginOperation();
        std::fill(r.buffers.DeviceImage.begin(), r.buffers.DeviceImage.end(), 0);
        QVERIFY(!r.link.ReadBlocks(32, 13, 64, 50, 0));
        QCOMPARE(r.told, QStringList{"Device No Response !!"});
        // Late answers were taken (a retry's window holds the answer to the try before it),
        // and each sits where it belongs.
        int arrived = 0;
        for (int b = 0; b < 13; ++b) {
            const int size = b < 12 ? 64 : 50;
            const Bytes got = r.image(b * 64, size);
            if (got == Bytes(std::size_t(size), 0))
                continue;
            ++arrived;
            QCOMPARE(got, r.deviceBytes(32 + b * 64, size));
        }
        QVERIFY(arrived > 0);
    }

    void lateAnswerDuringRetry()
    {
        Rig once;
        std::fill(once.buffers.DeviceImage.begin(), once.buffers.DeviceImage.end(), 0xEE);
        once.link.beginOperation();
        once.device.faults().lateMs = 250;
        const int length = link::buildReadFrame(once.buffers.RequestBuffer, 1, 32, 32);
        QCOMPARE(once.link.ComExchange(length, 3, 16), ExchangeResult::Silent);
        once.device.faults().lateMs = 0;
        once.device.faults().silentAt = {};
        QVERIFY(once.link.ReadBlocks(32, 1, 64, 64, 0));
        QCOMPARE(once.link.SilenceCount, 1);
        QCOMPARE(once.port.written().size(), std::size_t(3));
        QCOMPARE(once.image(0, 64), once.deviceBytes(32, 64));
    }

    // The answer window is 16 steps of 15 ms from the moment the write returns, however long
    // the write took (a native UART's write returns once the frame has left) and however long
    // each step's hook takes; the record stamps the request when the write returned.
    void answerWindowCountsFromTheWrite_data()
    {
        QTest::addColumn<bool>("writesWait");
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<int>("hookMs");
        QTest::addColumn<ExchangeResult>("result");
        // A VYRANTA write block at 9600 baud: 73 bytes cross the line in 76 ms, the answer in 8 ms.
        QTest::newRow("UART write, answer 228 ms after it") << true << 220 << 0 << ExchangeResult::Accepted;
        QTest::newRow("UART write, answer 248 ms after it") << true << 240 << 0 << ExchangeResult::Silent;
        QTest::newRow("adapter write, same answer") << false << 220 << 0 << ExchangeResult::Silent;
        QTest::newRow("slow step hook") << false << 0 << 5 << ExchangeResult::Accepted;
        QTest::newRow("slow step hook, UART write") << true << 220 << 9 << ExchangeResult::Accepted;
    }
    void answerWindowCountsFromTheWrite()
    {
        QFETCH(bool, writesWait);
        QFETCH(int, lateMs);
        QFETCH(int, hookMs);
        QFETCH(ExchangeResult, result);
        Rig r(test::Model::Vyr, 1, 9600);
        r.port.setWritesWaitForTheLine(writesWait);
        r.device.faults().lateMs = lateMs;
        r.onStep = [&] { r.clock.advanceNs(std::int64_t(hookMs) * 1'000'000); };
        const int length = link::buildWriteFrame(r.buffers.RequestBuffer, 1, 2048, Bytes(64, 0x5A));
        QCOMPARE(length, 73);
        const std::int64_t start = r.clock.nowNs();
        const std::int64_t written = start + (writesWait ? link::lineTimeNs(73, 9600) : 0);

        QCOMPARE(r.link.ComExchange(length, 16, 16), result);

        QCOMPARE(r.clock.nowNs() - written, 16 * kStepNs);
        QCOMPARE(r.traffic.front().timeNs, written);
    }

    void portVanishes()
    {
        Rig r;
        r.device.faults().unplugAfter = 5;
        vyrRead(r.link);
        QVERIFY(r.link.StopFlag());
        QVERIFY(r.port.unplugged());
        QCOMPARE(r.told, QStringList{QStringLiteral("Device No Response !!")});
        QCOMPARE(r.image(0, 5 * 64), r.deviceBytes(32, 5 * 64));
        // Three silent tries of block 5 and no more, each still waiting its 16 steps.
        QCOMPARE(r.bar.size(), std::size_t(8 * 16));
    }

    // Fast answers: a read ends when its whole, intact answer is in (the answer crosses the line
    // in the request's and its own line time, taken within a tenth of a millisecond); anything
    // else waits its full 16 steps, and so does every write.
    void fastAnswers_data()
    {
        QTest::addColumn<int>("function");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<ExchangeResult>("result");
        QTest::addColumn<bool>("early");
        QTest::newRow("read answered") << 3 << QString() << ExchangeResult::Accepted << true;
        QTest::newRow("read silent") << 3 << "silent" << ExchangeResult::Silent << false;
        QTest::newRow("read, damaged answer") << 3 << "badCrc" << ExchangeResult::Silent << false;
        QTest::newRow("read, half an answer") << 3 << "truncate" << ExchangeResult::Silent << false;
        QTest::newRow("read, exception") << 3 << "exception" << ExchangeResult::Rejected << false;
        QTest::newRow("write answered") << 16 << QString() << ExchangeResult::Accepted << false;
    }
    void fastAnswers()
    {
        QFETCH(int, function);
        QFETCH(QString, fault);
        QFETCH(ExchangeResult, result);
        QFETCH(bool, early);
        Rig r;
        r.link.setFastAnswers(true);
        r.device.faults().silentNext = fault == "silent" ? 1 : 0;
        r.device.faults().badCrc = fault == "badCrc";
        r.device.faults().truncate = fault == "truncate";
        if (fault == "exception")
            r.device.faults().exceptionCode = 2;
        const int length = function == 3 ? link::buildReadFrame(r.buffers.RequestBuffer, 1, 32, 32)
                                         : link::buildWriteFrame(r.buffers.RequestBuffer, 1, 2048, hex("00 00 03 E8"));
        const std::int64_t start = r.clock.nowNs();
        QCOMPARE(r.link.ComExchange(length, std::uint8_t(function), 16), result);
        const std::int64_t took = r.clock.nowNs() - start;
        if (early) {
            const std::int64_t line = link::lineTimeNs(8 + 69, 19200);
            QVERIFY2(took >= line && took <= line + 100'000, qPrintable(QString::number(took)));
            QCOMPARE(r.answerData(64), r.deviceBytes(32, 64));
        } else {
            QCOMPARE(took, 16 * kStepNs);
        }
    }

    // cancel() from a wait step ends the operation there: no more frames, no message, and a
    // step that would run after a failure (the PLIX close) does not run either.
    void cancelEndsAtTheNextStep()
    {
        Rig r;
        r.onStep = [&] {
            if (r.bar.size() == 2 * 16 + 5)
                r.link.cancel();
        };
        const std::int64_t start = r.clock.nowNs();
        vyrRead(r.link);
        QVERIFY(r.link.StopFlag());
        QCOMPARE(r.link.stopReason(), link::StopReason::Cancelled);
        QCOMPARE(r.port.written().size(), std::size_t(3));
        QCOMPARE(r.clock.nowNs() - start, (2 * 16 + 4) * kStepNs);
        QVERIFY(r.told.isEmpty());
        // Only a step that closes what the operation opened still goes out: once, its answer
        // waited for in full, nothing reported.
        QCOMPARE(r.link.WriteRegisters(4010, 2, 56), StepResult::Skipped);
        link::WriteStepRules closing;
        closing.runWhenStopped = true;
        const std::int64_t closeAt = r.clock.nowNs();
        QCOMPARE(r.link.WriteRegisters(4010, 2, 56, {}, closing), StepResult::Failed);
        QCOMPARE(r.port.written().size(), std::size_t(4));
        QCOMPARE(r.port.written().back()[1], std::uint8_t(16));
        QCOMPARE(r.clock.nowNs() - closeAt, 56 * kStepNs);
        QVERIFY(r.told.isEmpty());
    }

    void writeRegistersRetries_data()
    {
        QTest::addColumn<QList<int>>("silent");
        QTest::addColumn<int>("sends");
        QTest::addColumn<int>("result");
        QTest::newRow("answered at once") << QList<int>{} << 1 << int(StepResult::Accepted);
        QTest::newRow("after one silence") << QList<int>{1} << 2 << int(StepResult::Accepted);
        QTest::newRow("after two silences") << QList<int>{1, 2} << 3 << int(StepResult::Accepted);
        QTest::newRow("three silences") << QList<int>{1, 2, 3} << 3 << int(StepResult::Failed);
    }
    void writeRegistersRetries()
    {
        QFETCH(QList<int>, silent);
        QFETCH(int, sends);
        QFETCH(int, result);
        Rig r;
        r.device.faults().silentAt = std::set<int>(silent.begin(), silent.end());
        r.link.beginOperation();
        link::PutLong(r.link.writeData(), 0, 0x01020304);
        const std::int64_t start = r.clock.nowNs();
        QCOMPARE(int(r.link.WriteRegisters(2048, 4, 56, [](int k) { return k + 3; })), result);
        QCOMPARE(int(r.port.written().size()), sends);
        for (const Bytes& f : r.port.written())
            QCOMPARE(f, r.port.written().front());
        // an answer that came only on a repeat is followed by one more window, so that a late
        // echo of the first try cannot meet the next step
        const bool settled = result == int(StepResult::Accepted) && sends > 1;
        QCOMPARE(r.clock.nowNs() - start, (sends + (settled ? 1 : 0)) * 56 * kStepNs);
        const auto lastSet = std::find_if(r.bar.rbegin(), r.bar.rend(), [](auto v) { return v.has_value(); });
        QVERIFY(lastSet != r.bar.rend());
        QCOMPARE(*lastSet, std::optional<int>(55 + 3));
        if (result == int(StepResult::Accepted)) {
            QVERIFY(r.told.isEmpty());
            QCOMPARE(r.deviceBytes(2048, 4), hex("01 02 03 04"));
        } else {
            QCOMPARE(r.told, QStringList{QStringLiteral("Device No Response !!")});
        }
    }

    // The PLIX write: open the write-enable, block A, block B, close; the close runs after a
    // failure, and after a failed open it is sent once and its silence is not reported.
    void plixWriteSteps_data()
    {
        QTest::addColumn<QList<int>>("silent");
        QTest::addColumn<bool>("skipOpen");
        QTest::addColumn<QList<int>>("sentAddresses");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("leftOpen"); // the device's write-enable afterwards
        const QString none = QStringLiteral("Device No Response !!");
        QTest::newRow("all answered") << QList<int>{} << false << QList<int>{4010, 32, 2048, 4010} << QStringList{}
                                      << false;
        QTest::newRow("open silent once")
            << QList<int>{1} << false << QList<int>{4010, 4010, 32, 2048, 4010} << QStringList{} << false;
        QTest::newRow("open fails, close silent")
            << QList<int>{1, 2, 3, 4} << false << QList<int>{4010, 4010, 4010, 4010} << QStringList{none} << false;
        QTest::newRow("block A fails") << QList<int>{2, 3, 4} << false << QList<int>{4010, 32, 32, 32, 4010}
                                       << QStringList{none} << false;
        QTest::newRow("block A fails, close retried")
            << QList<int>{2, 3, 4, 5, 6, 7} << false << QList<int>{4010, 32, 32, 32, 4010, 4010, 4010}
            << QStringList{none, none} << true;
        QTest::newRow("write-enable never opened") << QList<int>{} << true << QList<int>{32, 4010}
                                                   << QStringList{QStringLiteral("Response Error !!")} << false;
    }
    void plixWriteSteps()
    {
        QFETCH(QList<int>, silent);
        QFETCH(bool, skipOpen);
        QFETCH(QList<int>, sentAddresses);
        QFETCH(QStringList, messages);
        QFETCH(bool, leftOpen);
        Rig r(test::Model::Plix);
        r.device.faults().silentAt = std::set<int>(silent.begin(), silent.end());
        auto& l = r.link;
        const std::span<std::uint8_t> data = l.writeData();
        l.beginOperation();
        bool openFailed = false;
        if (!skipOpen) {
            data[0] = std::uint8_t(plix::kWriteEnableValue >> 8);
            data[1] = std::uint8_t(plix::kWriteEnableValue & 0xFF);
            openFailed = l.WriteRegisters(4010, 2, 56) == StepResult::Failed;
        }
        std::fill_n(data.begin(), 56, 0x11);
        l.WriteRegisters(32, 56, 56, [](int k) { return k + 3; });
        std::fill_n(data.begin(), 38, 0x22);
        l.WriteRegisters(2048, 38, 38, [](int k) { return k + 62; });
        data[0] = 0xFF;
        data[1] = 0xFF;
        l.WriteRegisters(4010, 2, 56, {}, {.runWhenStopped = true, .sendOnce = openFailed});

        QList<int> sent;
        for (std::size_t i = 0; i < r.port.written().size(); ++i)
            sent << r.writtenAddress(i);
        QCOMPARE(sent, sentAddresses);
        QCOMPARE(r.told, messages);
        QCOMPARE(r.device.writeEnabled(), leftOpen);
        const bool complete = messages.isEmpty();
        QCOMPARE(r.deviceBytes(32, 56) == Bytes(56, 0x11), complete);
        QCOMPARE(r.deviceBytes(2048, 38) == Bytes(38, 0x22), complete);
    }

    void slaveIdText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("error"); // SlaveIdError when refused
        const int integer = int(link::SlaveIdError::NotAnInteger);
        const int range = int(link::SlaveIdError::OutOfRange);
        QTest::newRow("abc") << "abc" << -1 << integer;
        QTest::newRow("empty") << "" << -1 << integer;
        QTest::newRow("1.5") << "1.5" << -1 << integer;
        QTest::newRow("256") << "256" << -1 << range;
        QTest::newRow("257") << "257" << -1 << range;
        QTest::newRow("0") << "0" << -1 << range;
        QTest::newRow("-1") << "-1" << -1 << range;
        QTest::newRow("blank 7") << " 7" << 7 << -1;
        QTest::newRow("1") << "1" << 1 << -1;
        QTest::newRow("255") << "255" << 255 << -1;
    }
    void slaveIdText()
    {
        QFETCH(QString, text);
        QFETCH(int, id);
        QFETCH(int, error);
        const link::SlaveIdText got = link::slaveIdFromText(text);
        QCOMPARE(got.id ? int(*got.id) : -1, id);
        if (!got.id)
            QCOMPARE(int(got.error), error);
    }

    void clampProgress()
    {
        QCOMPARE(link::clampProgress(-3), 0);
        QCOMPARE(link::clampProgress(57), 57);
        QCOMPARE(link::clampProgress(101), 100);
    }
};

QTEST_GUILESS_MAIN(TestModbus)
#include "test_modbus.moc"
