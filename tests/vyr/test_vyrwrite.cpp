// Staging the screen and packing the two parameter areas for a Write.
#include "vyr/VyrModel.h"

#include <QtTest>
#include <vector>

using namespace tarnixw::vyr;

namespace {

std::uint16_t be16(const std::vector<std::uint8_t>& b, int at)
{
    return std::uint16_t((b[at] << 8) | b[at + 1]);
}

std::int32_t be32(const std::vector<std::uint8_t>& b, int at)
{
    return std::int32_t(
        (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) | b[at + 3]);
}

VYRStagedValues stage(const Screen& s)
{
    const StageResult r = stageScreen(s);
    if (!r.ok())
        qFatal("staging failed: %s", qPrintable(r.error));
    return *r.value;
}

// Area 1 packed at image offset 0 of a DeviceImage-sized buffer filled with `fill`.
std::vector<std::uint8_t> packArea1(const Screen& s, VYRParamSet& record, std::uint8_t fill = 0)
{
    std::vector<std::uint8_t> image(1218, fill);
    const auto next = PackParamArea1(image, 0, stage(s), record);
    if (next != 802)
        qFatal("area 1 packed wrong length");
    return image;
}

std::vector<std::uint8_t> packArea2(const Screen& s, VYRParamSet& record)
{
    std::vector<std::uint8_t> image(1218, 0);
    const auto next = PackParamArea2(image, 0, stage(s), record);
    if (next != 400)
        qFatal("area 2 packed wrong length");
    return image;
}

} // namespace

class TestVyrWrite : public QObject {
    Q_OBJECT

private slots:
    void channelFifteenAloneGivesMask8000()
    {
        Screen s = Screen::defaults();
        s.VYRChanInUse.fill(kOff);
        s.VYRChanInUse[15] = kOn;
        VYRParamSet record;
        const auto image = packArea1(s, record);
        QCOMPARE(be16(image, 0), std::uint16_t(0x8000));
        QCOMPARE(record.ChanInUseMask, std::uint16_t(0x8000));
        const auto file = record.toFileBytes();
        QCOMPARE(file[0], std::uint8_t(0x00));
        QCOMPARE(file[1], std::uint8_t(0x80));
    }

    void noChannelInUseStillWritesValues()
    {
        Screen s = Screen::defaults();
        s.VYRChanInUse.fill(kOff);
        VYRParamSet record;
        const auto image = packArea1(s, record);
        QCOMPARE(be16(image, 0), std::uint16_t(0));
        QCOMPARE(be32(image, 262 + 4 * 4), 60000); // HLimit of channel 4 from "60.000"
    }

    void fixedWordsChanZeroAndGainBase()
    {
        VYRParamSet record;
        record.ChanZero.fill(77);
        const auto image = packArea1(Screen::defaults(), record, 0xAA);
        QCOMPARE(be16(image, 2), std::uint16_t(0));
        QCOMPARE(be16(image, 4), std::uint16_t(255));
        for (int k = 0; k < 16; ++k) {
            QCOMPARE(be32(image, 6 + 4 * k), 0);
            QCOMPARE(be32(image, 198 + 4 * k), 1000);
        }
        QCOMPARE(record.FixedZero, std::uint16_t(0));
        QCOMPARE(record.FixedFF, std::uint16_t(255));
        QCOMPARE(record.ChanZero[5], 0);
        QCOMPARE(record.GainBase[15], 1000);
    }

    void uneditedBytesAfterArea1AreUntouched()
    {
        VYRParamSet record;
        const auto image = packArea1(Screen::defaults(), record, 0x5A);
        for (int i = 802; i < 818; ++i)
            QCOMPARE(image[i], std::uint8_t(0x5A));
        QVERIFY(image[801] != 0x5A || image[800] != 0x5A); // digits were written up to 801
    }

    void packRefusesShortImage()
    {
        std::vector<std::uint8_t> image(900, 0x11);
        VYRParamSet record;
        QVERIFY(!PackParamArea1(image, 100, stage(Screen::defaults()), record)); // needs 902
        QCOMPARE(image[100], std::uint8_t(0x11));
        QCOMPARE(record, VYRParamSet{});
        QCOMPARE(PackParamArea1(image, 98, stage(Screen::defaults()), record), std::optional<int>(900));
        QVERIFY(!PackParamArea2(std::span<std::uint8_t>(image).first(399), 0, stage(Screen::defaults()), record));
    }

