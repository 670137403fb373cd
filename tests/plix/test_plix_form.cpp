// The PLIXARO form on the offscreen platform: its designed screen, the channel buttons, the
// checks made when a box is left, and Open / Save File.

#include "kit/QtDialogs.h"
#include "link/ComPort.h"
#include "plix/PlixForm.h"
#include "tests/support/LeaveCheckProbe.h"
#include "tests/support/Models.h"
#include "tests/support/Restore.h"
#include "tests/support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnixw;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The form shown and active, as the user meets it.
struct Shown {
    Shown()
    {
        plix::resetModel();
        form.show();
        form.activateWindow();
        ok = QTest::qWaitForWindowActive(&form);
    }
    QLineEdit* box(const QString& name) const { return qobject_cast<QLineEdit*>(form.control(name)); }
    QPushButton* button(const char* name) const { return form.get<QPushButton>(name); }

    test::ScriptedDialogs dialogs;
    kit::Session session{0, 0, test::formModels()};
    plix::TFormPLIX form{session, [] {}};
    bool ok = false;
};

} // namespace

class TestPlixForm : public QObject {
    Q_OBJECT

private slots:
    void init() { plix::resetModel(); }

    // Every parameter box starts at the model's default, in green; the low alarm boxes belong
    // to the window itself, all others to their titled box.
    void defaultTexts()
    {
        kit::Session session;
        plix::TFormPLIX form(session, [] {});
        for (int i = 0; i < plix::kFieldCount; ++i) {
            const plix::Field f = plix::fieldAt(i);
            auto* box = qobject_cast<QLineEdit*>(form.control(plix::controlName(f)));
            QVERIFY(box);
            QCOMPARE(box->text(), plix::defaultText(f));
            QCOMPARE(kit::textColor(box), kit::kGreen);
            QCOMPARE(box->parentWidget() == &form, plix::parameterOf(f) == plix::Parameter::LowAlarm);
        }
        QCOMPARE(form.texts(), plix::Texts::defaults());
    }

    void designedFrame()
    {
        kit::Session session;
        plix::TFormPLIX form(session, [] {});
        QCOMPARE(form.objectName(), QStringLiteral("FormPLIX"));
        QCOMPARE(form.windowTitle(), QStringLiteral("TarnixWPLIX"));
        QCOMPARE(form.size(), QSize(800, 600));
        QCOMPARE(form.rdCOM()->currentText(), QStringLiteral("1"));
        QCOMPARE(form.rdCOM()->count(), 15);
        QCOMPARE(form.BaudRate()->currentText(), QStringLiteral("19200"));
        QCOMPARE(form.ModbusID()->text(), QStringLiteral("1"));
        QCOMPARE(form.get<QPushButton>("CH0")->text(), QStringLiteral("CH0 Enable"));
        QCOMPARE(form.ProgressBar1()->value(), 0);

        // Tab order: CH0's panel, CH0LowAlarm, CH1's panel, CH1LowAlarm, the COM parameters,
        // then the buttons as designed.
        QStringList order;
        QWidget* w = &form;
        do {
            w = w->nextInFocusChain();
            if ((w->focusPolicy() & Qt::TabFocus) && form.control(w->objectName()) == w)
                order << w->objectName();
        } while (w != &form);
        QStringList expected;
        for (const char* ch : {"CH0", "CH1"}) {
            for (const char* kind : {"SensorFrom", "SensorTo", "PvFrom", "PvTo", "HighAlarm", "SilenceTime",
                     "DecimalDigits", "Hystersis", "LowAlarm"})
                expected << QLatin1String(ch) + QLatin1String(kind);
        }
        expected << QStringList{QStringLiteral("rdCOM"), QStringLiteral("ModbusID"), QStringLiteral("BaudRate"),
            QStringLiteral("IDSearch"), QStringLiteral("CH0"), QStringLiteral("CH1"), QStringLiteral("Read"),
            QStringLiteral("Write"), QStringLiteral("OpenFile"), QStringLiteral("SaveFlie"),
            QStringLiteral("CheckCOM")};
        QCOMPARE(order, expected);
    }

