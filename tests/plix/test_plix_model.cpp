#include "plix/PlixModel.h"

#include <QTest>
#include <vector>

using namespace tarnixw::plix;

namespace {

QByteArray hex(const char* s)
{
    return QByteArray::fromHex(s);
}

QByteArray bytesOf(const std::vector<std::uint8_t>& v, int from, int count)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()) + from, count);
}

PLIXStagedValues stagedDefaults()
{
    const StagingResult r = stageValues(Texts::defaults(), ChannelFlags{});
    Q_ASSERT(r.value);
    return *r.value;
}

// Block bytes as a Write would send them: block A at position 7, block B after a fresh start.
struct Packed {
    QByteArray blockA;
    QByteArray blockB;
    PLIXParamSet paramSet;
};

Packed pack(const PLIXStagedValues& s)
{
    Packed p;
    std::vector<std::uint8_t> buf(7 + kBlockASize, 0xEE);
    const int endA = PackBlockA(s, buf, 7, p.paramSet);
    Q_ASSERT(endA == 7 + kBlockASize);
    p.blockA = bytesOf(buf, 7, kBlockASize);
    std::vector<std::uint8_t> bufB(7 + kBlockBSize, 0xEE);
    const int endB = PackBlockB(s, bufB, 7, p.paramSet);
    Q_ASSERT(endB == 7 + kBlockBSize);
    p.blockB = bytesOf(bufB, 7, kBlockBSize);
    return p;
}

} // namespace

class TestPlixModel : public QObject {
    Q_OBJECT

private slots:
    void init() { resetModel(); }

    void fieldNamesAndDefaults()
    {
        // The component names are the contract with the form; the defaults are the designed texts.
        QCOMPARE(controlName(Field::CH0SensorFrom), QStringLiteral("CH0SensorFrom"));
        QCOMPARE(controlName(Field::CH1Hystersis), QStringLiteral("CH1Hystersis"));
        QCOMPARE(controlName(Field::CH1LowAlarm), QStringLiteral("CH1LowAlarm"));
        for (int i = 0; i < kFieldCount; ++i)
            QCOMPARE(fieldByName(controlName(fieldAt(i))), std::optional<Field>(fieldAt(i)));
        QVERIFY(!fieldByName(QStringLiteral("CH2SensorFrom")));
        const QStringList expected = {"1000", "5000", "0.000", "100.000", "40.000", "60.000", "30", "1", "0.5"};
        const Texts t = Texts::defaults();
        for (int ch = 0; ch < kChannelCount; ++ch)
            for (int k = 0; k < kParameterCount; ++k)
                QCOMPARE(t[fieldOf(ch, Parameter(k))], expected[k]);
        QCOMPARE(humanLabel(Field::CH1PvTo), QStringLiteral("CH1 P.V. To"));
        QCOMPARE(sensorPartner(Field::CH1SensorTo), std::optional<Field>(Field::CH1SensorFrom));
    }

    void startOfRunState()
    {
        model().CH0Enabled = false;
        model().paramSet.setU8(5, 9);
        resetModel();
        QVERIFY(model().CH0Enabled);
        QVERIFY(model().CH1Enabled);
        QCOMPARE(model().paramSet, PLIXParamSet{});
    }

    void defaultBlocksByteForByte()
    {
        const Packed p = pack(stagedDefaults());
        QCOMPARE(p.blockA,
            hex("0003"
                "0000"
                "0003"
                "00000000"
                "00000000"
                "000061A8"
                "000061A8"
                "FFFF9E58"
                "FFFF9E58"
                "000003E8"
                "000003E8"
                "0000EA60"
                "0000EA60"
                "00009C40"
                "00009C40"
                "01"
                "01"));
        QCOMPARE(p.blockB,
            hex("000003E8"
                "000003E8"
                "00001388"
                "00001388"
                "00000000"
                "00000000"
                "000186A0"
                "000186A0"
                "001E"
                "001E"
                "05"
                "05"));
    }

