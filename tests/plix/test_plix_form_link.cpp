// The PLIXARO form against the in-process simulated device, in virtual time: Read, Write and
// the ID search as the user starts them from the buttons.

#include "kit/TrafficWindow.h"
#include "link/Clock.h"
#include "link/ComPort.h"
#include "link/Modbus.h"
#include "plix/PlixForm.h"
#include "plix/PlixTransfer.h"
#include "tests/support/Models.h"
#include "tests/support/SimLine.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace tarnixw;
using Bytes = std::vector<std::uint8_t>;

namespace {

// One simulated PLIXARO on COM1 and a fresh form, with every seam scripted.
struct Rig : test::SimLine {
    explicit Rig(std::uint8_t deviceId = 1)
        : SimLine(test::Model::Plix, deviceId)
    {
        plix::resetModel();
        form = std::make_unique<plix::TFormPLIX>(session, [] {});
    }
    ~Rig() { form.reset(); }
    QLineEdit* box(const char* name) const { return form->get<QLineEdit>(name); }

    std::unique_ptr<plix::TFormPLIX> form;
};

Bytes hex(const char* text)
{
    return test::hexBytes(text);
}

Bytes payload(const Bytes& frame)
{
    return Bytes(frame.begin() + 7, frame.end() - 2);
}

std::uint16_t startAddress(const Bytes& frame)
{
    return std::uint16_t((frame[2] << 8) | frame[3]);
}

QList<int> addresses(const std::vector<Bytes>& frames)
{
    QList<int> out;
    for (const Bytes& f : frames)
        out << startAddress(f);
    return out;
}

const QString kNoResponse = QStringLiteral("Device No Response !!");
const QString kResponseError = QStringLiteral("Response Error !!");

} // namespace

