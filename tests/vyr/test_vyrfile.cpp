// The VYR record as a configuration file: its layout, Save File's capture and Open File.
#include "vyr/VyrModel.h"

#include <QtTest>

using namespace tarnixw::vyr;

namespace {

// A record with a distinct value in the first and last element of every field.
VYRParamSet markedRecord()
{
    VYRParamSet r;
    r.ChanInUseMask = 0xA001;
    r.FixedZero = 0xA002;
    r.FixedFF = 0xA003;
    r.Reserved = 0xA004;
    for (int i = 0; i < 16; ++i) {
        r.ChanZero[i] = 0x01000000 + i;
        r.Gain[i] = 0x02000000 + i;
        r.Offset[i] = 0x03000000 + i;
        r.GainBase[i] = 0x04000000 + i;
        r.HLimit[i] = 0x05000000 + i;
        r.LLimit[i] = 0x06000000 + i;
        r.Digits[i] = std::uint8_t(0x10 + i);
        r.SFrom[i] = 0x07000000 + i;
        r.STo[i] = 0x08000000 + i;
        r.DFrom[i] = 0x09000000 + i;
        r.DTo[i] = 0x0A000000 + i;
        r.Hysteresis[i] = std::uint8_t(0x60 + i);
    }
    for (int m = 0; m < 3; ++m) {
        r.DICloseMask[m] = std::uint16_t(0xB100 + m);
        r.DIOpenMask[m] = std::uint16_t(0xB200 + m);
    }
    for (int i = 0; i < 192; ++i)
        r.DOMapMask[i] = std::uint16_t(0xC000 + i);
    for (int i = 0; i < 64; ++i)
        r.SilenceT[i] = std::int16_t(0x0D00 + i);
    return r;
}

quint32 le(const QByteArray& b, int at, int width)
{
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b[at + i]);
    return v;
}

} // namespace