    void packingStoresIntoParamSet()
    {
        const Packed p = pack(stagedDefaults());
        const PLIXParamSet& s = p.paramSet;
        QCOMPARE(s.enableMask(), std::uint16_t(3));
        QCOMPARE(s.u16(offset::kConstThree16), std::uint16_t(3));
        QCOMPARE(s.slope(1), 25000);
        QCOMPARE(s.offsetValue(0), -25000);
        QCOMPARE(s.i32(offset::kConstThousand + 4), 1000);
        QCOMPARE(s.highAlarm(1), 60000);
        QCOMPARE(s.lowAlarm(0), 40000);
        QCOMPARE(s.sensorTo(1), 5000);
        QCOMPARE(s.pvTo(0), 100000);
        QCOMPARE(s.silenceTime(1), std::int16_t(30));
        QCOMPARE(s.hysteresis(0), std::uint8_t(5));
        // Little-endian in the image.
        QCOMPARE(s.toBytes().mid(offset::kSensorFrom, 4), hex("E8030000"));
        // The reserved gaps are never written.
        for (int gap : {6, 58, 98}) {
            QCOMPARE(s.u8(gap), std::uint8_t(0));
            QCOMPARE(s.u8(gap + 1), std::uint8_t(0));
        }
    }

    void packRefusesShortBuffer()
    {
        std::vector<std::uint8_t> buf(7 + kBlockASize - 1, 0xEE);
        PLIXParamSet s;
        QCOMPARE(PackBlockA(stagedDefaults(), buf, 7, s), -1);
        QCOMPARE(s, PLIXParamSet{});
        QVERIFY(std::all_of(buf.begin(), buf.end(), [](auto b) { return b == 0xEE; }));
    }