class TestPlixFormLink : public QObject {
    Q_OBJECT

private slots:
    void readFillsBothChannelsAndAppliesTheMask()
    {
        Rig rig;
        std::span<std::uint8_t> mem = rig.device.memory();
        link::PutShort(mem, 0x0020, 0x0001); // CH0 only
        link::PutLong(mem, 0x0804, std::uint32_t(-2500)); // CH1 sensor from
        link::PutLong(mem, 0x081C, 1234567); // CH1 P.V. to
        link::PutLong(mem, 0x004A, std::uint32_t(-5000)); // CH1 high alarm
        link::PutShort(mem, 0x0822, std::uint16_t(-7)); // CH1 silence
        mem[0x0057] = 3; // CH1 decimal digits
        mem[0x0825] = 45; // CH1 hysteresis 4.5 %
        QList<int> barsSeen;
        connect(rig.form->ProgressBar1(), &QProgressBar::valueChanged, this, [&](int v) { barsSeen << v; });

        rig.form->ReadClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
        QCOMPARE(rig.written().size(), std::size_t(7));
        QCOMPARE(rig.written()[0], hex("01 03 00 20 00 08 45 C6"));
        QCOMPARE(rig.written()[4], hex("01 03 08 00 00 08 46 6C"));
        QCOMPARE(rig.written()[6], hex("01 03 08 20 00 03 06 61"));
        QCOMPARE(addresses(rig.written()), (QList<int>{32, 48, 64, 80, 2048, 2064, 2080}));
        QCOMPARE(rig.box("CH1SensorFrom")->text(), QStringLiteral("-2500"));
        QCOMPARE(rig.box("CH1PvTo")->text(), QStringLiteral("1234.600"));
        QCOMPARE(rig.box("CH1HighAlarm")->text(), QStringLiteral("-5.000"));
        QCOMPARE(rig.box("CH1SilenceTime")->text(), QStringLiteral("-7"));
        QCOMPARE(rig.box("CH1DecimalDigits")->text(), QStringLiteral("3"));
        QCOMPARE(rig.box("CH1Hystersis")->text(), QStringLiteral("4.5"));
        QCOMPARE(rig.box("CH0PvTo")->text(), QStringLiteral("100.000"));
        QVERIFY(plix::model().CH0Enabled);
        QVERIFY(!plix::model().CH1Enabled);
        QVERIFY(rig.form->control(QStringLiteral("GroupBox7"))->isHidden());
        QVERIFY(rig.form->control(QStringLiteral("CH1LowAlarm"))->isHidden());
        QVERIFY(!rig.form->control(QStringLiteral("GroupBox3"))->isHidden());
        QCOMPARE(rig.form->get<QPushButton>("CH1")->text(), QStringLiteral("CH1 Disable"));
        // The bar climbs with the wait steps of both phases, then returns to 0.
        QVERIFY(barsSeen.contains(15) && barsSeen.contains(64 + 16 + 15));
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.opens, 1);
        QCOMPARE(rig.opener.closes, 1);
    }

    // A close request made the moment the "Read Done." box closes is the form's again: the
    // operation's hold on the user's input ended when its port was closed.
    void aCloseAsTheLastBoxClosesReachesTheForm()
    {
        Rig rig;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        rig.dialogs.onShow = [&](const test::Shown& s) {
            if (s.text == QLatin1String("Read Done."))
                QCoreApplication::postEvent(rig.form.get(), new QCloseEvent);
        };
        rig.form->ReadClick();
        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
        QTRY_VERIFY(!rig.form->isVisible()); // the close request closed it
    }

    // Silences count per phase, not per request; a rejected answer stops at once.
    void readFaults_data()
    {
        QTest::addColumn<QList<int>>("silentAt");
        QTest::addColumn<int>("exception");
        QTest::addColumn<int>("wrongId");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("requests");
        QTest::newRow("two silences in phase 1") << QList<int>{1, 3} << 0 << 0 << QStringLiteral("Read Done.") << 9;
        QTest::newRow("two in each phase") << QList<int>{2, 3, 7, 9} << 0 << 0 << QStringLiteral("Read Done.") << 11;
        QTest::newRow("third silence on another block") << QList<int>{1, 3, 5} << 0 << 0 << kNoResponse << 5;
        QTest::newRow("third silence in phase 2") << QList<int>{5, 6, 8} << 0 << 0 << kNoResponse << 8;
        QTest::newRow("exception answer") << QList<int>{} << 2 << 0 << kResponseError << 1;
        QTest::newRow("another slave answers") << QList<int>{} << 0 << 9 << kResponseError << 1;
    }
    void readFaults()
    {
        QFETCH(QList<int>, silentAt);
        QFETCH(int, exception);
        QFETCH(int, wrongId);
        QFETCH(QString, message);
        QFETCH(int, requests);
        Rig rig;
        link::PutShort(rig.device.memory(), 0x0020, 0x0002); // CH1 only
        link::PutLong(rig.device.memory(), 0x0808, 4321); // CH0 sensor to, in the last phase
        for (int n : silentAt)
            rig.device.faults().silentAt.insert(n);
        if (exception)
            rig.device.faults().exceptionCode = std::uint8_t(exception);
        if (wrongId)
            rig.device.faults().wrongId = std::uint8_t(wrongId);

        rig.form->ReadClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{message});
        QCOMPARE(int(rig.written().size()), requests);
        const bool done = message == QStringLiteral("Read Done.");
        // A stopped read changes neither a box nor a flag, although part of the image came in.
        QCOMPARE(rig.box("CH0SensorTo")->text(), done ? QStringLiteral("4321") : QStringLiteral("5000"));
        QCOMPARE(plix::model().CH0Enabled, !done);
        QCOMPARE(rig.form->get<QPushButton>("CH0")->text(),
            done ? QStringLiteral("CH0 Disable") : QStringLiteral("CH0 Enable"));
        QCOMPARE(rig.opener.closes, 1);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    void writeSendsBothBlocksBetweenOpenAndClose()
    {
        Rig rig;
        plix::model().CH0Enabled = false; // the mask follows the flags, not the screen
        int sentWhenDone = -1;
        rig.dialogs.onShow = [&](const test::Shown& s) {
            if (s.text == QStringLiteral("Write Done."))
                sentWhenDone = int(rig.written().size());
        };

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("Write Done.")});
        QCOMPARE(sentWhenDone, 3); // before the close of the write-enable
        QCOMPARE(rig.written().size(), std::size_t(4));
        QCOMPARE(Bytes(rig.written()[0].begin(), rig.written()[0].begin() + 7), hex("01 10 0F AA 00 01 02"));
        QVERIFY(link::hasValidCrc(rig.written()[0]));
        QCOMPARE(payload(rig.written()[0]),
            (Bytes{std::uint8_t(plix::kWriteEnableValue >> 8), std::uint8_t(plix::kWriteEnableValue & 0xFF)}));
        QCOMPARE(payload(rig.written()[1]),
            hex("00 02 00 00 00 03 00 00 00 00 00 00 00 00 00 00 61 A8 00 00 61 A8 FF FF 9E 58 FF FF 9E 58 "
                "00 00 03 E8 00 00 03 E8 00 00 EA 60 00 00 EA 60 00 00 9C 40 00 00 9C 40 01 01"));
        QCOMPARE(startAddress(rig.written()[1]), std::uint16_t(32));
        QCOMPARE(payload(rig.written()[2]),
            hex("00 00 03 E8 00 00 03 E8 00 00 13 88 00 00 13 88 00 00 00 00 00 00 00 00 "
                "00 01 86 A0 00 01 86 A0 00 1E 00 1E 05 05"));
        QCOMPARE(startAddress(rig.written()[2]), std::uint16_t(2048));
        QCOMPARE(rig.written()[3], hex("01 10 0F AA 00 01 02 FF FF 40 EA"));
        QVERIFY(!rig.device.writeEnabled());
        // The device holds what was sent; the image keeps the calibration for a later save.
        QCOMPARE(link::GetShort(rig.device.memory(), 0x0020), std::int16_t(2));
        QCOMPARE(plix::model().paramSet.slope(1), 25000);
        QCOMPARE(plix::model().paramSet.offsetValue(0), -25000);
        QCOMPARE(rig.opener.closes, 1);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    // Which requests go out when a step fails, and what the user is told.
    void writeFaults_data()
    {
        QTest::addColumn<QList<int>>("silentAt");
        QTest::addColumn<int>("exception");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QList<int>>("sent");
        const QString done = QStringLiteral("Write Done.");
        QTest::newRow("open silent once")
            << QList<int>{1} << 0 << QStringList{done} << QList<int>{4010, 4010, 32, 2048, 4010};
        // A failed open sends the close once, and its silence is not reported.
        QTest::newRow("open fails") << QList<int>{1, 2, 3, 4} << 0 << QStringList{kNoResponse}
                                    << QList<int>{4010, 4010, 4010, 4010};
        QTest::newRow("block A fails, close retried") << QList<int>{2, 3, 4, 5, 6} << 0 << QStringList{kNoResponse}
                                                      << QList<int>{4010, 32, 32, 32, 4010, 4010, 4010};
        QTest::newRow("block B fails") << QList<int>{3, 4, 5} << 0 << QStringList{kNoResponse}
                                       << QList<int>{4010, 32, 2048, 2048, 2048, 4010};
        QTest::newRow("refused everywhere")
            << QList<int>{} << 4 << QStringList{kResponseError, kResponseError} << QList<int>{4010, 4010};
    }
    void writeFaults()
    {
        QFETCH(QList<int>, silentAt);
        QFETCH(int, exception);
        QFETCH(QStringList, messages);
        QFETCH(QList<int>, sent);
        Rig rig;
        for (int n : silentAt)
            rig.device.faults().silentAt.insert(n);
        if (exception)
            rig.device.faults().exceptionCode = std::uint8_t(exception);

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.texts(), messages);
        QCOMPARE(addresses(rig.written()), sent);
        QCOMPARE(rig.opener.closes, 1);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    // Texts the device cannot take are refused before anything is sent; the port is closed.
    void writeRefusesBeforeSending_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("not a number") << "CH1PvFrom"
                                      << "12a"
                                      << "CH1";
        QTest::newRow("nan") << "CH0Hystersis"
                             << "nan"
                             << "CH0";
        QTest::newRow("equal sensor limits") << "CH1SensorTo"
                                             << "1000"
                                             << "CH1";
        QTest::newRow("does not fit 32 bits") << "CH0HighAlarm"
                                              << "3e6"
                                              << "CH0";
        QTest::newRow("does not fit a byte") << "CH1DecimalDigits"
                                             << "300"
                                             << "CH1";
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
        rig.form->get<QLineEdit>(box.toLatin1().constData())->setText(text);

        rig.form->WriteClick();

        QCOMPARE(rig.dialogs.shown.size(), 1);
        QCOMPARE(rig.dialogs.shown[0].kind, test::Shown::Error);
        QVERIFY2(rig.dialogs.shown[0].text.contains(expected), qPrintable(rig.dialogs.shown[0].text));
        QVERIFY(rig.written().empty());
        QCOMPARE(rig.opener.opens, rig.opener.closes);
        QCOMPARE(plix::model().paramSet, plix::PLIXParamSet{});
    }

    void idSearchFinds_data()
    {
        QTest::addColumn<int>("deviceId");
        QTest::addColumn<int>("barAtBox");
        QTest::newRow("1") << 1 << 0;
        QTest::newRow("247") << 247 << 96;
    }
    void idSearchFinds()
    {
        QFETCH(int, deviceId);
        QFETCH(int, barAtBox);
        Rig rig{std::uint8_t(deviceId)};
        auto* button = rig.form->get<QPushButton>("IDSearch");
        QString captionAtBox;
        int sizeAtBox = 0;
        QColor colourAtBox;
        int barSeen = -1;
        rig.dialogs.onShow = [&](const test::Shown&) {
            captionAtBox = button->text();
            sizeAtBox = button->font().pointSize();
            colourAtBox = kit::textColor(button);
            barSeen = rig.form->ProgressBar1()->value();
        };
        const std::int64_t start = rig.clock.nowNs();

        rig.form->IDSearchClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("ID  =  %1").arg(deviceId)});
        QCOMPARE(rig.form->ModbusID()->text(), QString::number(deviceId));
        QCOMPARE(captionAtBox, QStringLiteral("Searching... ID: %1").arg(deviceId));
        QCOMPARE(sizeAtBox, 8);
        QCOMPARE(colourAtBox, kit::kRed);
        QCOMPARE(barSeen, barAtBox);
        QCOMPARE(int(rig.written().size()), deviceId);
        QCOMPARE(rig.clock.nowNs() - start, deviceId * 16 * 15'000'000LL);
        // At rest again, as designed.
        QCOMPARE(button->text(), QStringLiteral("ID Search"));
        QCOMPARE(button->font().pointSize(), 12);
        QVERIFY(button->font().bold());
        QCOMPARE(kit::textColor(button), rig.form->palette().color(QPalette::Active, QPalette::ButtonText));
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.closes, 1);

        // The next Read uses the id found.
        rig.dialogs.clear();
        rig.form->ReadClick();
        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
    }

    void idSearchFindsNothing()
    {
        Rig rig;
        rig.device.faults().exceptionCode = 1; // the device refuses the probe: not an answer
        rig.form->ModbusID()->setText(QStringLiteral("17"));
        int barSeen = -1;
        rig.dialogs.onShow = [&](const test::Shown&) { barSeen = rig.form->ProgressBar1()->value(); };

        rig.form->IDSearchClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("Can not Find Device ID !!")});
        QCOMPARE(barSeen, 100);
        QCOMPARE(rig.written().size(), std::size_t(255));
        QCOMPARE(rig.form->ModbusID()->text(), QStringLiteral("17"));
        QCOMPARE(rig.form->get<QPushButton>("IDSearch")->text(), QStringLiteral("ID Search"));
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
        QCOMPARE(rig.opener.closes, 1);
    }

    void idSearchWithoutPortTouchesNothing()
    {
        Rig rig;
        rig.ports.remove(QStringLiteral("sim"));

        rig.form->IDSearchClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("OPEN COM ERROR!!")});
        QCOMPARE(rig.opener.opens, 0);
        QVERIFY(rig.written().empty());
        QCOMPARE(rig.form->get<QPushButton>("IDSearch")->text(), QStringLiteral("ID Search"));
    }

    // Text typed into the COM box that is no item is port COM0: the box names it, and so does
    // the operation's line in the traffic.
    void typedPortIsComZero()
    {
        Rig rig;
        rig.form->rdCOM()->setEditText(QStringLiteral("abc"));
        QCOMPARE(rig.form->portNumber(), 0);

        rig.form->ReadClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{QStringLiteral("OPEN COM ERROR!!")});
        QCOMPARE(rig.dialogs.shown[0].detail,
            QStringLiteral("COM0 is not connected. Use Check COM to find the cable's port."));
        QCOMPARE(rig.opener.opens, 0);
        const link::TrafficLog& log = rig.form->trafficLog();
        QVERIFY(log.size() > 0);
        QCOMPARE(log.operationOf(log.at(0)).port, QStringLiteral("COM0"));
    }

    // The line traffic of the form: Ctrl+L or the background's menu opens it, it follows a
    // Read frame by frame with the operation's line, saves as text, clears, and keeps at most
    // 20,000 frames.
    void lineTraffic()
    {
        Rig rig;
        rig.device.faults().silentNext = 1;
        rig.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
        QTest::keyClick(rig.form.get(), Qt::Key_L, Qt::ControlModifier);
        kit::TrafficWindow* window = rig.form->lineTrafficWindow();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Line traffic"));
        window->close();
        QTimer::singleShot(0, this, [] {
            QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->actions().value(0)->text(), QStringLiteral("Line traffic\u2026"));
            QCOMPARE(menu->actions().value(0)->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
            menu->actions().value(0)->trigger();
            menu->close();
        });
        QContextMenuEvent background(QContextMenuEvent::Mouse, QPoint(20, 300), rig.form->mapToGlobal(QPoint(20, 300)));
        QApplication::sendEvent(rig.form.get(), &background);
        QCOMPARE(rig.form->lineTrafficWindow(), window);
        QVERIFY(window->isVisible());

        rig.form->ReadClick();

        const QAbstractItemModel* rows = window->list()->model();
        QCOMPARE(rows->rowCount(), 1 + 2 * 8); // the operation, 8 requests (one repeated), 8 answers
        auto row = [&](int r) { return rows->index(r, 0).data().toString(); };
        QCOMPARE(row(0),
            QStringLiteral("==== Read  COM1 (%1)  19200 baud  slave 1  ->  Read Done.")
                .arg(QString::fromStdString(rig.opener.lastPath)));
        QCOMPARE(row(1), QStringLiteral("      0.0 ms  ->  01 03 00 20 00 08 45 C6  read 8 registers from byte 32"));
        QCOMPARE(row(2), QStringLiteral("    240.0 ms  <-  (nothing)  silence (nothing within the window)"));
        QCOMPARE(row(3), QStringLiteral("    240.0 ms  ->  01 03 00 20 00 08 45 C6  read 8 registers from byte 32"));
        QVERIFY(row(4).endsWith(QLatin1String("  answer")));
        QVERIFY(row(15).endsWith(QLatin1String("  read 3 registers from byte 2080")));
        QVERIFY(row(16).contains(QLatin1String("  <-  01 03 06 ")));

        // Save: one line a row, as shown.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("traffic.txt"));
        rig.dialogs.fileAnswers.push_back(path);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Save")), Qt::LeftButton);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(saved.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 17 + 1); // and a final line break
        QCOMPARE(lines[1], row(1));
        QCOMPARE(lines[16], row(16));

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Clear")), Qt::LeftButton);
        QCOMPARE(rows->rowCount(), 0);
        for (int i = 0; i < link::TrafficLog::kDefaultCapacity + 10; ++i)
            rig.form->trafficLog().addFrame(link::Traffic{});
        QCOMPARE(rows->rowCount(), link::TrafficLog::kDefaultCapacity);
        QTRY_COMPARE(window->note()->text(),
            QStringLiteral("The list keeps the last 20000 frames: 10 older ones were dropped."));
    }
};

QTEST_MAIN(TestPlixFormLink)
#include "test_plix_form_link.moc"
