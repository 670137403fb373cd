// The VYRANTA window's generated controls: the build on the first activation, the in-use
// toggles of the analog and digital pages, the relay selector, the alarm buttons, the DO grids,
// the snapshot helpers and the close that destroys everything and releases the port.
#include "vyr/VyrForm.h"

#include "kit/FormKit.h"
#include "link/ComPort.h"
#include "tests/support/Restore.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStyleOption>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTest>

using namespace tarnixw;
using namespace tarnixw::vyr;

namespace {

// A shown form, built by its first activation.
struct Showing {
    kit::Session session;
    int mainShown = 0;
    TFormVYR form{session, [this] { ++mainShown; }};

    bool open()
    {
        form.show();
        return QTest::qWaitFor([this] { return form.isBuilt(); });
    }
};

// Where the user clicks a check box: on its indicator (a Qt check box takes clicks only there
// and on its caption).
QPoint clickPoint(QCheckBox* box)
{
    QStyleOptionButton opt;
    opt.initFrom(box);
    opt.text = box->text();
    return box->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &opt, box).center();
}

void click(QAbstractButton* b)
{
    if (auto* box = qobject_cast<QCheckBox*>(b))
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, clickPoint(box));
    else
        QTest::mouseClick(b, Qt::LeftButton);
}

bool isRed(const QWidget* w)
{
    return kit::textColor(w) == kit::kRed;
}

// The window-text colour of a button on its page.
bool isWindowText(const QPushButton* b)
{
    return kit::textColor(b) == b->parentWidget()->palette().color(QPalette::Active, QPalette::ButtonText);
}

int generatedChildren(const QWidget* page)
{
    int n = 0;
    for (QObject* o : page->children())
        if (qobject_cast<QAbstractButton*>(o) || qobject_cast<QLineEdit*>(o))
            ++n;
    return n;
}

// A fake serial port that only records what the form did to it.
struct PortLog {
    int opened = 0;
    int purgedReceive = 0;
    int closed = 0;
};

class FakePort final : public link::SerialPort {
public:
    explicit FakePort(PortLog& log)
        : m_log(log)
    { }
    bool isOpen() const override { return m_open; }
    void purge() override { }
    void purgeReceive() override { ++m_log.purgedReceive; }
    long write(std::span<const std::uint8_t> bytes) override { return long(bytes.size()); }
    std::size_t bytesAvailable() override { return 0; }
    std::size_t read(std::span<std::uint8_t>) override { return 0; }
    void close() override
    {
        m_open = false;
        ++m_log.closed;
    }

private:
    PortLog& m_log;
    bool m_open = true;
};

class FakeOpener final : public link::PortOpener {
public:
    PortLog log;
    link::OpenResult open(const std::string&, int) override
    {
        ++log.opened;
        link::OpenResult r;
        r.port = std::make_unique<FakePort>(log);
        return r;
    }
};

} // namespace