    void packingTruncatesTowardZero_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("12345.6") << 12345.6f << hex("00003039");
        QTest::newRow("-2500.7") << -2500.7f << hex("FFFFF63C");
        QTest::newRow("0.9") << 0.9f << hex("00000000");
        QTest::newRow("-0.9") << -0.9f << hex("00000000");
    }
    void packingTruncatesTowardZero()
    {
        QFETCH(float, value);
        QFETCH(QByteArray, bytes);
        PLIXStagedValues s = stagedDefaults();
        s[staged::kHighAlarm] = value;
        s[staged::kPvFrom + 1] = value;
        const Packed p = pack(s);
        QCOMPARE(p.blockA.mid(38, 4), bytes); // CH0 high alarm at address 70
        QCOMPARE(p.blockB.mid(20, 4), bytes); // CH1 P.V. from at address 2068
    }

    void negativePvFromIsSentAsTwosComplement()
    {
        Texts t = Texts::defaults();
        t[Field::CH0PvFrom] = QStringLiteral("-2.5");
        const StagingResult r = stageValues(t, ChannelFlags{});
        QVERIFY2(r.value, qPrintable(r.error));
        QCOMPARE(pack(*r.value).blockB.mid(16, 4), hex("FFFFF63C"));
    }

    void hysteresisRoundsToSingleBeforeTruncation()
    {
        // 0.3 x 10 in double is 2.9999999999999996; held in single precision it is exactly 3.
        Texts t = Texts::defaults();
        t[Field::CH1Hystersis] = QStringLiteral("0.3");
        const StagingResult r = stageValues(t, ChannelFlags{});
        QVERIFY(r.value);
        QCOMPARE(pack(*r.value).blockB.at(37), char(3));
    }

    void slopeAndOffsetPerChannel()
    {
        // CH1: 0..10000 mV onto -50..150 gives 20000 thousandths per volt and -50000 offset.
        Texts t = Texts::defaults();
        t[Field::CH1SensorFrom] = QStringLiteral("0");
        t[Field::CH1SensorTo] = QStringLiteral("10000");
        t[Field::CH1PvFrom] = QStringLiteral("-50");
        t[Field::CH1PvTo] = QStringLiteral("150");
        const StagingResult r = stageValues(t, {true, false});
        QVERIFY(r.value);
        QCOMPARE((*r.value)[staged::kEnableMask], 1.0f);
        QCOMPARE((*r.value)[staged::kSlope + 1], 20000.0f);
        QCOMPARE((*r.value)[staged::kOffset + 1], -50000.0f);
        QCOMPARE((*r.value)[staged::kSlope], 25000.0f);
        // A falling line (sensor from above to) is legal for the device.
        t[Field::CH0SensorFrom] = QStringLiteral("5000");
        t[Field::CH0SensorTo] = QStringLiteral("1000");
        const StagingResult f = stageValues(t, {});
        QVERIFY(f.value);
        QCOMPARE((*f.value)[staged::kSlope], -25000.0f);
        QCOMPARE((*f.value)[staged::kOffset], 125000.0f);
    }

    void enableMask_data()
    {
        QTest::addColumn<bool>("ch0");
        QTest::addColumn<bool>("ch1");
        QTest::addColumn<int>("mask");
        QTest::newRow("both") << true << true << 0x0003;
        QTest::newRow("CH1 only") << false << true << 0x0002;
        QTest::newRow("CH0 only") << true << false << 0x0001;
        QTest::newRow("none") << false << false << 0x0000;
    }
    void enableMask()
    {
        QFETCH(bool, ch0);
        QFETCH(bool, ch1);
        QFETCH(int, mask);
        QCOMPARE(int(tarnixw::plix::enableMask({ch0, ch1})), mask);
        QCOMPARE(flagsFromMask(std::uint16_t(mask)), (ChannelFlags{ch0, ch1}));
    }

    void maskOtherBitsIgnored()
    {
        QCOMPARE(flagsFromMask(0x0001), (ChannelFlags{true, false}));
        QCOMPARE(flagsFromMask(0xFFFF), (ChannelFlags{true, true}));
        QCOMPARE(flagsFromMask(0xFFFC), (ChannelFlags{false, false}));
    }

    void stagingRefuses_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("is out of the range the device can store.");
        QTest::newRow("not a number") << "CH1PvTo"
                                      << "abc"
                                      << "CH1 P.V. To: 'abc' is not a valid floating point value";
        QTest::newRow("empty") << "CH0SilenceTime"
                               << ""
                               << "CH0 Silence Time: '' is not a valid floating point value";
        QTest::newRow("nan") << "CH0Hystersis"
                             << "nan"
                             << "CH0 Hysteresis: 'nan' is not a valid floating point value";
        QTest::newRow("alarm beyond 32 bits") << "CH0HighAlarm"
                                              << "5000000"
                                              << "CH0 High Alarm: '5000000' " + range;
        QTest::newRow("alarm below 32 bits") << "CH1LowAlarm"
                                             << "-2147484"
                                             << "CH1 Low Alarm: '-2147484' " + range;
        QTest::newRow("silence beyond 16 bits") << "CH1SilenceTime"
                                                << "65536"
                                                << "CH1 Silence Time: '65536' " + range;
        // The device reads its 32- and 16-bit fields as signed: 3e9 thousandths would come back
        // as a negative alarm, 40000 minutes as a negative silence.
        QTest::newRow("alarm beyond signed 32 bits") << "CH0HighAlarm"
                                                     << "3000000"
                                                     << "CH0 High Alarm: '3000000' " + range;
        QTest::newRow("silence beyond signed 16 bits") << "CH0SilenceTime"
                                                       << "40000"
                                                       << "CH0 Silence Time: '40000' " + range;
        QTest::newRow("digits beyond 8 bits") << "CH0DecimalDigits"
                                              << "256"
                                              << "CH0 Decimal Digits: '256' " + range;
        QTest::newRow("hysteresis beyond 8 bits") << "CH1Hystersis"
                                                  << "25.6"
                                                  << "CH1 Hysteresis: '25.6' " + range;
        QTest::newRow("beyond single precision") << "CH0SensorTo"
                                                 << "1e40"
                                                 << "CH0 Sensor To: '1e40' " + range;
        QTest::newRow("equal sensors") << "CH0SensorTo"
                                       << "1000"
                                       << "CH0: Sensor From and Sensor To are both 1000 mV; they must differ.";
        QTest::newRow("equal after single precision")
            << "CH1SensorTo"
            << "1000.00001"
            << "CH1: Sensor From and Sensor To are both 1000 mV; they must differ.";
        QTest::newRow("slope beyond 32 bits")
            << "CH0SensorTo"
            << "1001"
            << "CH0: the sensor and P.V. ranges give a slope the device cannot store; widen the sensor range or "
               "narrow the P.V. range.";
    }
    void stagingRefuses()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Texts t = Texts::defaults();
        if (box == QLatin1String("CH0SensorTo") && text == QLatin1String("1001"))
            t[Field::CH0PvTo] = QStringLiteral("2000000"); // 2e9 thousandths over 1 mV
        t[*fieldByName(box)] = text;
        const StagingResult r = stageValues(t, ChannelFlags{});
        QVERIFY(!r.value);
        QCOMPARE(r.error, message);
    }

    void stagingAcceptsFieldEdges_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("staged");
        QTest::addColumn<float>("value");
        // A 16-bit field holds -32768 as well as 65535 (the device reads it as it will).
        QTest::newRow("silence -1") << "CH0SilenceTime"
                                    << "-1" << staged::kSilenceTime << -1.0f;
        QTest::newRow("silence 32767") << "CH1SilenceTime"
                                       << "32767" << staged::kSilenceTime + 1 << 32767.0f;
        QTest::newRow("silence -32768") << "CH1SilenceTime"
                                        << "-32768" << staged::kSilenceTime + 1 << -32768.0f;
        QTest::newRow("digits 255") << "CH0DecimalDigits"
                                    << "255" << staged::kDecimalDigits << 255.0f;
        QTest::newRow("hysteresis 25.5") << "CH0Hystersis"
                                         << "25.5" << staged::kHysteresis << 255.0f;
        QTest::newRow("alarm 2147483") << "CH0LowAlarm"
                                       << "2147483" << staged::kLowAlarm << 2147483000.0f;
        QTest::newRow("silence parsed as number") << "CH0SilenceTime"
                                                  << "30.7" << staged::kSilenceTime << 30.7f;
    }
    void stagingAcceptsFieldEdges()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(int, staged);
        QFETCH(float, value);
        Texts t = Texts::defaults();
        t[*fieldByName(box)] = text;
        const StagingResult r = stageValues(t, ChannelFlags{});
        QVERIFY2(r.value, qPrintable(r.error));
        QCOMPARE((*r.value)[staged], value);
    }

    void stagingErrorLeavesParamSetAlone()
    {
        Texts t = Texts::defaults();
        t[Field::CH1Hystersis] = QStringLiteral("x");
        QVERIFY(!stageValues(t, {}).value);
        QCOMPARE(model().paramSet, PLIXParamSet{});
    }

    void decodeDefaultsRoundTrip()
    {
        // What the default blocks carry reads back as the default texts.
        const Packed p = pack(stagedDefaults());
        const QByteArray image = p.blockA + p.blockB;
        const auto d = tarnixw::plix::decodeDeviceImage(
            std::span(reinterpret_cast<const std::uint8_t*>(image.constData()), std::size_t(image.size())));
        QVERIFY(d);
        QCOMPARE(d->texts, Texts::defaults());
        QCOMPARE(d->flags, (ChannelFlags{true, true}));
    }

    void decodeDeviceImage_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::newRow("pv five significant") << 72 << hex("0012D687") << "CH0PvFrom"
                                             << "1234.600";
        QTest::newRow("pv 100") << 84 << hex("000186A0") << "CH1PvTo"
                                << "100.000";
        QTest::newRow("pv negative") << 76 << hex("FFFFF63C") << "CH1PvFrom"
                                     << "-2.500";
        QTest::newRow("alarm exponent") << 38 << hex("05F5E100") << "CH0HighAlarm"
                                        << "1.0000E+005";
        QTest::newRow("CH1 low alarm") << 50 << hex("00009C41") << "CH1LowAlarm"
                                       << "40.001";
        QTest::newRow("sensor negative") << 60 << hex("FFFFD8F0") << "CH1SensorFrom"
                                         << "-10000";
        QTest::newRow("sensor to") << 64 << hex("00002710") << "CH0SensorTo"
                                   << "10000";
        QTest::newRow("silence signed") << 90 << hex("FFFF") << "CH1SilenceTime"
                                        << "-1";
        QTest::newRow("digits signed") << 54 << hex("FF") << "CH0DecimalDigits"
                                       << "-1";
        QTest::newRow("hysteresis signed") << 93 << hex("F6") << "CH1Hystersis"
                                           << "-1.0";
        QTest::newRow("hysteresis two significant") << 92 << hex("7F") << "CH0Hystersis"
                                                    << "13.0";
        QTest::newRow("hysteresis 0.3") << 92 << hex("03") << "CH0Hystersis"
                                        << "0.3";
    }
    void decodeDeviceImage()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, box);
        QFETCH(QString, text);
        std::vector<std::uint8_t> image(kDeviceImageSize, 0);
        for (int i = 0; i < bytes.size(); ++i)
            image[position + i] = std::uint8_t(bytes[i]);
        const auto d = tarnixw::plix::decodeDeviceImage(image);
        QVERIFY(d);
        QCOMPARE(d->texts[*fieldByName(box)], text);
    }

    void decodeMaskAndShortImage()
    {
        std::vector<std::uint8_t> image(kDeviceImageSize, 0);
        image[1] = 0x01;
        QCOMPARE(tarnixw::plix::decodeDeviceImage(image)->flags, (ChannelFlags{true, false}));
        image[0] = 0xFF;
        image[1] = 0xFE;
        QCOMPARE(tarnixw::plix::decodeDeviceImage(image)->flags, (ChannelFlags{false, true}));
        image.pop_back();
        QVERIFY(!tarnixw::plix::decodeDeviceImage(image));
    }

    // Reading the device image back is the exact inverse of the block layouts, and an image
    // from a file is sent as it holds its values, with the constants and scaling Write sets.
    void deviceImageRoundTripAndWriteImage()
    {
        PLIXParamSet p;
        for (int i = 0; i < kParamSetSize; ++i)
            p.bytes[std::size_t(i)] = std::uint8_t(i * 37 + 11);
        for (const int gap : {6, 58, 98})
            p.setU16(gap, 0); // not on the device
        std::vector<std::uint8_t> image(kDeviceImageSize, 0);
        QCOMPARE(layBlockA(p, image, 0), kBlockASize);
        QCOMPARE(layBlockB(p, image, kBlockASize), kDeviceImageSize);
        QVERIFY(paramSetFromDeviceImage(image) == p);
        image.pop_back();
        QVERIFY(!paramSetFromDeviceImage(image));

        PLIXParamSet file;
        QVERIFY(!captureForSave(Texts::defaults(), {true, true}, file));
        file.setHighAlarm(1, 123456789);
        const WriteImage w = paramSetForWrite(file);
        QVERIFY(w.value);
        QCOMPARE(w.value->highAlarm(1), 123456789);
        QCOMPARE(w.value->slope(0), 25000);
        QCOMPARE(w.value->offsetValue(1), -25000);
        QCOMPARE(w.value->u16(offset::kConstThree16), std::uint16_t(3));
        QCOMPARE(w.value->i32(offset::kConstThousand + 4), 1000);
        file.setSensorTo(1, file.sensorFrom(1));
        QVERIFY(paramSetForWrite(file).error.startsWith("CH1: "));
    }

    void checkBoxUsesPartnerAndPlixWording()
    {
        Texts t = Texts::defaults();
        t[Field::CH1SensorTo] = QStringLiteral("500");
        QCOMPARE(checkBox(Field::CH1SensorTo, t).error, QStringLiteral("Value must larger than 'From(mV):'."));
        QVERIFY(checkBox(Field::CH0SensorTo, t).ok());
        t[Field::CH0SensorFrom] = QStringLiteral("6000");
        QCOMPARE(checkBox(Field::CH0SensorFrom, t).error, QStringLiteral("Value must less than 'To(mV):'."));
        t[Field::CH0PvFrom] = QStringLiteral("12.3456");
        QCOMPARE(checkBox(Field::CH0PvFrom, t).value, std::optional<std::optional<QString>>(QStringLiteral("12.346")));
    }
};

QTEST_GUILESS_MAIN(TestPlixModel)
#include "test_plix_model.moc"
