// The VYRANTA window's Read and Write against the in-process simulated device, in virtual
// time, as the user starts them from the buttons.
#include "kit/FormKit.h"
#include "link/Modbus.h"
#include "tests/support/VyrFormRig.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace tarnixw;
using namespace tarnixw::vyr;
using Bytes = std::vector<std::uint8_t>;
using Rig = test::VyrFormRig;

namespace {

const QString kReadDone = QStringLiteral("Read Done.");
const QString kWriteDone = QStringLiteral("Write Done.");
const QString kNoResponse = QStringLiteral("Device No Response !!");
const QString kResponseError = QStringLiteral("Response Error !!");

std::uint16_t startAddress(const Bytes& frame)
{
    return std::uint16_t((frame[2] << 8) | frame[3]);
}
Bytes head(const Bytes& frame, int n)
{
    return Bytes(frame.begin(), frame.begin() + n);
}

// Device addresses of the fields the tests touch.
int sFromAt(int k)
{
    return 2048 + 4 * k;
}
int dToAt(int k)
{
    return 2240 + 4 * k;
}
int hLimitAt(int k)
{
    return 294 + 4 * k;
}
int analogSilenceAt(int k)
{
    return 2304 + 2 * k;
}
int diSilenceAt(int m, int n)
{
    return 2336 + 32 * m + 2 * n;
}
int doWordAt(int c, int m)
{
    return 434 + 6 * c + 2 * m;
}

// A device that differs from the screen's defaults on every page.
void fillKnownDevice(sim::Device& device)
{
    std::span<std::uint8_t> mem = device.memory();
    link::PutShort(mem, 32, 0x8005); // channels 0, 2 and 15 in use
    link::PutLong(mem, sFromAt(3), std::uint32_t(-2500));
    link::PutLong(mem, dToAt(1), 1234567); // shown to 5 significant digits
    link::PutLong(mem, hLimitAt(4), std::uint32_t(-5000));
    link::PutShort(mem, analogSilenceAt(5), std::uint16_t(-7));
    mem[818 + 6] = 3; // digits of channel 6
    mem[2432 + 7] = 200; // hysteresis of channel 7, signed: -5.6
    link::PutShort(mem, 422 + 2, 1u << 2); // DI 1 ch 2: Close
    link::PutShort(mem, 428 + 2, 1u << 3); // DI 1 ch 3: Open
    link::PutShort(mem, 422 + 4, 1u << 4); // DI 2 ch 4: both bits
    link::PutShort(mem, 428 + 4, 1u << 4);
    link::PutShort(mem, diSilenceAt(1, 3), std::uint16_t(-5)); // alarm off
    link::PutShort(mem, diSilenceAt(1, 2), 77);
    link::PutShort(mem, diSilenceAt(0, 0), 12); // a channel not in use
    link::PutShort(mem, doWordAt(63, 2), 0x8000); // output 15, input 63, DO module 2
    link::PutShort(mem, doWordAt(17, 1), 1u << 3); // output 3, input 17, DO module 1
}

} // namespace