class TestVyrForm : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // Something other than the build values, so the build must set every array.
        ScreenState& st = model().screen;
        st.VYRChanInUse.fill(7);
        st.VYRAllInUse = 3;
        st.DIAllInUse.fill(-1);
        for (int m = 0; m < kDiModules; ++m) {
            st.DIChanInUse[m].fill(-1);
            st.DIClose[m].fill(5);
            st.DIOpen[m].fill(6);
            st.DIAlarm[m].fill(0);
        }
        for (auto& row : st.DOMap)
            for (auto& cell : row)
                cell.fill(1);
    }

    void buildMakesEveryControlOnceWithUniqueNames()
    {
        Showing s;
        QCOMPARE(s.form.generatedCount(), 0); // nothing before the first activation
        QVERIFY(s.open());
        QCOMPARE(s.form.generatedCount(), 3476);
        QCOMPARE(s.form.PageControl1()->currentIndex(), 0);

        // Per page: 4 ALL buttons, 160 analog, 240 digital, 1024 DO boxes per module.
        QCOMPARE(generatedChildren(s.form.page(0)), 161);
        QCOMPARE(generatedChildren(s.form.page(1)), 243);
        for (int m = 0; m < kDoModules; ++m)
            QCOMPARE(generatedChildren(s.form.page(2 + m)), 1024);

        // Every control reached by index carries a distinct name that leads back to it.
        QSet<QString> names;
        const auto enroll = [&](QWidget* w) {
            QVERIFY(w);
            QCOMPARE(s.form.control(w->objectName()), w);
            names.insert(w->objectName());
        };
        for (int i = 0; i < 4; ++i)
            enroll(s.form.AllBtn(i));
        for (int n = 0; n < kAnalogChannels; ++n) {
            enroll(s.form.VYRChanInUseBtn(n));
            for (int col = 0; col < kColumns; ++col)
                enroll(s.form.analogEdit(Column(col), n));
        }
        for (int m = 0; m < kDiModules; ++m)
            for (int n = 0; n < kDiChannels; ++n) {
                enroll(s.form.DIChanInUseBtn(m, n));
                enroll(s.form.DICloseBtn(m, n));
                enroll(s.form.DIOpenBtn(m, n));
                enroll(s.form.DISilenceT(m, n));
                enroll(s.form.DIAlarmBtn(m, n));
            }
        for (int r = 0; r < kDoOutputs; ++r)
            for (int c = 0; c < kDoInputs; ++c)
                for (int m = 0; m < kDoModules; ++m)
                    enroll(s.form.DOModuleBtn(r, c, m));
        QCOMPARE(names.size(), 3476);

        // A second activation of the same showing builds nothing more.
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&s.form, &activate);
        QCOMPARE(s.form.generatedCount(), 3476);
        QCOMPARE(generatedChildren(s.form.page(0)), 161);
    }

    void placesAndDefaults_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("page");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");

        QTest::newRow("analog ALL") << "AllBtn0" << 0 << QRect(5, 10, 74, 22) << "ALL";
        QTest::newRow("CH12 button") << "VYRChanInUseBtn12" << 0 << QRect(5, 328, 74, 22) << "CH12";
        QTest::newRow("CH0 signal from") << "VYRSFrom0" << 0 << QRect(89, 40, 74, 22) << "1000";
        QTest::newRow("CH12 low limit") << "VYRLLimit12" << 0 << QRect(405, 328, 74, 22) << "40.000";
        QTest::newRow("CH7 P.V. to") << "VYRDTo7" << 0 << QRect(321, 208, 74, 22) << "100.000";
        QTest::newRow("CH3 digits") << "VYRDigits3" << 0 << QRect(568, 112, 37, 22) << "1";
        QTest::newRow("CH15 silence") << "VYRSilenceT15" << 0 << QRect(625, 400, 37, 22) << "30";
        QTest::newRow("CH15 hysteresis") << "VYRHysteresis15" << 0 << QRect(682, 400, 37, 22) << "0.5";
        QTest::newRow("DI module 2 ALL") << "AllBtn3" << 1 << QRect(502, 25, 37, 22) << "ALL";
        QTest::newRow("DI 1 CH15") << "DIChanInUseBtn115" << 1 << QRect(256, 395, 37, 22) << "CH15";
        QTest::newRow("DI 0 close 15") << "DICloseBtn015" << 1 << QRect(68, 395, 37, 22) << "";
        QTest::newRow("DI 2 open 0") << "DIOpenBtn20" << 1 << QRect(597, 50, 37, 22) << "";
        QTest::newRow("DI 1 silence 3") << "DISilenceT13" << 1 << QRect(386, 119, 37, 22) << "30";
        QTest::newRow("DI 2 alarm 7") << "DIAlarmBtn27" << 1 << QRect(682, 211, 37, 22) << "ON";
        QTest::newRow("DO first cell") << "DOModuleBtnB0C0R0" << 2 << QRect(85, 30, 10, 10) << "";
        QTest::newRow("DO upper right") << "DOModuleBtnB3C17R1" << 3 << QRect(466, 63, 10, 10) << "";
        QTest::newRow("DO lower left") << "DOModuleBtnB15C47R0" << 2 << QRect(325, 405, 10, 10) << "";
        QTest::newRow("DO lower right") << "DOModuleBtnB5C51R2" << 4 << QRect(498, 295, 10, 10) << "";
    }

    void placesAndDefaults()
    {
        QFETCH(QString, name);
        QFETCH(int, page);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        Showing s;
        QVERIFY(s.open());
        QWidget* w = s.form.control(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), s.form.page(page));
        QCOMPARE(w->geometry(), geometry);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            QCOMPARE(b->text(), text);
            if (qobject_cast<QPushButton*>(w))
                QVERIFY(b->font().bold());
            else
                QVERIFY(!b->isChecked() || name.startsWith(QLatin1String("DIClose")));
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            QCOMPARE(e->text(), text);
            QVERIFY(!e->font().bold());
            QCOMPARE(kit::textColor(e), kit::kGreen);
        }
    }

    void buildStartsAnalogInUseAndDigitalOut()
    {
        Showing s;
        QVERIFY(s.open());
        const ScreenState& st = model().screen;
        QCOMPARE(st.VYRAllInUse, std::int16_t(-1));
        for (int n = 0; n < kAnalogChannels; ++n) {
            QCOMPARE(st.VYRChanInUse[n], std::int16_t(-1));
            QVERIFY(isWindowText(s.form.VYRChanInUseBtn(n)));
            for (int col = 0; col < kColumns; ++col)
                QVERIFY(s.form.analogEdit(Column(col), n)->isVisible());
        }
        for (int m = 0; m < kDiModules; ++m) {
            QCOMPARE(st.DIAllInUse[m], std::int16_t(0));
            for (int n = 0; n < kDiChannels; ++n) {
                QCOMPARE(st.DIChanInUse[m][n], std::int16_t(0));
                QCOMPARE(st.DIClose[m][n], std::int16_t(0));
                QCOMPARE(st.DIOpen[m][n], 0);
                QCOMPARE(st.DIAlarm[m][n], std::int16_t(-1));
                QVERIFY(isRed(s.form.DIChanInUseBtn(m, n)));
                QVERIFY(!s.form.DICloseBtn(m, n)->isChecked());
                QVERIFY(!s.form.DIOpenBtn(m, n)->isChecked());
            }
        }
        for (const auto& row : st.DOMap)
            for (const auto& cell : row)
                for (std::int16_t v : cell)
                    QCOMPARE(v, std::int16_t(0));

        // On the digital page only the three ALL buttons and the 48 CH buttons show.
        s.form.PageControl1()->setCurrentIndex(1);
        int visible = 0;
        for (QObject* o : s.form.page(1)->children())
            if (auto* w = qobject_cast<QWidget*>(o);
                w && w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w)))
                ++visible;
        QCOMPARE(visible, 51);
        QVERIFY(s.form.AllBtn(2)->isVisible());
        QVERIFY(!s.form.DISilenceT(1, 1)->isVisible());
    }

    void analogToggles_data()
    {
        // Clicks: -1 is ALL, n the CH n button. Expected: the in-use mask and the ALL flag.
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<int>("inUseMask");
        QTest::addColumn<int>("allFlag");

        QTest::newRow("nothing") << QList<int>{} << 0xFFFF << -1;
        QTest::newRow("ALL hides every row") << QList<int>{-1} << 0x0000 << 0;
        QTest::newRow("ALL twice shows them again") << QList<int>{-1, -1} << 0xFFFF << -1;
        QTest::newRow("CH3 off") << QList<int>{3} << 0xFFF7 << -1;
        QTest::newRow("CH3 off and on") << QList<int>{3, 3} << 0xFFFF << -1;
        QTest::newRow("CH3 off, then ALL: all off") << QList<int>{3, -1} << 0x0000 << 0;
        QTest::newRow("CH3 off, ALL, ALL: all on") << QList<int>{3, -1, -1} << 0xFFFF << -1;
        QTest::newRow("ALL, then CH5 alone on") << QList<int>{-1, 5} << 0x0020 << 0;
        QTest::newRow("ALL, CH5, ALL: all on") << QList<int>{-1, 5, -1} << 0xFFFF << -1;
        QTest::newRow("CH0 off, then ALL: all off") << QList<int>{0, -1} << 0x0000 << 0;
        QTest::newRow("ALL, CH0 on, ALL: all on") << QList<int>{-1, 0, -1} << 0xFFFF << -1;
        QTest::newRow("CH0 and CH15 off") << QList<int>{0, 15} << 0x7FFE << -1;
    }

    void analogToggles()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(int, inUseMask);
        QFETCH(int, allFlag);
        Showing s;
        QVERIFY(s.open());
        for (int c : clicks)
            click(c < 0 ? s.form.AllBtn(0) : s.form.VYRChanInUseBtn(c));

        const ScreenState& st = model().screen;
        QCOMPARE(int(st.VYRAllInUse), allFlag);
        for (int n = 0; n < kAnalogChannels; ++n) {
            const bool inUse = (inUseMask >> n) & 1;
            QCOMPARE(st.VYRChanInUse[n], std::int16_t(inUse ? -1 : 0));
            QCOMPARE(isRed(s.form.VYRChanInUseBtn(n)), !inUse);
            QCOMPARE(s.form.VYRChanInUseBtn(n)->text(), QStringLiteral("CH%1").arg(n));
            for (int col = 0; col < kColumns; ++col)
                QCOMPARE(s.form.analogEdit(Column(col), n)->isVisible(), inUse);
        }
    }

    void hiddenRowKeepsItsTexts()
    {
        Showing s;
        QVERIFY(s.open());
        QLineEdit* low = s.form.analogEdit(Column::LLimit, 3);
        low->setText(QStringLiteral("12.5"));
        click(s.form.VYRChanInUseBtn(3));
        QVERIFY(!low->isVisible());
        click(s.form.AllBtn(0)); // all off
        click(s.form.AllBtn(0)); // all on
        QVERIFY(low->isVisible());
        QCOMPARE(low->text(), QStringLiteral("12.5"));
        QCOMPARE(s.form.analogEdit(Column::SFrom, 3)->text(), QStringLiteral("1000"));
    }

    void digitalAllToggle_data()
    {
        QTest::addColumn<int>("module");
        QTest::newRow("DI module 0 (AllBtn1)") << 0;
        QTest::newRow("DI module 1 (AllBtn2)") << 1;
        QTest::newRow("DI module 2 (AllBtn3)") << 2;
    }

    void digitalAllToggle()
    {
        QFETCH(int, module);
        Showing s;
        QVERIFY(s.open());
        s.form.PageControl1()->setCurrentIndex(1);
        const ScreenState& st = model().screen;

        click(s.form.AllBtn(module + 1));
        QCOMPARE(st.DIAllInUse[module], std::int16_t(-1));
        for (int m = 0; m < kDiModules; ++m)
            for (int n = 0; n < kDiChannels; ++n) {
                const bool on = m == module;
                QCOMPARE(st.DIChanInUse[m][n], std::int16_t(on ? -1 : 0));
                QCOMPARE(st.DIClose[m][n], std::int16_t(on ? 1 : 0));
                QCOMPARE(st.DIOpen[m][n], 0);
                QCOMPARE(s.form.DICloseBtn(m, n)->isVisible(), on);
                QCOMPARE(s.form.DICloseBtn(m, n)->isChecked(), on);
                QCOMPARE(s.form.DIOpenBtn(m, n)->isVisible(), on);
                QVERIFY(!s.form.DIOpenBtn(m, n)->isChecked());
                QCOMPARE(s.form.DISilenceT(m, n)->isVisible(), on);
                QCOMPARE(s.form.DISilenceT(m, n)->text(), QStringLiteral("30"));
                QCOMPARE(s.form.DIAlarmBtn(m, n)->isVisible(), on);
                QCOMPARE(s.form.DIAlarmBtn(m, n)->text(), QStringLiteral("ON"));
                QCOMPARE(isRed(s.form.DIChanInUseBtn(m, n)), !on);
            }

        // A channel toggled alone does not change the ALL flag: the next ALL press still
        // switches every channel of the module off.
        click(s.form.DIChanInUseBtn(module, 4));
        QCOMPARE(st.DIChanInUse[module][4], std::int16_t(0));
        QCOMPARE(st.DIAllInUse[module], std::int16_t(-1));
        click(s.form.AllBtn(module + 1));
        QCOMPARE(st.DIAllInUse[module], std::int16_t(0));
        for (int n = 0; n < kDiChannels; ++n) {
            QCOMPARE(st.DIChanInUse[module][n], std::int16_t(0));
            QCOMPARE(st.DIClose[module][n], std::int16_t(0));
            QCOMPARE(st.DIOpen[module][n], 0);
            QVERIFY(!s.form.DICloseBtn(module, n)->isVisible());
            QVERIFY(!s.form.DICloseBtn(module, n)->isChecked());
            QVERIFY(!s.form.DIAlarmBtn(module, n)->isVisible());
        }
    }

    void relaySelector_data()
    {
        // Mouse clicks on the Close ('C') and Open ('O') boxes of DI module 1, channel 9, in
        // use; after each click exactly one box is ticked and the arrays follow it.
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<bool>("closeTicked");

        QTest::newRow("in use: Close") << "" << true;
        QTest::newRow("untick Close: moves to Open") << "C" << false;
        QTest::newRow("then untick Open: back to Close") << "CO" << true;
        QTest::newRow("tick Open directly") << "O" << false;
        QTest::newRow("tick Open, tick Close") << "OC" << true;
        QTest::newRow("Close three times") << "CCC" << false;
        QTest::newRow("Open twice") << "OO" << true;
    }

    void relaySelector()
    {
        QFETCH(QString, clicks);
        QFETCH(bool, closeTicked);
        Showing s;
        QVERIFY(s.open());
        s.form.PageControl1()->setCurrentIndex(1);
        const int m = 1, n = 9;
        click(s.form.DIChanInUseBtn(m, n));
        QCheckBox* close = s.form.DICloseBtn(m, n);
        QCheckBox* open = s.form.DIOpenBtn(m, n);
        const ScreenState& st = model().screen;
        for (QChar c : clicks) {
            click(c == QLatin1Char('C') ? close : open);
            QVERIFY(close->isChecked() != open->isChecked());
            QCOMPARE(st.DIClose[m][n], std::int16_t(close->isChecked() ? 1 : 0));
            QCOMPARE(st.DIOpen[m][n], open->isChecked() ? 1 : 0);
        }
        QCOMPARE(close->isChecked(), closeTicked);
        QCOMPARE(st.DIClose[m][n], std::int16_t(closeTicked ? 1 : 0));
        QCOMPARE(st.DIOpen[m][n], closeTicked ? 0 : 1);
        // No other channel moved.
        QCOMPARE(st.DIClose[m][8], std::int16_t(0));
        QCOMPARE(st.DIOpen[0][n], 0);

        // Switched off and on again, the channel comes back with Close.
        click(s.form.DIChanInUseBtn(m, n));
        QCOMPARE(st.DIClose[m][n], std::int16_t(0));
        QCOMPARE(st.DIOpen[m][n], 0);
        click(s.form.DIChanInUseBtn(m, n));
        QVERIFY(close->isChecked());
        QVERIFY(!open->isChecked());
        QCOMPARE(st.DIClose[m][n], std::int16_t(1));
        QCOMPARE(st.DIOpen[m][n], 0);
    }

    void alarmButton()
    {
        Showing s;
        QVERIFY(s.open());
        s.form.PageControl1()->setCurrentIndex(1);
        const int m = 2, n = 11;
        click(s.form.AllBtn(m + 1));
        QPushButton* alarm = s.form.DIAlarmBtn(m, n);
        QLineEdit* silence = s.form.DISilenceT(m, n);
        silence->setText(QStringLiteral("45"));

        click(alarm);
        QCOMPARE(model().screen.DIAlarm[m][n], std::int16_t(0));
        QCOMPARE(alarm->text(), QStringLiteral("OFF"));
        QVERIFY(isRed(alarm));
        QCOMPARE(silence->text(), QStringLiteral("-1"));
        QVERIFY(!silence->isEnabled());
        QCOMPARE(s.form.DISilenceT(m, n - 1)->text(), QStringLiteral("30")); // neighbours untouched
        QVERIFY(s.form.DISilenceT(m, n - 1)->isEnabled());

        click(alarm);
        QCOMPARE(model().screen.DIAlarm[m][n], std::int16_t(-1));
        QCOMPARE(alarm->text(), QStringLiteral("ON"));
        QVERIFY(isWindowText(alarm));
        QCOMPARE(silence->text(), QStringLiteral("30")); // the 45 typed before is gone
        QVERIFY(silence->isEnabled());

        // The alarm state survives switching the channel off and on.
        click(alarm);
        click(s.form.DIChanInUseBtn(m, n));
        click(s.form.DIChanInUseBtn(m, n));
        QCOMPARE(alarm->text(), QStringLiteral("OFF"));
        QCOMPARE(silence->text(), QStringLiteral("-1"));
    }

    void doCells_data()
    {
        // A cell found by where it stands on its page, not by its name.
        QTest::addColumn<int>("module");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<int>("r");
        QTest::addColumn<int>("c");

        QTest::newRow("DO 2, lower right, row 5 column 3") << 2 << QPoint(450 + 48, 240 + 55) << 5 << 51;
        QTest::newRow("DO 0, upper left, row 0 column 0") << 0 << QPoint(85, 30) << 0 << 0;
        QTest::newRow("DO 1, upper right, row 3 column 1") << 1 << QPoint(466, 63) << 3 << 17;
        QTest::newRow("DO 0, lower left, row 15 column 15") << 0 << QPoint(85 + 240, 240 + 165) << 15 << 47;
        QTest::newRow("DO 1, upper left, row 12 column 9") << 1 << QPoint(85 + 144, 30 + 132) << 12 << 9;
    }

    void doCells()
    {
        QFETCH(int, module);
        QFETCH(QPoint, position);
        QFETCH(int, r);
        QFETCH(int, c);
        Showing s;
        QVERIFY(s.open());
        s.form.PageControl1()->setCurrentIndex(2 + module);
        auto* box = qobject_cast<QCheckBox*>(s.form.page(2 + module)->childAt(position + QPoint(5, 5)));
        QVERIFY(box);
        QCOMPARE(box->objectName(), QStringLiteral("DOModuleBtnB%1C%2R%3").arg(r).arg(c).arg(module));

        const auto ticked = [] {
            int sum = 0;
            for (const auto& row : model().screen.DOMap)
                for (const auto& cell : row)
                    for (std::int16_t v : cell)
                        sum += v;
            return sum;
        };
        click(box);
        QVERIFY(box->isChecked());
        QCOMPARE(model().screen.DOMap[r][c][module], std::int16_t(1));
        QCOMPARE(ticked(), 1);
        click(box);
        QVERIFY(!box->isChecked());
        QCOMPARE(ticked(), 0);
    }

    void reopenStartsFromTheBuildValues()
    {
        {
            Showing first;
            QVERIFY(first.open());
            click(first.form.AllBtn(0));
            first.form.PageControl1()->setCurrentIndex(1);
            click(first.form.AllBtn(1));
            click(first.form.DIOpenBtn(0, 2));
            click(first.form.DIAlarmBtn(0, 3));
            first.form.analogEdit(Column::DTo, 6)->setText(QStringLiteral("250.000"));
            first.form.PageControl1()->setCurrentIndex(3);
            click(first.form.DOModuleBtn(1, 1, 1));
            QCOMPARE(model().screen.DOMap[1][1][1], std::int16_t(1));
            first.form.close();
        }
        Showing second;
        QVERIFY(second.open());
        ScreenState expected;
        expected.resetToBuild();
        const ScreenState& st = model().screen;
        QCOMPARE(st.VYRChanInUse, expected.VYRChanInUse);
        QCOMPARE(st.VYRAllInUse, expected.VYRAllInUse);
        QCOMPARE(st.DIAllInUse, expected.DIAllInUse);
        QCOMPARE(st.DIChanInUse, expected.DIChanInUse);
        QCOMPARE(st.DIClose, expected.DIClose);
        QCOMPARE(st.DIOpen, expected.DIOpen);
        QCOMPARE(st.DIAlarm, expected.DIAlarm);
        QVERIFY(st.DOMap == expected.DOMap);
        QCOMPARE(second.form.captureScreen(), Screen::defaults());
        QCOMPARE(second.form.PageControl1()->currentIndex(), 0);
    }

    void snapshotRoundTrip()
    {
        Showing s;
        QVERIFY(s.open());
        Screen in = Screen::defaults();
        in.text(4, Column::HLimit) = QStringLiteral("75.250");
        in.text(9, Column::Digits) = QStringLiteral("3");
        in.VYRChanInUse[2] = 0;
        in.VYRChanInUse[13] = 0;
        in.DIChanInUse[0][1] = -1;
        in.DIOpenTicked[0][1] = true; // in use with Open
        in.DIChanInUse[2][15] = -1;
        in.DICloseTicked[2][15] = true;
        in.DIAlarm[2][15] = 0;
        in.DISilenceT[2][15] = QStringLiteral("-1");
        in.DOMap[5][51][2] = 1;
        in.DOMap[0][63][0] = 1;
        s.form.applyScreen(in);

        QCOMPARE(s.form.captureScreen(), in);
        QVERIFY(!s.form.analogEdit(Column::SFrom, 2)->isVisible());
        QVERIFY(isRed(s.form.VYRChanInUseBtn(13)));
        QVERIFY(s.form.DIOpenBtn(0, 1)->isChecked());
        QVERIFY(!s.form.DICloseBtn(0, 1)->isChecked());
        QCOMPARE(model().screen.DIOpen[0][1], 1);
        QCOMPARE(model().screen.DIClose[0][1], std::int16_t(0));
        QCOMPARE(s.form.DIAlarmBtn(2, 15)->text(), QStringLiteral("OFF"));
        QVERIFY(!s.form.DISilenceT(2, 15)->isEnabled());
        QVERIFY(s.form.DOModuleBtn(5, 51, 2)->isChecked());
        QVERIFY(!s.form.DOModuleBtn(5, 51, 1)->isChecked());

        // Back to the defaults: every tick and flag goes again.
        s.form.applyScreen(Screen::defaults());
        QCOMPARE(s.form.captureScreen(), Screen::defaults());
        QVERIFY(!s.form.DOModuleBtn(5, 51, 2)->isChecked());
        QVERIFY(!s.form.DIOpenBtn(0, 1)->isVisible());
        QCOMPARE(s.form.DIAlarmBtn(2, 15)->text(), QStringLiteral("ON"));
    }

    void closeDestroysTheControls()
    {
        test::ScriptedDialogs dialogs;
        FakeOpener opener;
        const test::Installed installed(link::ComPort::setOpener, &opener);
        Showing s;
        QVERIFY(s.open());
        QPointer<QWidget> some[] = {s.form.AllBtn(0), s.form.analogEdit(Column::Hysteresis, 15),
            s.form.DISilenceT(2, 15), s.form.DOModuleBtn(15, 63, 2)};
        s.form.close();
        QCOMPARE(opener.log.opened, 0); // the port was never opened, so it is not touched
        QCOMPARE(opener.log.closed, 0);
        QCOMPARE(s.mainShown, 1);
        QVERIFY(!s.form.isBuilt());
        QCOMPARE(s.form.generatedCount(), 0);
        for (const QPointer<QWidget>& w : some)
            QVERIFY(w.isNull());
        QVERIFY(!s.form.control(QStringLiteral("VYRSFrom0")));
        QVERIFY(!s.form.AllBtn(0));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(generatedChildren(s.form.page(i)), 0);
        QVERIFY(s.form.control(QStringLiteral("Read"))); // the frame stays
        QVERIFY(dialogs.shown.isEmpty());
    }

    // Escape is no way out of the form: the box being edited keeps its text and the focus.
    void escapeKeepsTheFormAndItsEdits()
    {
        test::ScriptedDialogs dialogs;
        Showing s;
        QVERIFY(s.open());
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        QLineEdit* box = s.form.analogEdit(Column::DTo, 4);
        box->setFocus();
        QTRY_VERIFY(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("250.5"));
        QTest::keyClick(box, Qt::Key_Escape);
        QTest::keyClick(&s.form, Qt::Key_Escape);
        QTest::qWait(20);
        QVERIFY(s.form.isVisible());
        QVERIFY(s.form.isBuilt());
        QCOMPARE(s.mainShown, 0);
        QCOMPARE(box->text(), QStringLiteral("250.5"));
        QVERIFY(box->hasFocus());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void closeReleasesAnOpenPort()
    {
        test::ScriptedDialogs dialogs;
        test::TempPorts ports;
        QTemporaryFile device;
        QVERIFY(device.open());
        ports.publish(QStringLiteral("COM1"), device.fileName());
        FakeOpener opener;
        const test::Installed installed(link::ComPort::setOpener, &opener);

        Showing s;
        QVERIFY(s.open());
        QVERIFY(TFormVYR::port().openNumbered(1, 19200).ok());
        QCOMPARE(opener.log.opened, 1);
        s.form.close();
        QCOMPARE(opener.log.purgedReceive, 1);
        QCOMPARE(opener.log.closed, 1);
        QVERIFY(!TFormVYR::port().isOpen());
        QCOMPARE(s.mainShown, 1);
        QCOMPARE(s.form.generatedCount(), 0);
        QVERIFY2(dialogs.shown.isEmpty(), qPrintable(dialogs.texts().join(QLatin1Char('|'))));
    }
};

QTEST_MAIN(TestVyrForm)
#include "test_vyrform.moc"