    void channelButtonsToggle_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QStringList>("hidden");
        QTest::newRow("CH0") << 0 << QStringList{"GroupBox2", "GroupBox3", "GroupBox4", "CH0LowAlarm"};
        QTest::newRow("CH1") << 1 << QStringList{"GroupBox6", "GroupBox7", "GroupBox8", "CH1LowAlarm"};
    }
    void channelButtonsToggle()
    {
        QFETCH(int, channel);
        QFETCH(QStringList, hidden);
        Shown s;
        QVERIFY(s.ok);
        auto* button = s.button(channel == 0 ? "CH0" : "CH1");
        const QString panel = channel == 0 ? QStringLiteral("GroupBox1") : QStringLiteral("GroupBox5");
        const QString other = channel == 0 ? QStringLiteral("GroupBox6") : QStringLiteral("GroupBox2");
        s.box(QStringLiteral("CH%1PvTo").arg(channel))->setText(QStringLiteral("77.000"));
        const auto flag = [&] { return channel == 0 ? plix::model().CH0Enabled : plix::model().CH1Enabled; };

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!flag());
        for (const QString& name : hidden)
            QVERIFY2(!s.form.control(name)->isVisible(), qPrintable(name));
        QVERIFY(s.form.control(panel)->isVisible());
        QVERIFY(button->isVisible());
        QVERIFY(s.form.control(other)->isVisible()); // the other channel is left alone
        QCOMPARE(button->text(), QStringLiteral("CH%1 Disable").arg(channel));
        QCOMPARE(kit::textColor(button), kit::kRed);

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(flag());
        for (const QString& name : hidden)
            QVERIFY2(s.form.control(name)->isVisible(), qPrintable(name));
        QCOMPARE(button->text(), QStringLiteral("CH%1 Enable").arg(channel));
        QCOMPARE(kit::textColor(button), s.form.palette().color(QPalette::Active, QPalette::ButtonText));
        QCOMPARE(s.box(QStringLiteral("CH%1PvTo").arg(channel))->text(), QStringLiteral("77.000"));
    }

    // The flags outlive the form: a new form shows both channels until they are applied.
    void flagsOutliveTheForm()
    {
        kit::Session session;
        {
            plix::TFormPLIX first(session, [] {});
            first.CH1Click();
        }
        plix::TFormPLIX second(session, [] {});
        QCOMPARE(second.get<QPushButton>("CH1")->text(), QStringLiteral("CH1 Enable"));
        QVERIFY(!plix::model().CH1Enabled);
        second.ApplyChannelStates();
        QCOMPARE(second.get<QPushButton>("CH1")->text(), QStringLiteral("CH1 Disable"));
        QVERIFY(second.control(QStringLiteral("CH1LowAlarm"))->isHidden());
        QVERIFY(!second.control(QStringLiteral("CH0LowAlarm"))->isHidden());
    }

    // Leaving a box by the keyboard runs its check; a refused box keeps its text and the focus.
    void fieldChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("partner"); // "box=text" set first, or empty
        QTest::addColumn<QString>("message"); // empty: passes
        QTest::addColumn<QString>("after");
        const QString sensorFrom = QStringLiteral("Please input an integer number between -10000 and 10000.");
        const QString sensorTo = QStringLiteral("Please input an integer number between -10000 and 10000");
        const QString pv = QStringLiteral("Please input a floating point number between -999 and 9999.");
        const QString hyst = QStringLiteral("Please input a floating point number between 0.0 and 5.0.");
        const QString integer = QStringLiteral("please input an integer number.");
        const QString number = QStringLiteral("please input a floating point number.");
        QTest::newRow("from at lower bound") << "CH0SensorFrom"
                                             << "-10000"
                                             << ""
                                             << ""
                                             << "-10000";
        QTest::newRow("from above range") << "CH1SensorFrom"
                                          << "10001"
                                          << "" << sensorFrom << "10001";
        QTest::newRow("from, partner not an integer") << "CH0SensorFrom"
                                                      << "1000"
                                                      << "CH0SensorTo=abc"
                                                      << "'abc' is not a valid integer value"
                                                      << "1000";
        QTest::newRow("to, partner not a number") << "CH1SensorTo"
                                                  << "5000"
                                                  << "CH1SensorFrom=abc"
                                                  << "'abc' is not a valid floating point value"
                                                  << "5000";
        QTest::newRow("to above range") << "CH0SensorTo"
                                        << "10001"
                                        << "" << sensorTo << "10001";
        QTest::newRow("to at upper bound") << "CH1SensorTo"
                                           << "10000"
                                           << ""
                                           << ""
                                           << "10000";
        QTest::newRow("CH1 to below from") << "CH1SensorTo"
                                           << "500"
                                           << ""
                                           << "Value must larger than 'From(mV):'."
                                           << "500";
        QTest::newRow("CH0 to below from") << "CH0SensorTo"
                                           << "500"
                                           << ""
                                           << "Value must larger than 'From(mV):'."
                                           << "500";
        QTest::newRow("from above to") << "CH0SensorFrom"
                                       << "6000"
                                       << ""
                                       << "Value must less than 'To(mV):'."
                                       << "6000";
        QTest::newRow("CH1 from above to") << "CH1SensorFrom"
                                           << "300"
                                           << "CH1SensorTo=200"
                                           << "Value must less than 'To(mV):'."
                                           << "300";
        QTest::newRow("from equals to") << "CH0SensorFrom"
                                        << "5000"
                                        << ""
                                        << ""
                                        << "5000";
        QTest::newRow("from not an integer") << "CH0SensorFrom"
                                             << "1.5"
                                             << "" << integer << "1.5";
        QTest::newRow("pv rounded") << "CH0PvFrom"
                                    << "12.3456"
                                    << ""
                                    << ""
                                    << "12.346";
        QTest::newRow("pv above range") << "CH1PvTo"
                                        << "9999.5"
                                        << "" << pv << "9999.5";
        QTest::newRow("pv at lower bound") << "CH1PvFrom"
                                           << "-999"
                                           << ""
                                           << ""
                                           << "-999.000";
        QTest::newRow("pv inf") << "CH0PvTo"
                                << "inf"
                                << "" << number << "inf";
        QTest::newRow("low alarm negative") << "CH0LowAlarm"
                                            << "-5"
                                            << ""
                                            << ""
                                            << "-5.000";
        QTest::newRow("high alarm any size") << "CH1HighAlarm"
                                             << "123456"
                                             << ""
                                             << ""
                                             << "123456.000";
        QTest::newRow("alarm nan") << "CH1LowAlarm"
                                   << "nan"
                                   << "" << number << "nan";
        QTest::newRow("silence lower bound") << "CH0SilenceTime"
                                             << "-32767"
                                             << ""
                                             << ""
                                             << "-32767";
        QTest::newRow("silence below range") << "CH1SilenceTime"
                                             << "-32768"
                                             << ""
                                             << "Please input an integer number between -32767 and 32767."
                                             << "-32768";
        QTest::newRow("silence text") << "CH0SilenceTime"
                                      << "abc"
                                      << "" << integer << "abc";
        QTest::newRow("digits above range") << "CH0DecimalDigits"
                                            << "4"
                                            << ""
                                            << "Please input an integer number between 0 and 3."
                                            << "4";
        QTest::newRow("digits upper bound") << "CH1DecimalDigits"
                                            << "3"
                                            << ""
                                            << ""
                                            << "3";
        QTest::newRow("hysteresis upper bound") << "CH0Hystersis"
                                                << "5"
                                                << ""
                                                << ""
                                                << "5.0";
        QTest::newRow("hysteresis above range") << "CH0Hystersis"
                                                << "5.01"
                                                << "" << hyst << "5.01";
        QTest::newRow("hysteresis rounded") << "CH1Hystersis"
                                            << "0.26"
                                            << ""
                                            << ""
                                            << "0.3";
    }
    void fieldChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, partner);
        QFETCH(QString, message);
        QFETCH(QString, after);
        Shown s;
        QVERIFY(s.ok);
        if (!partner.isEmpty())
            s.box(partner.section(QLatin1Char('='), 0, 0))->setText(partner.section(QLatin1Char('='), 1));
        QLineEdit* box = s.box(name);
        box->setFocus();
        QVERIFY(box->hasFocus());
        test::typeAndLeave(&s.form, box, text, message, after, s.dialogs);
    }

    // A click that takes the focus from a refused box does not happen, with the scripted
    // boxes and with real modal ones (Qt still delivers the press once the box is gone).
    void refusedBoxSwallowsTheClick_data()
    {
        QTest::addColumn<bool>("realBoxes");
        QTest::newRow("scripted") << false;
        QTest::newRow("real message box") << true;
    }
    void refusedBoxSwallowsTheClick()
    {
        QFETCH(bool, realBoxes);
        Shown s;
        QVERIFY(s.ok);
        kit::QtDialogs real;
        std::optional<test::Installed<kit::Dialogs>> realDialogs;
        if (realBoxes)
            realDialogs.emplace(kit::setDialogs, &real);
        int boxesClosed = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++boxesClosed;
                box->accept();
            }
        });
        if (realBoxes)
            closer.start(20);
        QLineEdit* silence = s.box(QStringLiteral("CH0SilenceTime"));
        silence->setFocus();
        silence->setText(QStringLiteral("40000"));
        QSignalSpy clicks(s.button("CH0"), &QPushButton::clicked);

        QTest::mouseClick(s.button("CH0"), Qt::LeftButton);
        QTRY_COMPARE(s.form.focusWidget(), silence);
        if (realBoxes)
            QCOMPARE(boxesClosed, 1);
        else
            QCOMPARE(s.dialogs.texts().size(), 1);
        QCOMPARE(clicks.count(), 0);
        QVERIFY(plix::model().CH0Enabled);
        QCOMPARE(silence->text(), QStringLiteral("40000"));

        // Once the text is right, the same click goes through.
        if (realBoxes) {
            s.form.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&s.form));
        }
        silence->setText(QStringLiteral("45"));
        QTest::mouseClick(s.button("CH0"), Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!plix::model().CH0Enabled);
    }

    // A refused box holds back a click on Read as well: no port is opened.
    void refusedBoxHoldsBackRead()
    {
        Shown s;
        QVERIFY(s.ok);
        QLineEdit* digits = s.box(QStringLiteral("CH1DecimalDigits"));
        digits->setFocus();
        digits->setText(QStringLiteral("9"));
        QTest::mouseClick(s.button("Read"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("Please input an integer number between 0 and 3.")});
        QCOMPARE(s.form.focusWidget(), digits);
        QVERIFY(!plix::TFormPLIX::port().isOpen());
    }

    void freshSaveWritesTheImage()
    {
        Shown s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fresh.plx"));
        s.dialogs.fileAnswers.push_back(path);

        s.form.SaveFlieClick();

        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("Save File Done.")});
        QCOMPARE(s.dialogs.fileSpecs.size(), 1);
        QCOMPARE(s.dialogs.fileSpecs[0].filter, QStringLiteral("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*"));
        QCOMPARE(s.dialogs.fileSpecs[0].selectedFilter, 0);
        QCOMPARE(s.dialogs.fileSpecs[0].defaultSuffix, QStringLiteral("plx"));
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 100);
        QCOMPARE(bytes.left(8), QByteArray::fromHex("0300000003000000"));
        QCOMPARE(bytes.mid(8, 32), QByteArray(32, '\0'));
        QCOMPARE(bytes.mid(60, 4), QByteArray::fromHex("e8030000"));
        QCOMPARE(bytes.mid(96, 2), QByteArray::fromHex("0505"));
        QCOMPARE(s.form.ProgressBar1()->value(), 0);
    }

    void saveAndOpenRoundTrip()
    {
        Shown s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("set.plx"));
        s.box(QStringLiteral("CH0PvTo"))->setText(QStringLiteral("1234.567"));
        s.box(QStringLiteral("CH1SensorFrom"))->setText(QStringLiteral("-2500"));
        s.box(QStringLiteral("CH1Hystersis"))->setText(QStringLiteral("2.3"));
        s.box(QStringLiteral("CH1SilenceTime"))->setText(QStringLiteral("-7"));
        s.form.CH1Click();
        s.dialogs.fileAnswers.push_back(path);
        s.form.SaveFlieClick();

        // Change everything, then load the file back.
        for (int i = 0; i < plix::kFieldCount; ++i)
            s.form.edit(plix::fieldAt(i))->setText(QStringLiteral("0"));
        s.form.CH1Click();
        s.form.CH0Click();
        s.dialogs.clear();
        s.dialogs.fileAnswers.push_back(path);
        s.form.OpenFileClick();

        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("Load File Done.")});
        QCOMPARE(s.dialogs.fileSpecs[0].defaultSuffix, QString());
        QCOMPARE(s.box(QStringLiteral("CH0PvTo"))->text(), QStringLiteral("1234.600"));
        QCOMPARE(s.box(QStringLiteral("CH1SensorFrom"))->text(), QStringLiteral("-2500"));
        QCOMPARE(s.box(QStringLiteral("CH1Hystersis"))->text(), QStringLiteral("2.3"));
        QCOMPARE(s.box(QStringLiteral("CH1SilenceTime"))->text(), QStringLiteral("-7"));
        QCOMPARE(s.box(QStringLiteral("CH0LowAlarm"))->text(), QStringLiteral("40.000"));
        QVERIFY(plix::model().CH0Enabled);
        QVERIFY(!plix::model().CH1Enabled);
        QCOMPARE(s.button("CH1")->text(), QStringLiteral("CH1 Disable"));
        QVERIFY(!s.form.control(QStringLiteral("CH1LowAlarm"))->isVisible());
        QCOMPARE(s.button("CH0")->text(), QStringLiteral("CH0 Enable"));
    }

    // Only a whole 100-byte image is taken; anything else changes nothing.
    void openRefuses_data()
    {
        QTest::addColumn<int>("size"); // -1: a directory
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << 0 << "This file is 0 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("99 bytes") << 99
                                  << "This file is 99 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("101 bytes")
            << 101 << "This file is 101 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("a VYR file")
            << 1204 << "This file is 1204 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("a directory") << -1 << "Can not open file !!";
    }
    void openRefuses()
    {
        QFETCH(int, size);
        QFETCH(QString, message);
        Shown s;
        QTemporaryDir dir;
        QString path = dir.path();
        if (size >= 0) {
            path = dir.filePath(QStringLiteral("odd.plx"));
            QVERIFY(writeFile(path, QByteArray(size, '\x01')));
        }
        s.form.CH0Click();
        s.box(QStringLiteral("CH1PvFrom"))->setText(QStringLiteral("3.000"));
        const plix::PLIXParamSet imageBefore = plix::model().paramSet;
        s.dialogs.fileAnswers.push_back(path);

        s.form.OpenFileClick();

        QCOMPARE(s.dialogs.texts(), QStringList{message});
        QVERIFY(plix::model().paramSet == imageBefore);
        QVERIFY(!plix::model().CH0Enabled);
        QCOMPARE(s.button("CH0")->text(), QStringLiteral("CH0 Disable"));
        QCOMPARE(s.box(QStringLiteral("CH1PvFrom"))->text(), QStringLiteral("3.000"));
    }

    void cancelledDialogs()
    {
        Shown s;
        s.box(QStringLiteral("CH0SensorFrom"))->setText(QStringLiteral("1500"));
        s.form.OpenFileClick(); // no answer scripted: cancel
        s.form.SaveFlieClick();
        QVERIFY(s.dialogs.texts().isEmpty());
        QCOMPARE(s.dialogs.fileSpecs.size(), 2);
        QCOMPARE(s.box(QStringLiteral("CH0SensorFrom"))->text(), QStringLiteral("1500"));
        // A cancelled save has refreshed the image from the screen all the same.
        QCOMPARE(plix::model().paramSet.sensorFrom(0), 1500);
    }

    void saveRefusesTextBeforeTheDialog()
    {
        Shown s;
        s.box(QStringLiteral("CH1PvFrom"))->setText(QStringLiteral("1,5"));
        s.form.SaveFlieClick();
        QCOMPARE(s.dialogs.shown.size(), 1);
        QCOMPARE(s.dialogs.shown[0].kind, test::Shown::Error);
        QVERIFY(s.dialogs.fileSpecs.isEmpty());
        QVERIFY(plix::model().paramSet == plix::PLIXParamSet{});
    }

    void failedSaveIsReported()
    {
        Shown s;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/set.plx"));
        s.dialogs.fileAnswers.push_back(path);
        s.form.SaveFlieClick();
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("Can not open file !!")});
        QVERIFY(!QFile::exists(path));
    }

    // The port picked in rdCOM survives the window's boxes (which take the activation away
    // and give it back); only the next showing starts again from ComIndex.
    void pickedPortStaysAfterBoxes()
    {
        Shown s;
        s.session.ComIndex = 2;
        s.form.hide();
        s.form.show();
        s.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        QTRY_VERIFY(s.form.formCreatedThisShowing());
        QCOMPARE(s.form.rdCOM()->currentIndex(), 2);
        s.form.rdCOM()->setCurrentIndex(6);

        QWidget box;
        s.dialogs.onShow = [&](const test::Shown&) {
            box.show();
            box.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&box));
            box.hide();
        };
        QTemporaryDir dir;
        s.dialogs.fileAnswers.push_back(dir.path()); // a directory: "Can not open file !!"
        s.form.OpenFileClick();
        QCOMPARE(s.dialogs.texts().size(), 1);
        s.form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.form));
        QCOMPARE(s.form.rdCOM()->currentIndex(), 6);

        s.form.hide();
        s.form.show();
        QTRY_VERIFY(s.form.formCreatedThisShowing());
        QCOMPARE(s.form.rdCOM()->currentIndex(), 2);
    }
};

QTEST_MAIN(TestPlixForm)
#include "test_plix_form.moc"