    void doOutputFifteenAlone_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("module");
        QTest::addColumn<int>("imageOffset");
        // image offset = device address - 32; device address = 434 + 6c + 2m
        QTest::newRow("input 0 module 0") << 0 << 0 << 402;
        QTest::newRow("input 17 module 1") << 17 << 1 << 506;
        QTest::newRow("input 63 module 2 = address 816") << 63 << 2 << 784;
    }

    void doOutputFifteenAlone()
    {
        QFETCH(int, input);
        QFETCH(int, module);
        QFETCH(int, imageOffset);
        Screen s = Screen::defaults();
        s.DOMap[15][input][module] = 1;
        VYRParamSet record;
        const auto image = packArea1(s, record);
        QCOMPARE(be16(image, imageOffset), std::uint16_t(0x8000));
        QCOMPARE(record.doMapMask(input, module), std::uint16_t(0x8000));
        int wordsSet = 0;
        for (int i = 402; i < 786; i += 2)
            wordsSet += be16(image, i) != 0;
        QCOMPARE(wordsSet, 1);
    }

    void diRelayMasksClearedWhenNotInUse()
    {
        Screen s = Screen::defaults();
        s.DIChanInUse[1][3] = kOn;
        s.DICloseTicked[1][3] = true;
        s.DIChanInUse[1][15] = kOn;
        s.DIOpenTicked[1][15] = true;
        s.DICloseTicked[2][4] = true; // ticked but not in use: forced off
        s.DIOpenTicked[2][4] = true;
        VYRParamSet record;
        const auto image = packArea1(s, record);
        QCOMPARE(be16(image, 390 + 2), std::uint16_t(1u << 3)); // close, module 1
        QCOMPARE(be16(image, 396 + 2), std::uint16_t(0x8000)); // open, module 1
        QCOMPARE(be16(image, 390 + 4), std::uint16_t(0));
        QCOMPARE(be16(image, 396 + 4), std::uint16_t(0));
        QCOMPARE(record.DIOpenMask[1], std::uint16_t(0x8000));
    }

    void silenceTableOrders_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("entry"); // 0 analog, 1..3 DI module 0..2
        QTest::newRow("analog ch0") << 0 << 0;
        QTest::newRow("analog ch15") << 15 << 0;
        QTest::newRow("DI module 0 ch1") << 1 << 1;
        QTest::newRow("DI module 1 ch7") << 7 << 2;
        QTest::newRow("DI module 2 ch15") << 15 << 3;
    }

    void silenceTableOrders()
    {
        QFETCH(int, channel);
        QFETCH(int, entry);
        Screen s = Screen::defaults();
        for (int k = 0; k < 16; ++k) {
            s.text(k, Column::SilenceT) = QString::number(100 + k);
            for (int m = 0; m < 3; ++m)
                s.DISilenceT[m][k] = QString::number(-(1000 * (m + 1) + k));
        }
        const int expected = entry == 0 ? 100 + channel : -(1000 * entry + channel);
        VYRParamSet record;
        const auto image = packArea2(s, record);
        // Device: row by row after the four 64-byte range tables.
        QCOMPARE(std::int16_t(be16(image, 256 + 32 * entry + 2 * channel)), std::int16_t(expected));
        // Record and file: channel-major, 8 bytes per channel from file offset 1060.
        QCOMPARE(record.SilenceT[4 * channel + entry], std::int16_t(expected));
        const auto file = record.toFileBytes();
        const int at = 1060 + 8 * channel + 2 * entry;
        QCOMPARE(std::int16_t(file[at] | (file[at + 1] << 8)), std::int16_t(expected));
    }

    void area2RangesAndHysteresis()
    {
        Screen s = Screen::defaults();
        s.text(9, Column::SFrom) = "-10000";
        s.text(9, Column::STo) = "10000";
        s.text(9, Column::DFrom) = "-999";
        s.text(9, Column::DTo) = "9999";
        s.text(9, Column::Hysteresis) = "4.5";
        VYRParamSet record;
        const auto image = packArea2(s, record);
        QCOMPARE(be32(image, 0 + 36), -10000);
        QCOMPARE(be32(image, 64 + 36), 10000);
        QCOMPARE(be32(image, 128 + 36), -999000);
        QCOMPARE(be32(image, 192 + 36), 9999000);
        QCOMPARE(image[384 + 9], std::uint8_t(45));
        QCOMPARE(image[384 + 8], std::uint8_t(5));
        QCOMPARE(record.DFrom[9], -999000);
    }

    void gainAndOffset_data()
    {
        QTest::addColumn<QString>("sFrom");
        QTest::addColumn<QString>("sTo");
        QTest::addColumn<QString>("dFrom");
        QTest::addColumn<QString>("dTo");
        QTest::addColumn<int>("gain");
        QTest::addColumn<int>("offset");
        QTest::newRow("1000..5000 mV onto 0..100") << "1000"
                                                   << "5000"
                                                   << "0.000"
                                                   << "100.000" << 25000 << -25000;
        QTest::newRow("falling line") << "5000"
                                      << "1000"
                                      << "0.000"
                                      << "100.000" << -25000 << 125000;
        QTest::newRow("0..10000 onto 0..1000") << "0"
                                               << "10000"
                                               << "0"
                                               << "1000" << 100000 << 0;
        QTest::newRow("full ranges") << "-10000"
                                     << "10000"
                                     << "-999"
                                     << "9999" << 549900 << 4500000;
        QTest::newRow("4..20 mA shunt") << "4000"
                                        << "20000"
                                        << "0"
                                        << "250" << 15625 << -62500;
        // Gain 33333.332 (single) truncates to 33333; the offset 100000 - 33333.332 x 5 = -66666.66
        // truncates toward zero to -66666.
        QTest::newRow("gain with a fraction") << "2000"
                                              << "5000"
                                              << "0"
                                              << "100" << 33333 << -66666;
    }

    void gainAndOffset()
    {
        QFETCH(QString, sFrom);
        QFETCH(QString, sTo);
        QFETCH(QString, dFrom);
        QFETCH(QString, dTo);
        QFETCH(int, gain);
        QFETCH(int, offset);
        Screen s = Screen::defaults();
        s.text(7, Column::SFrom) = sFrom;
        s.text(7, Column::STo) = sTo;
        s.text(7, Column::DFrom) = dFrom;
        s.text(7, Column::DTo) = dTo;
        VYRParamSet record;
        const auto image = packArea1(s, record);
        QCOMPARE(be32(image, 70 + 4 * 7), gain);
        QCOMPARE(be32(image, 134 + 4 * 7), offset);
        QCOMPARE(record.Gain[7], gain);
        QCOMPARE(record.Offset[7], offset);
    }

    void truncationTowardZero_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("imageOffset"); // area 1 or 2 image offset of channel 2
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("silence 3.9996") << int(Column::SilenceT) << "3.9996" << 256 + 4 << 2 << 3;
        QTest::newRow("silence -3.9996") << int(Column::SilenceT) << "-3.9996" << 256 + 4 << 2 << -3;
        QTest::newRow("SFrom -3.9996") << int(Column::SFrom) << "-3.9996" << 8 << 4 << -3;
        QTest::newRow("DFrom 0.0039996") << int(Column::DFrom) << "0.0039996" << 128 + 8 << 4 << 3;
        QTest::newRow("hysteresis 0.39996") << int(Column::Hysteresis) << "0.39996" << 386 << 1 << 3;
        // Write's rule: x 1000 in extended precision, then single: exact, unlike a
        // single-precision multiplication that would store -524271.
        QTest::newRow("DTo -524.272") << int(Column::DTo) << "-524.272" << 192 + 8 << 4 << -524272;
    }

    void truncationTowardZero()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(int, imageOffset);
        QFETCH(int, width);
        QFETCH(int, expected);
        Screen s = Screen::defaults();
        s.text(2, Column(column)) = text;
        VYRParamSet record;
        const auto image = packArea2(s, record);
        const int got = width == 4 ? be32(image, imageOffset)
            : width == 2           ? std::int16_t(be16(image, imageOffset))
                                   : std::int8_t(image[imageOffset]);
        QCOMPARE(got, expected);
    }

    void limitsAndDigitsInArea1_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("imageOffset");
        QTest::addColumn<int>("width");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("HLimit -524.272") << int(Column::HLimit) << "-524.272" << 262 + 12 << 4 << qint64(-524272);
        QTest::newRow("LLimit 123456.7") << int(Column::LLimit) << "123456.7" << 326 + 12 << 4 << qint64(123456704);
        QTest::newRow("alarm at the signed limit")
            << int(Column::HLimit) << "2147483" << 262 + 12 << 4 << qint64(2147483008);
        QTest::newRow("digits 2.9") << int(Column::Digits) << "2.9" << 786 + 3 << 1 << qint64(2);
        QTest::newRow("digits 255") << int(Column::Digits) << "255" << 786 + 3 << 1 << qint64(-1);
    }

    void limitsAndDigitsInArea1()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(int, imageOffset);
        QFETCH(int, width);
        QFETCH(qint64, expected);
        Screen s = Screen::defaults();
        s.text(3, Column(column)) = text;
        VYRParamSet record;
        const auto image = packArea1(s, record);
        const qint64 got = width == 4 ? be32(image, imageOffset) : std::int8_t(image[imageOffset]);
        QCOMPARE(got, expected);
    }

    void refusedScreens_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("alarm not a number") << "CH3 HLimit"
                                            << "abc"
                                            << "CH3 Alarm High: 'abc' is not a valid floating point value";
        QTest::newRow("empty SFrom") << "CH0 SFrom"
                                     << ""
                                     << "CH0 Signal Range From: '' is not a valid floating point value";
        QTest::newRow("nan hysteresis") << "CH15 Hysteresis"
                                        << "nan"
                                        << "CH15 Hysteresis%: 'nan' is not a valid floating point value";
        QTest::newRow("DI silence") << "DI 1 5"
                                    << "x"
                                    << "DI Module 1 CH5 Silence: 'x' is not a valid floating point value";
        QTest::newRow("alarm beyond 32 bits") << "CH3 HLimit"
                                              << "5000000"
                                              << "CH3 Alarm High: '5000000' is out of the range the device can store.";
        // read back as signed by the device, 3e9 thousandths would be a negative alarm
        QTest::newRow("alarm beyond signed 32 bits")
            << "CH3 HLimit"
            << "3000000"
            << "CH3 Alarm High: '3000000' is out of the range the device can store.";
        QTest::newRow("huge DTo") << "CH3 DTo"
                                  << "1e30"
                                  << "CH3 Physical Value To: '1e30' is out of the range the device can store.";
        QTest::newRow("analog silence beyond 16 bits")
            << "CH3 SilenceT"
            << "70000"
            << "CH3 Silence: '70000' is out of the range the device can store.";
        QTest::newRow("DI silence below 16 bits")
            << "DI 2 0"
            << "-32769"
            << "DI Module 2 CH0 Silence: '-32769' is out of the range the device can store.";
        QTest::newRow("digits beyond 8 bits") << "CH3 Digits"
                                              << "256"
                                              << "CH3 Digits: '256' is out of the range the device can store.";
        QTest::newRow("hysteresis x10 beyond 8 bits")
            << "CH3 Hysteresis"
            << "25.6"
            << "CH3 Hysteresis%: '25.6' is out of the range the device can store.";
        QTest::newRow("equal signal range")
            << "CH3 STo"
            << "1000"
            << "CH3: Signal Range From and To are both 1000 mV, so the channel's scaling cannot be computed.";
        QTest::newRow("gain beyond 32 bits")
            << "CH3 STo"
            << "1001"
            << "CH3: the scaling gain computed from Signal Range and Physical Value is out of the range the device "
               "can store.";
        QTest::newRow("offset beyond 32 bits")
            << "CH3 steep"
            << ""
            << "CH3: the scaling offset computed from Signal Range and Physical Value is out of the range the device "
               "can store.";
    }

    void refusedScreens()
    {
        QFETCH(QString, what);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Screen s = Screen::defaults();
        if (what == "CH3 HLimit")
            s.text(3, Column::HLimit) = text;
        else if (what == "CH0 SFrom")
            s.text(0, Column::SFrom) = text;
        else if (what == "CH15 Hysteresis")
            s.text(15, Column::Hysteresis) = text;
        else if (what == "DI 1 5")
            s.DISilenceT[1][5] = text;
        else if (what == "DI 2 0")
            s.DISilenceT[2][0] = text;
        else if (what == "CH3 DTo")
            s.text(3, Column::DTo) = text;
        else if (what == "CH3 SilenceT")
            s.text(3, Column::SilenceT) = text;
        else if (what == "CH3 Digits")
            s.text(3, Column::Digits) = text;
        else if (what == "CH3 Hysteresis")
            s.text(3, Column::Hysteresis) = text;
        else if (what == "CH3 STo") {
            s.text(3, Column::STo) = text;
            s.text(3, Column::DTo) = "9999"; // 1 mV for 9999 gives a gain of 9.999e9
        } else if (what == "CH3 steep") {
            // Gain 2e9 still fits 32 bits read unsigned; the offset 2e6 - 2e10 does not.
            s.text(3, Column::SFrom) = "9999";
            s.text(3, Column::STo) = "10000";
            s.text(3, Column::DTo) = "2000";
        } else
            QFAIL("unknown row");
        const StageResult r = stageScreen(s);
        QVERIFY(!r.ok());
        QCOMPARE(r.error, message);
    }

    void acceptedAtFieldEdges_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("silence 32767") << int(Column::SilenceT) << "32767";
        QTest::newRow("silence -32768") << int(Column::SilenceT) << "-32768";
        QTest::newRow("digits -128") << int(Column::Digits) << "-128";
        QTest::newRow("hysteresis 25.5") << int(Column::Hysteresis) << "25.5";
        QTest::newRow("alarm -2147483.648") << int(Column::LLimit) << "-2147483.648";
    }

    void acceptedAtFieldEdges()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        Screen s = Screen::defaults();
        s.text(6, Column(column)) = text;
        QVERIFY2(stageScreen(s).ok(), qPrintable(stageScreen(s).error));
    }

    // Reading the device image back is the exact inverse of the two layouts: a record whose
    // bytes all differ survives record -> image -> record.
    void deviceImageRoundTrip()
    {
        std::array<std::uint8_t, fileoffset::Size> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = std::uint8_t(i * 37 + 11);
        VYRParamSet r = VYRParamSet::fromFileBytes(bytes);
        r.Reserved = 0; // not on the device
        std::vector<std::uint8_t> image(imageoffset::Size, 0);
        QVERIFY(layParamArea1(image, 0, r));
        QVERIFY(layParamArea2(std::span(image).subspan(imageoffset::Area2), 0, r));
        QVERIFY(recordFromDeviceImage(image) == r);
        image.pop_back();
        QVERIFY(!recordFromDeviceImage(image));
    }

    // A record from a file is sent as it holds its values, even beyond single precision, with
    // the words and the scaling a Write sets; an empty signal range is refused.
    void recordForWriteKeepsValues()
    {
        VYRParamSet r;
        QVERIFY(!recordScreen(Screen::defaults(), r));
        r.FixedFF = 7;
        r.HLimit[2] = 123456789;
        const WriteRecord w = recordForWrite(r, [](int k) { return QStringLiteral("CH%1").arg(k); });
        QVERIFY(w.value);
        QCOMPARE(w.value->HLimit[2], 123456789);
        QCOMPARE(w.value->FixedFF, std::uint16_t(255));
        QCOMPARE(w.value->Gain[15], 25000);
        QCOMPARE(w.value->Offset[0], -25000);
        QCOMPARE(w.value->GainBase[3], 1000);
        r.STo[5] = r.SFrom[5];
        QVERIFY(recordForWrite(r, [](int k) { return QStringLiteral("AI %1").arg(k); }).error.startsWith("AI 5: "));
    }

    void saveStagingIgnoresEqualRange()
    {
        Screen s = Screen::defaults();
        s.text(4, Column::STo) = "1000";
        QVERIFY(!stageScreen(s, true).ok());
        QVERIFY(stageScreen(s, false).ok());
    }
};

QTEST_GUILESS_MAIN(TestVyrWrite)
#include "test_vyrwrite.moc"