class TestVyrFile : public QObject {
    Q_OBJECT

private slots:
    void recordLayout_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("value");
        QTest::newRow("ChanInUseMask") << 0 << 2 << 0xA001u;
        QTest::newRow("FixedZero") << 2 << 2 << 0xA002u;
        QTest::newRow("FixedFF") << 4 << 2 << 0xA003u;
        QTest::newRow("reserved") << 6 << 2 << 0xA004u;
        QTest::newRow("ChanZero[0]") << 8 << 4 << 0x01000000u;
        QTest::newRow("ChanZero[15]") << 68 << 4 << 0x0100000Fu;
        QTest::newRow("Gain[0]") << 72 << 4 << 0x02000000u;
        QTest::newRow("Offset[0]") << 136 << 4 << 0x03000000u;
        QTest::newRow("GainBase[0]") << 200 << 4 << 0x04000000u;
        QTest::newRow("HLimit[0]") << 264 << 4 << 0x05000000u;
        QTest::newRow("LLimit[15]") << 388 << 4 << 0x0600000Fu;
        QTest::newRow("DICloseMask[0]") << 392 << 2 << 0xB100u;
        QTest::newRow("DIOpenMask[2]") << 402 << 2 << 0xB202u;
        QTest::newRow("DOMapMask input 0 module 0") << 404 << 2 << 0xC000u;
        QTest::newRow("DOMapMask input 63 module 2") << 786 << 2 << 0xC0BFu;
        QTest::newRow("Digits[0]") << 788 << 1 << 0x10u;
        QTest::newRow("Digits[15]") << 803 << 1 << 0x1Fu;
        QTest::newRow("SFrom[0]") << 804 << 4 << 0x07000000u;
        QTest::newRow("STo[0]") << 868 << 4 << 0x08000000u;
        QTest::newRow("DFrom[0]") << 932 << 4 << 0x09000000u;
        QTest::newRow("DTo[15]") << 1056 << 4 << 0x0A00000Fu;
        QTest::newRow("SilenceT[0]") << 1060 << 2 << 0x0D00u;
        QTest::newRow("SilenceT[63]") << 1186 << 2 << 0x0D3Fu;
        QTest::newRow("Hysteresis[0]") << 1188 << 1 << 0x60u;
        QTest::newRow("Hysteresis[15]") << 1203 << 1 << 0x6Fu;
    }

    void recordLayout()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(quint32, value);
        const QByteArray bytes = fileBytes(markedRecord());
        QCOMPARE(bytes.size(), 1204);
        QCOMPARE(le(bytes, offset, width), value);
    }

    void bytesLoadBackIntoTheSameRecord()
    {
        VYRParamSet r = markedRecord();
        r.HLimit[3] = -524272;
        r.SilenceT[5] = -1;
        VYRParamSet loaded;
        QCOMPARE(loadRecord(fileBytes(r), loaded), std::nullopt);
        QCOMPARE(loaded, r);
    }

    void freshRecordIsAllZero()
    {
        resetModel();
        const QByteArray bytes = fileBytes(model().paramSet);
        QCOMPARE(bytes, QByteArray(1204, '\0'));
    }

    void wrongSizeRefused_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("a 100-byte file of the other model")
            << 100 << "This file is 100 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("one byte too many")
            << 1205 << "This file is 1205 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("empty") << 0
                               << "This file is 0 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
    }

    void wrongSizeRefused()
    {
        QFETCH(int, size);
        QFETCH(QString, message);
        VYRParamSet record = markedRecord();
        QCOMPARE(loadRecord(QByteArray(size, '\x7F'), record), std::optional(message));
        QCOMPARE(record, markedRecord());
    }

    void saveConvertsAsWriteDoes()
    {
        VYRParamSet record;
        Screen s = Screen::defaults();
        s.text(6, Column::HLimit) = "-524.272";
        s.text(6, Column::Digits) = "2.9";
        s.text(6, Column::SilenceT) = "-3.9996";
        s.text(6, Column::Hysteresis) = "0.5";
        QCOMPARE(recordScreen(s, record), std::nullopt);
        QCOMPARE(record.HLimit[6], -524272);
        QCOMPARE(record.Digits[6], std::uint8_t(2));
        QCOMPARE(record.analogSilence(6), std::int16_t(-3));
        QCOMPARE(record.Hysteresis[6], std::uint8_t(5));
        QCOMPARE(record.ChanInUseMask, std::uint16_t(0xFFFF));
        QCOMPARE(record.FixedFF, std::uint16_t(255));
        const QByteArray bytes = fileBytes(record);
        QCOMPARE(qint32(le(bytes, 264 + 24, 4)), -524272);
    }

    void saveKeepsScalingFieldsOfTheRecord()
    {
        VYRParamSet record = markedRecord();
        Screen s = Screen::defaults();
        s.text(1, Column::STo) = "1000"; // an empty range is no reason to refuse a save
        QCOMPARE(recordScreen(s, record), std::nullopt);
        const VYRParamSet marked = markedRecord();
        QCOMPARE(record.ChanZero, marked.ChanZero);
        QCOMPARE(record.Gain, marked.Gain);
        QCOMPARE(record.Offset, marked.Offset);
        QCOMPARE(record.GainBase, marked.GainBase);
        QCOMPARE(record.Reserved, marked.Reserved);
        QCOMPARE(record.FixedZero, std::uint16_t(0));
        QCOMPARE(record.STo[1], 1000);
    }

    void saveAfterWriteCarriesItsGains()
    {
        VYRParamSet record;
        std::vector<std::uint8_t> image(1218, 0);
        const StageResult staged = stageScreen(Screen::defaults());
        QVERIFY(PackParamArea1(image, 0, *staged.value, record));
        QCOMPARE(recordScreen(Screen::defaults(), record), std::nullopt);
        const QByteArray bytes = fileBytes(record);
        QCOMPARE(qint32(le(bytes, 72, 4)), 25000);
        QCOMPARE(qint32(le(bytes, 136 + 60, 4)), -25000);
        QCOMPARE(qint32(le(bytes, 200 + 28, 4)), 1000);
    }

    void saveRefusalChangesNothing_data()
    {
        QTest::addColumn<bool>("di");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("analog") << false << "abc"
                                << "CH3 Alarm High: 'abc' is not a valid floating point value";
        QTest::newRow("DI") << true << "x"
                            << "DI Module 1 CH5 Silence: 'x' is not a valid floating point value";
        QTest::newRow("too big") << false << "1e12"
                                 << "CH3 Alarm High: '1e12' is out of the range the device can store.";
    }

    void saveRefusalChangesNothing()
    {
        QFETCH(bool, di);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Screen s = Screen::defaults();
        if (di)
            s.DISilenceT[1][5] = text;
        else
            s.text(3, Column::HLimit) = text;
        VYRParamSet record = markedRecord();
        QCOMPARE(recordScreen(s, record), std::optional(message));
        QCOMPARE(record, markedRecord());
    }

    void saveThenLoadGivesScreenBack()
    {
        Screen s = Screen::defaults();
        s.VYRChanInUse[0] = kOff;
        s.VYRChanInUse[9] = kOff;
        s.text(0, Column::SFrom) = "-10000";
        s.text(0, Column::DFrom) = "-999.000";
        s.text(5, Column::HLimit) = "-524.270";
        s.text(5, Column::LLimit) = "1234.600";
        s.text(5, Column::Digits) = "3";
        s.text(15, Column::Hysteresis) = "5.0";
        s.text(15, Column::SilenceT) = "-32767";
        s.DIChanInUse[0][0] = kOn;
        s.DICloseTicked[0][0] = true;
        s.DIChanInUse[2][15] = kOn;
        s.DIOpenTicked[2][15] = true;
        s.DIAlarm[2][15] = kOff;
        s.DISilenceT[2][15] = "-1";
        s.DISilenceT[1][3] = "45";
        s.DOMap[15][63][2] = 1;
        s.DOMap[0][0][0] = 1;
        VYRParamSet saved;
        QCOMPARE(recordScreen(s, saved), std::nullopt);
        VYRParamSet loaded = markedRecord();
        QCOMPARE(loadRecord(fileBytes(saved), loaded), std::nullopt);
        QCOMPARE(screenFromRecord(loaded), s);
    }

    void loadFormats_data()
    {
        QTest::addColumn<int>("hysteresis");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("diSilence");
        QTest::addColumn<QString>("hysteresisText");
        QTest::addColumn<QString>("digitsText");
        QTest::addColumn<int>("alarm");
        QTest::addColumn<QString>("silenceText");
        // The file's bytes are read unsigned, unlike the device's.
        QTest::newRow("hysteresis 200") << 200 << 1 << 30 << "20.0"
                                        << "1" << -1 << "30";
        QTest::newRow("digits 200") << 5 << 200 << 0 << "0.5"
                                    << "200" << -1 << "0";
        QTest::newRow("DI silence -3") << 5 << 1 << -3 << "0.5"
                                       << "1" << 0 << "-1";
    }

    void loadFormats()
    {
        QFETCH(int, hysteresis);
        QFETCH(int, digits);
        QFETCH(int, diSilence);
        QFETCH(QString, hysteresisText);
        QFETCH(QString, digitsText);
        QFETCH(int, alarm);
        QFETCH(QString, silenceText);
        QByteArray bytes(1204, '\0');
        bytes[1188 + 4] = char(hysteresis);
        bytes[788 + 4] = char(digits);
        bytes[1060 + 8 * 4 + 2 * 3] = char(diSilence & 0xFF); // DI module 2, channel 4
        bytes[1060 + 8 * 4 + 2 * 3 + 1] = char((diSilence >> 8) & 0xFF);
        VYRParamSet record;
        QCOMPARE(loadRecord(bytes, record), std::nullopt);
        const Screen s = screenFromRecord(record);
        QCOMPARE(s.text(4, Column::Hysteresis), hysteresisText);
        QCOMPARE(s.text(4, Column::Digits), digitsText);
        QCOMPARE(s.DIAlarm[2][4], std::int16_t(alarm));
        QCOMPARE(s.DISilenceT[2][4], silenceText);
    }

    void loadedRelayBitsBothSetShowClose()
    {
        VYRParamSet record;
        record.DICloseMask[1] = 0x0100;
        record.DIOpenMask[1] = 0x0300;
        const Screen s = screenFromRecord(record);
        QCOMPARE(s.DIChanInUse[1][8], std::int16_t(-1));
        QVERIFY(s.DICloseTicked[1][8]);
        QVERIFY(!s.DIOpenTicked[1][8]);
        QVERIFY(!s.DICloseTicked[1][9]);
        QVERIFY(s.DIOpenTicked[1][9]);
        QCOMPARE(s.DIChanInUse[1][10], std::int16_t(0));
    }

    void loadedThousandthsGoThroughSinglePrecision()
    {
        // 99999497 as a single is 99999496: x 0.001 then held single gives 99999.492,
        // shown as 99999. The device rule (x 0.001 first) gives 99999.5 and rounds up.
        VYRParamSet record;
        record.DTo[0] = 99999497;
        record.DFrom[0] = 20000;
        const Screen s = screenFromRecord(record);
        QCOMPARE(s.text(0, Column::DTo), QString("99999.000"));
        QCOMPARE(s.text(0, Column::DFrom), QString("20.000"));
        QCOMPARE(formatThousandths(99999497), QString("1.0000E+005"));
    }
};

QTEST_GUILESS_MAIN(TestVyrFile)
#include "test_vyrfile.moc"
