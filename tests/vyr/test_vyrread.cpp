// Decoding a Read's DeviceImage into the screen snapshot.
#include "vyr/VyrModel.h"

#include <QtTest>
#include <vector>

using namespace tarnixw::vyr;

namespace {

struct Image {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(1218, 0);

    void setShort(int at, std::uint16_t v)
    {
        bytes[at] = std::uint8_t(v >> 8);
        bytes[at + 1] = std::uint8_t(v);
    }
    void setLong(int at, std::int32_t v)
    {
        const auto u = std::uint32_t(v);
        bytes[at] = std::uint8_t(u >> 24);
        bytes[at + 1] = std::uint8_t(u >> 16);
        bytes[at + 2] = std::uint8_t(u >> 8);
        bytes[at + 3] = std::uint8_t(u);
    }
    Screen decode() const
    {
        const auto s = decodeDeviceImage(bytes);
        if (!s)
            qFatal("image refused");
        return *s;
    }
};

} // namespace

class TestVyrRead : public QObject {
    Q_OBJECT

private slots:
    void thousandthsFormats_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("imageOffset"); // of channel 0
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("DFrom 20000") << int(Column::DFrom) << 946 << 20000 << "20.000";
        QTest::newRow("DTo 1234567") << int(Column::DTo) << 1010 << 1234567 << "1234.600";
        QTest::newRow("HLimit -524272") << int(Column::HLimit) << 262 << -524272 << "-524.270";
        QTest::newRow("LLimit 5") << int(Column::LLimit) << 326 << 5 << "0.005";
        QTest::newRow("LLimit 0") << int(Column::LLimit) << 326 << 0 << "0.000";
        QTest::newRow("HLimit 99999") << int(Column::HLimit) << 262 << 99999 << "99.999";
    }

    void thousandthsFormats()
    {
        QFETCH(int, column);
        QFETCH(int, imageOffset);
        QFETCH(int, raw);
        QFETCH(QString, text);
        Image img;
        img.setLong(imageOffset + 4 * 11, raw);
        const Screen s = img.decode();
        QCOMPARE(s.text(11, Column(column)), text);
        QCOMPARE(s.text(10, Column(column)), QString("0.000"));
    }

    void integerAndByteFields_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("imageOffset"); // of channel 0
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("SFrom -10000") << int(Column::SFrom) << 818 << 4 << -10000 << "-10000";
        QTest::newRow("STo 10000") << int(Column::STo) << 882 << 4 << 10000 << "10000";
        QTest::newRow("analog silence -5") << int(Column::SilenceT) << 1074 << 2 << 0xFFFB << "-5";
        QTest::newRow("digits signed") << int(Column::Digits) << 786 << 1 << 0xFF << "-1";
        QTest::newRow("hysteresis 5") << int(Column::Hysteresis) << 1202 << 1 << 5 << "0.5";
        QTest::newRow("hysteresis 50") << int(Column::Hysteresis) << 1202 << 1 << 50 << "5.0";
        QTest::newRow("hysteresis 200 signed") << int(Column::Hysteresis) << 1202 << 1 << 200 << "-5.6";
    }

    void integerAndByteFields()
    {
        QFETCH(int, column);
        QFETCH(int, imageOffset);
        QFETCH(int, width);
        QFETCH(int, raw);
        QFETCH(QString, text);
        Image img;
        const int k = 13;
        if (width == 4)
            img.setLong(imageOffset + 4 * k, raw);
        else if (width == 2)
            img.setShort(imageOffset + 2 * k, std::uint16_t(raw));
        else
            img.bytes[imageOffset + k] = std::uint8_t(raw);
        QCOMPARE(img.decode().text(k, Column(column)), text);
    }

    void analogInUseFromMask()
    {
        Image img;
        img.setShort(0, 0x8001);
        img.setShort(2, 0xFFFF); // FixedZero and FixedFF are not used
        img.setShort(4, 0xFFFF);
        const Screen s = img.decode();
        for (int k = 0; k < 16; ++k)
            QCOMPARE(s.VYRChanInUse[k], std::int16_t(k == 0 || k == 15 ? -1 : 0));
    }

    void diChannel_data()
    {
        QTest::addColumn<int>("close");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("silence");
        QTest::addColumn<int>("inUse");
        QTest::addColumn<bool>("closeTicked");
        QTest::addColumn<bool>("openTicked");
        QTest::addColumn<int>("alarm");
        QTest::addColumn<QString>("text");
        QTest::newRow("close") << 1 << 0 << 30 << -1 << true << false << -1 << "30";
        QTest::newRow("open, silence 0 is on") << 0 << 1 << 0 << -1 << false << true << -1 << "0";
        QTest::newRow("both bits: close wins") << 1 << 1 << 12 << -1 << true << false << -1 << "12";
        QTest::newRow("neither: not in use") << 0 << 0 << 25 << 0 << false << false << -1 << "25";
        QTest::newRow("silence -5: alarm off") << 1 << 0 << -5 << -1 << true << false << 0 << "-1";
        QTest::newRow("silence -1, not in use") << 0 << 0 << -1 << 0 << false << false << 0 << "-1";
        QTest::newRow("largest silence") << 0 << 1 << 32767 << -1 << false << true << -1 << "32767";
    }

    void diChannel()
    {
        QFETCH(int, close);
        QFETCH(int, open);
        QFETCH(int, silence);
        QFETCH(int, inUse);
        QFETCH(bool, closeTicked);
        QFETCH(bool, openTicked);
        QFETCH(int, alarm);
        QFETCH(QString, text);
        // Module 2, channel 15: the last word of each table.
        Image img;
        img.setShort(390 + 4, std::uint16_t(close << 15));
        img.setShort(396 + 4, std::uint16_t(open << 15));
        img.setShort(1106 + 64 + 30, std::uint16_t(silence));
        const Screen s = img.decode();
        QCOMPARE(s.DIChanInUse[2][15], std::int16_t(inUse));
        QCOMPARE(s.DICloseTicked[2][15], closeTicked);
        QCOMPARE(s.DIOpenTicked[2][15], openTicked);
        QCOMPARE(s.DIAlarm[2][15], std::int16_t(alarm));
        QCOMPARE(s.DISilenceT[2][15], text);
        // Neighbours read zeros: not in use, silence "0" with the alarm on.
        QCOMPARE(s.DIChanInUse[2][14], std::int16_t(0));
        QCOMPARE(s.DISilenceT[1][15], QString("0"));
        QCOMPARE(s.DIAlarm[1][15], std::int16_t(-1));
    }

    void diSilenceTableRows()
    {
        Image img;
        for (int m = 0; m < 3; ++m)
            for (int n = 0; n < 16; ++n)
                img.setShort(1106 + 32 * m + 2 * n, std::uint16_t(100 * m + n));
        const Screen s = img.decode();
        QCOMPARE(s.DISilenceT[0][0], QString("0"));
        QCOMPARE(s.DISilenceT[1][7], QString("107"));
        QCOMPARE(s.DISilenceT[2][15], QString("215"));
    }

    void doCellOutput15Input63Module2()
    {
        Image img;
        img.setShort(784, 0x8000); // device address 816
        const Screen s = img.decode();
        QCOMPARE(s.DOMap[15][63][2], std::int16_t(1));
        int ticked = 0;
        for (const auto& byInput : s.DOMap)
            for (const auto& byModule : byInput)
                for (std::int16_t v : byModule)
                    ticked += v;
        QCOMPARE(ticked, 1);
    }

    void doWordBitsAreOutputs()
    {
        Image img;
        img.setShort(402 + 6 * 20 + 2 * 1, 0x0009); // input 20, module 1: outputs 0 and 3
        const Screen s = img.decode();
        QCOMPARE(s.DOMap[0][20][1], std::int16_t(1));
        QCOMPARE(s.DOMap[3][20][1], std::int16_t(1));
        QCOMPARE(s.DOMap[1][20][1], std::int16_t(0));
        QCOMPARE(s.DOMap[0][20][0], std::int16_t(0));
    }

    void stateArraysFollowTheDecodedScreen()
    {
        Image img;
        img.setShort(390, 0x0003); // module 0: channels 0 and 1 Close
        img.setShort(396, 0x0006); // module 0: channels 1 and 2 Open
        img.setShort(784, 0x8000);
        ScreenState state;
        state.resetToBuild();
        state.adoptScreen(img.decode());
        QCOMPARE(state.DIClose[0][0], std::int16_t(1));
        QCOMPARE(state.DIOpen[0][0], 0);
        QCOMPARE(state.DIClose[0][1], std::int16_t(1)); // both bits: Close alone
        QCOMPARE(state.DIOpen[0][1], 0);
        QCOMPARE(state.DIClose[0][2], std::int16_t(0));
        QCOMPARE(state.DIOpen[0][2], 1);
        QCOMPARE(state.DIChanInUse[0][3], std::int16_t(0));
        QCOMPARE(state.DOMap[15][63][2], std::int16_t(1));
        QCOMPARE(state.VYRChanInUse[0], std::int16_t(0));
    }

    void shortImageRefused()
    {
        std::vector<std::uint8_t> image(1217, 0);
        QVERIFY(!decodeDeviceImage(image));
    }

    // What Write packs, Read shows again (for values inside the display formats).
    void writeThenReadGivesScreenBack()
    {
        Screen s = Screen::defaults();
        s.VYRChanInUse[4] = kOff;
        s.text(2, Column::SFrom) = "-2500";
        s.text(2, Column::DTo) = "9999.000";
        s.text(2, Column::LLimit) = "-12.345";
        s.text(2, Column::Hysteresis) = "4.5";
        s.text(2, Column::Digits) = "3";
        s.DIChanInUse[0][9] = kOn;
        s.DIOpenTicked[0][9] = true;
        s.DISilenceT[0][9] = "120";
        s.DIAlarm[1][1] = kOff;
        s.DISilenceT[1][1] = "-1";
        for (int m = 0; m < 3; ++m)
            for (int n = 0; n < 16; ++n)
                if (s.DISilenceT[m][n] == "30")
                    s.DISilenceT[m][n] = QString::number(m * 16 + n);
        s.DOMap[7][40][0] = 1;
        const StageResult staged = stageScreen(s);
        QVERIFY(staged.ok());
        VYRParamSet record;
        std::vector<std::uint8_t> image(1218, 0), area(1218, 0);
        QVERIFY(PackParamArea1(area, 0, *staged.value, record));
        std::copy(area.begin(), area.begin() + 818, image.begin());
        QVERIFY(PackParamArea2(area, 0, *staged.value, record));
        std::copy(area.begin(), area.begin() + 400, image.begin() + 818);
        const auto back = decodeDeviceImage(image);
        QVERIFY(back);
        QCOMPARE(*back, s);
    }
};

QTEST_GUILESS_MAIN(TestVyrRead)
#include "test_vyrread.moc"