class TestVyrFormLink : public QObject {
    Q_OBJECT

private slots:
    void readFillsAllFivePages()
    {
        Rig rig;
        QVERIFY(rig.built);
        fillKnownDevice(rig.device);
        QList<int> bars;
        connect(rig.form->ProgressBar1(), &QProgressBar::valueChanged, this, [&](int v) { bars << v; });
        QList<int> barsAtDone;
        rig.dialogs.onShow = [&](const test::Shown&) { barsAtDone = bars; };

        rig.form->ReadClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kReadDone});
        QCOMPARE(rig.written().size(), std::size_t(20));
        QCOMPARE(rig.written()[0], test::hexBytes("01 03 00 20 00 20 45 D8"));
        QCOMPARE(startAddress(rig.written()[1]), std::uint16_t(96));
        QCOMPARE(rig.written()[12], test::hexBytes("01 03 03 20 00 19 85 8E"));
        QCOMPARE(startAddress(rig.written()[13]), std::uint16_t(2048));
        QCOMPARE(rig.written()[19], test::hexBytes("01 03 09 80 00 08 46 78"));

        // Analog page: the in-use mask decides which rows show, every row gets its values.
        const ScreenState& st = vyr::model().screen;
        for (int k = 0; k < kAnalogChannels; ++k) {
            const bool inUse = k == 0 || k == 2 || k == 15;
            QCOMPARE(st.VYRChanInUse[k], inUse ? kOn : kOff);
            QCOMPARE(rig.edit(Column::SFrom, k)->isHidden(), !inUse);
            QCOMPARE(kit::textColor(rig.form->VYRChanInUseBtn(k)) == kit::kRed, !inUse);
        }
        QCOMPARE(rig.edit(Column::SFrom, 3)->text(), QStringLiteral("-2500"));
        QCOMPARE(rig.edit(Column::DTo, 1)->text(), QStringLiteral("1234.600"));
        QCOMPARE(rig.edit(Column::HLimit, 4)->text(), QStringLiteral("-5.000"));
        QCOMPARE(rig.edit(Column::SilenceT, 5)->text(), QStringLiteral("-7"));
        QCOMPARE(rig.edit(Column::Digits, 6)->text(), QStringLiteral("3"));
        QCOMPARE(rig.edit(Column::Hysteresis, 7)->text(), QStringLiteral("-5.6"));
        QCOMPARE(rig.edit(Column::STo, 0)->text(), QStringLiteral("5000")); // the factory value
        QCOMPARE(rig.edit(Column::DTo, 0)->text(), QStringLiteral("100.000"));

        // Digital page: in use from the relay bits, the modes kept as the device holds them.
        QCOMPARE(st.DIChanInUse[1][2], kOn);
        QVERIFY(rig.form->DICloseBtn(1, 2)->isChecked() && !rig.form->DIOpenBtn(1, 2)->isChecked());
        QVERIFY(!rig.form->DICloseBtn(1, 3)->isChecked() && rig.form->DIOpenBtn(1, 3)->isChecked());
        QCOMPARE(st.DIClose[1][3], 0);
        QCOMPARE(st.DIOpen[1][3], 1);
        QVERIFY(!rig.form->DIOpenBtn(1, 3)->isHidden());
        // Both bits: exactly one box ticked, and the arrays say the same.
        QCOMPARE(rig.form->DICloseBtn(2, 4)->isChecked() + rig.form->DIOpenBtn(2, 4)->isChecked(), 1);
        QCOMPARE(st.DIClose[2][4] + st.DIOpen[2][4], 1);
        QCOMPARE(st.DIClose[2][4] != 0, rig.form->DICloseBtn(2, 4)->isChecked());
        // Not in use: everything but the CH button hidden, whatever its silence.
        QCOMPARE(st.DIChanInUse[0][0], kOff);
        QVERIFY(rig.form->DICloseBtn(0, 0)->isHidden() && rig.form->DISilenceT(0, 0)->isHidden());
        QVERIFY(rig.form->DIAlarmBtn(0, 0)->isHidden());
        QCOMPARE(rig.form->DISilenceT(0, 0)->text(), QStringLiteral("12"));
        // A negative silence time is the alarm off.
        QCOMPARE(rig.form->DIAlarmBtn(1, 3)->text(), QStringLiteral("OFF"));
        QCOMPARE(rig.form->DISilenceT(1, 3)->text(), QStringLiteral("-1"));
        QVERIFY(!rig.form->DISilenceT(1, 3)->isEnabled());
        QCOMPARE(st.DIAlarm[1][3], kOff);
        // An alarm that is on keeps the device's silence time.
        QCOMPARE(rig.form->DIAlarmBtn(1, 2)->text(), QStringLiteral("ON"));
        QCOMPARE(rig.form->DISilenceT(1, 2)->text(), QStringLiteral("77"));
        QVERIFY(rig.form->DISilenceT(1, 2)->isEnabled());

        // DO pages.
        QVERIFY(rig.form->DOModuleBtn(15, 63, 2)->isChecked());
        QVERIFY(rig.form->DOModuleBtn(3, 17, 1)->isChecked());
        QCOMPARE(st.DOMap[15][63][2], 1);
        QCOMPARE(st.DOMap[3][17][1], 1);
        QVERIFY(!rig.form->DOModuleBtn(3, 17, 0)->isChecked());
        QVERIFY(!rig.form->DOModuleBtn(15, 63, 1)->isChecked());

        // The wait steps climb to 99 %; the decode then moves the bar from 75 to 99 in steps of
        // one, and the bar is back at 0 afterwards.
        const int decodeStart = int(barsAtDone.lastIndexOf(75));
        QVERIFY(decodeStart > 0);
        const QList<int> decode = barsAtDone.mid(decodeStart);
        QCOMPARE(decode.size(), 25);
        QCOMPARE(decode.front(), 75);
        QCOMPARE(decode.back(), 99);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.opens, 1);
        QCOMPARE(rig.opener.closes, 1);
    }

    // A Read that stops changes no control and no state array.
    void stoppedReadChangesNothing_data()
    {
        QTest::addColumn<QList<int>>("silentAt");
        QTest::addColumn<int>("exception");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("requests");
        QTest::newRow("exchange 20 silent three times") << QList<int>{20, 21, 22} << 0 << kNoResponse << 22;
        QTest::newRow("third silence of phase 2") << QList<int>{14, 16, 18} << 0 << kNoResponse << 18;
        QTest::newRow("exception answer") << QList<int>{} << 2 << kResponseError << 1;
    }
    void stoppedReadChangesNothing()
    {
        QFETCH(QList<int>, silentAt);
        QFETCH(int, exception);
        QFETCH(QString, message);
        QFETCH(int, requests);
        Rig rig;
        QVERIFY(rig.built);
        fillKnownDevice(rig.device);
        for (int n : silentAt)
            rig.device.faults().silentAt.insert(n);
        if (exception)
            rig.device.faults().exceptionCode = std::uint8_t(exception);
        rig.form->DIChanInUseClick(rig.form->AllBtn(2)); // something that is not the build
        const Screen before = rig.form->captureScreen();
        const ScreenState stateBefore = vyr::model().screen;

        rig.form->ReadClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{message});
        QCOMPARE(int(rig.written().size()), requests);
        QVERIFY(rig.form->captureScreen() == before);
        QVERIFY(vyr::model().screen.DOMap == stateBefore.DOMap);
        QVERIFY(vyr::model().screen.DIClose == stateBefore.DIClose);
        QVERIFY(vyr::model().screen.VYRChanInUse == stateBefore.VYRChanInUse);
        QVERIFY(!rig.form->DOModuleBtn(15, 63, 2)->isChecked());
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.closes, 1);
    }

    // After Read then Write with no edit, both areas go back as they were, except the fields
    // the tool always writes itself and what the screen cannot hold.
    void readThenWriteSendsTheDeviceBack()
    {
        Rig rig;
        QVERIFY(rig.built);
        std::span<std::uint8_t> mem = rig.device.memory();
        fillKnownDevice(rig.device);
        link::PutLong(mem, dToAt(1), 1234600); // within the display's 5 digits
        link::PutShort(mem, 34, 0x1234); // FixedZero
        link::PutShort(mem, 36, 0x0100); // FixedFF
        link::PutLong(mem, 38 + 4 * 9, 7); // ChanZero
        link::PutLong(mem, 230 + 4 * 2, 5); // GainBase
        for (int i = 0; i < 16; ++i)
            mem[834 + i] = std::uint8_t(0xA0 + i); // never interpreted, sent back as read
        for (int c = 0; c < kDoInputs; ++c)
            for (int m = 0; m < kDoModules; ++m)
                link::PutShort(mem, doWordAt(c, m), std::uint16_t(c * 977 + m * 131));
        const Bytes before(mem.begin(), mem.end());

        rig.form->ReadClick();
        rig.dialogs.clear();
        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kWriteDone});
        Bytes expected = before;
        std::span<std::uint8_t> want = expected;
        link::PutShort(want, 34, 0);
        link::PutShort(want, 36, 255);
        for (int k = 0; k < kAnalogChannels; ++k) {
            link::PutLong(want, 38 + 4 * k, 0);
            link::PutLong(want, 230 + 4 * k, 1000);
            link::PutLong(want, 102 + 4 * k, 25000); // 1000..5000 mV onto 0..100
            link::PutLong(want, 166 + 4 * k, std::uint32_t(-25000));
        }
        // Channel 1: 1000..5000 mV onto 0..1234.6; channel 3: -2500..5000 mV onto 0..100.
        link::PutLong(want, 102 + 4 * 1, 308650);
        link::PutLong(want, 166 + 4 * 1, std::uint32_t(-308650));
        link::PutLong(want, 102 + 4 * 3, 13333);
        link::PutLong(want, 166 + 4 * 3, 33333);
        link::PutShort(want, diSilenceAt(1, 3), std::uint16_t(-1)); // -5 goes back as -1
        link::PutShort(want, 428 + 4, 0); // both bits: Close stays
        for (int at = 32; at < 2448; ++at) {
            if (at == 850)
                at = 2048;
            QVERIFY2(rig.device.memory()[at] == expected[at],
                qPrintable(QStringLiteral("device byte %1: %2, expected %3")
                               .arg(at)
                               .arg(rig.device.memory()[at])
                               .arg(expected[at])));
        }
    }

    void writeSendsBothAreas()
    {
        Rig rig;
        QVERIFY(rig.built);
        auto& image = TFormVYR::buffers().DeviceImage;
        std::fill(image.begin(), image.end(), 0); // as at the program's start
        rig.edit(Column::DFrom, 2)->setText(QStringLiteral("-524.272"));
        rig.form->DOModuleClick(kDoOutputs, 0, 0); // a click on no cell changes nothing
        rig.form->DOModuleBtn(15, 0, 0)->setChecked(true);
        rig.form->DOModuleClick(15, 0, 0);
        int framesAtDone = -1;
        rig.dialogs.onShow = [&](const test::Shown&) { framesAtDone = int(rig.written().size()); };
        int highestBar = 0;
        connect(rig.form->ProgressBar1(), &QProgressBar::valueChanged, this,
            [&](int v) { highestBar = std::max(highestBar, v); });

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kWriteDone});
        QCOMPARE(framesAtDone, 20);
        const auto& w = rig.written();
        QCOMPARE(head(w[0], 7), test::hexBytes("01 10 00 20 00 20 40"));
        QCOMPARE(head(w[12], 7), test::hexBytes("01 10 03 20 00 19 32"));
        QCOMPARE(w[12].size(), std::size_t(59));
        // The 16 bytes after area 1's fields: what the image held, here zeros.
        QCOMPARE(Bytes(w[12].end() - 18, w[12].end() - 2), Bytes(16, 0));
        QCOMPARE(head(w[19], 7), test::hexBytes("01 10 09 80 00 08 10"));
        QCOMPARE(w[19].size(), std::size_t(25));
        QCOMPARE(Bytes(w[19].begin() + 7, w[19].end() - 2), Bytes(16, 5)); // hysteresis 0.5 %
        for (const Bytes& f : w)
            QVERIFY(link::hasValidCrc(f));
        std::span<const std::uint8_t> mem = rig.device.memory();
        QCOMPARE(link::GetShort(mem, 32), std::int16_t(-1)); // all 16 in use
        QCOMPARE(link::GetLong(mem, 2176 + 4 * 2), -524272); // DFrom x 1000
        QCOMPARE(link::GetShort(mem, doWordAt(0, 0)), std::int16_t(0x8000));
        QCOMPARE(link::GetLong(mem, 102), 25000);
        // The record keeps what was written, for a later Save File.
        QCOMPARE(vyr::model().paramSet.Gain[0], 25000);
        QCOMPARE(vyr::model().paramSet.Offset[0], -25000);
        QCOMPARE(vyr::model().paramSet.GainBase[15], 1000);
        QCOMPARE(vyr::model().paramSet.DFrom[2], -524272);
        // The last blocks compute beyond 100 %: the bar shows full.
        QCOMPARE(highestBar, 100);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.closes, 1);
    }

    void writeWithNoChannelInUse()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.form->VYRChanInUseClick(rig.form->AllBtn(0));
        rig.edit(Column::SFrom, 9)->setText(QStringLiteral("-300"));

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kWriteDone});
        QCOMPARE(link::GetShort(rig.device.memory(), 32), std::int16_t(0));
        QCOMPARE(link::GetLong(rig.device.memory(), sFromAt(9)), -300);
    }

    void writeFaults_data()
    {
        QTest::addColumn<QList<int>>("silentAt");
        QTest::addColumn<int>("exception");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("requests");
        QTest::newRow("two silences in each phase") << QList<int>{1, 5, 16, 19} << 0 << kWriteDone << 24;
        QTest::newRow("third silence in phase 1") << QList<int>{2, 4, 9} << 0 << kNoResponse << 9;
        QTest::newRow("last block never answered") << QList<int>{20, 21, 22} << 0 << kNoResponse << 22;
        QTest::newRow("refused") << QList<int>{} << 4 << kResponseError << 1;
    }
    void writeFaults()
    {
        QFETCH(QList<int>, silentAt);
        QFETCH(int, exception);
        QFETCH(QString, message);
        QFETCH(int, requests);
        Rig rig;
        QVERIFY(rig.built);
        for (int n : silentAt)
            rig.device.faults().silentAt.insert(n);
        if (exception)
            rig.device.faults().exceptionCode = std::uint8_t(exception);

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{message});
        QCOMPARE(int(rig.written().size()), requests);
        // The record holds the staged values either way.
        QCOMPARE(vyr::model().paramSet.GainBase[0], 1000);
        QCOMPARE(vyr::model().paramSet.STo[0], 5000);
        QCOMPARE(rig.opener.closes, 1);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    // What the device cannot take is refused before anything is sent, and the port is closed.
    void writeRefusesBeforeSending_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not a number") << "VYRDTo5"
                                      << "12a"
                                      << "CH5 Physical Value To";
        QTest::newRow("nan") << "VYRHysteresis0"
                             << "nan"
                             << "CH0 Hysteresis%";
        QTest::newRow("inf") << "VYRLLimit7"
                             << "inf"
                             << "CH7 Alarm Low";
        QTest::newRow("empty signal range") << "VYRSTo2"
                                            << "1000"
                                            << "CH2";
        QTest::newRow("beyond 32 bits") << "VYRHLimit3"
                                        << "3e6"
                                        << "CH3 Alarm High";
        QTest::newRow("beyond a byte") << "VYRDigits4"
                                       << "300"
                                       << "CH4 Digits";
        QTest::newRow("hidden DI silence") << "DISilenceT112"
                                           << "40000"
                                           << "DI Module 1 CH12 Silence";
        QTest::newRow("slave id") << "ModbusID"
                                  << "x1"
                                  << "'x1' is not a valid integer value";
    }
    void writeRefusesBeforeSending()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        Rig rig;
        QVERIFY(rig.built);
        auto* edit = qobject_cast<QLineEdit*>(rig.form->control(box));
        QVERIFY(edit);
        edit->setText(text);

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.shown.size(), 1);
        QCOMPARE(rig.dialogs.shown[0].kind, test::Shown::Error);
        QVERIFY2(rig.dialogs.shown[0].text.contains(expected), qPrintable(rig.dialogs.shown[0].text));
        QVERIFY(rig.written().empty());
        QCOMPARE(rig.opener.opens, 1);
        QCOMPARE(rig.opener.closes, 1);
        QVERIFY(vyr::model().paramSet == VYRParamSet{});
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    void noPortSendsNothing()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.ports.remove(QStringLiteral("sim"));
        rig.form->ProgressBar1()->setValue(40);

        rig.form->ReadClick();
        rig.form->WriteClick();

        QCOMPARE(
            rig.dialogs.texts(), (QStringList{QStringLiteral("OPEN COM ERROR!!"), QStringLiteral("OPEN COM ERROR!!")}));
        QCOMPARE(rig.opener.opens, 0);
        QVERIFY(rig.written().empty());
        QCOMPARE(rig.form->ProgressBar1()->value(), 40); // untouched
    }
};

QTEST_MAIN(TestVyrFormLink)
#include "test_vyrform_link.moc"
