// The VYRANTA window's field checks: each generated edit box checks its text when the user
// leaves it; a refused box keeps its text and the focus, and the click that took the focus
// away does not happen.
#include "vyr/VyrForm.h"

#include "link/ComPort.h"
#include "tests/support/LeaveCheckProbe.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

using namespace tarnixw;
using namespace tarnixw::vyr;

namespace {

struct Showing {
    test::TempPorts ports;
    test::ScriptedDialogs dialogs;
    kit::Session session;
    TFormVYR form{session, [] {}};
    bool ok = false;

    Showing()
    {
        resetModel();
        form.show();
        ok = QTest::qWaitFor([this] { return form.isBuilt(); }) && QTest::qWaitForWindowExposed(&form);
        form.activateWindow();
    }
    QLineEdit* box(const QString& name) const { return qobject_cast<QLineEdit*>(form.control(name)); }
};

const QString kInteger = QStringLiteral("please input an integer number.");
const QString kNumber = QStringLiteral("please input a floating point number.");
const QString kSensorRange = QStringLiteral("Please input an integer number between -10000 and 10000.");

} // namespace

class TestVyrFormChecks : public QObject {
    Q_OBJECT

private slots:
    void fieldChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("partner"); // "box=text" set first, or empty
        QTest::addColumn<QString>("message"); // empty: passes
        QTest::addColumn<QString>("after");
        const QString pv = QStringLiteral("Please input a floating point number between -999 and 9999.");
        const QString hyst = QStringLiteral("Please input a floating point number between 0.0 and 5.0.");
        const QString silence = QStringLiteral("Please input an integer number between -32767 and 32767.");
        const QString digits = QStringLiteral("Please input an integer number between 0 and 3.");
        const QString below = QStringLiteral("Value must less than 'To'.");
        const QString above = QStringLiteral("Value must larger than 'From'.");
        QTest::newRow("from equals to") << "VYRSFrom4"
                                        << "0"
                                        << "VYRSTo4=0"
                                        << ""
                                        << "0";
        QTest::newRow("to, partner not an integer") << "VYRSTo2"
                                                    << "5000"
                                                    << "VYRSFrom2=1e3"
                                                    << "'1e3' is not a valid integer value"
                                                    << "5000";
        QTest::newRow("from at the bound") << "VYRSFrom0"
                                           << "10000"
                                           << "VYRSTo0=10000"
                                           << ""
                                           << "10000";
        QTest::newRow("from beyond") << "VYRSFrom0"
                                     << "10001"
                                     << "" << kSensorRange << "10001";
        QTest::newRow("from not an integer") << "VYRSFrom0"
                                             << "12.5"
                                             << "" << kInteger << "12.5";
        QTest::newRow("from above its to") << "VYRSFrom3"
                                           << "6000"
                                           << "" << below << "6000";
        QTest::newRow("to of another channel is not looked at") << "VYRSFrom3"
                                                                << "4000"
                                                                << "VYRSTo13=0"
                                                                << ""
                                                                << "4000";
        QTest::newRow("to below its from") << "VYRSTo3"
                                           << "500"
                                           << "" << above << "500";
        QTest::newRow("to below range") << "VYRSTo15"
                                        << "-10001"
                                        << "" << kSensorRange << "-10001";
        QTest::newRow("to equals from") << "VYRSTo15"
                                        << "1000"
                                        << ""
                                        << ""
                                        << "1000";
        QTest::newRow("pv at lower bound") << "VYRDFrom2"
                                           << "-999"
                                           << ""
                                           << ""
                                           << "-999.000";
        QTest::newRow("pv below") << "VYRDFrom2"
                                  << "-999.5"
                                  << "" << pv << "-999.5";
        QTest::newRow("pv rounded") << "VYRDTo9"
                                    << "12.3456"
                                    << ""
                                    << ""
                                    << "12.346";
        QTest::newRow("pv from above its to") << "VYRDFrom9"
                                              << "500"
                                              << ""
                                              << ""
                                              << "500.000";
        QTest::newRow("pv text") << "VYRDTo9"
                                 << "1,5"
                                 << "" << kNumber << "1,5";
        QTest::newRow("alarm any size") << "VYRLLimit7"
                                        << "123456.7"
                                        << ""
                                        << ""
                                        << "123456.700";
        QTest::newRow("low above high") << "VYRLLimit7"
                                        << "70"
                                        << ""
                                        << ""
                                        << "70.000";
        QTest::newRow("alarm nan") << "VYRHLimit7"
                                   << "nan"
                                   << "" << kNumber << "nan";
        QTest::newRow("alarm inf") << "VYRHLimit0"
                                   << "-inf"
                                   << "" << kNumber << "-inf";
        QTest::newRow("digits upper bound") << "VYRDigits1"
                                            << "3"
                                            << ""
                                            << ""
                                            << "3";
        QTest::newRow("digits above") << "VYRDigits1"
                                      << "4"
                                      << "" << digits << "4";
        QTest::newRow("digits negative") << "VYRDigits1"
                                         << "-1"
                                         << "" << digits << "-1";
        QTest::newRow("digits 2.0") << "VYRDigits1"
                                    << "2.0"
                                    << "" << kInteger << "2.0";
        QTest::newRow("silence lower bound") << "VYRSilenceT8"
                                             << "-32767"
                                             << ""
                                             << ""
                                             << "-32767";
        QTest::newRow("silence beyond") << "VYRSilenceT8"
                                        << "32768"
                                        << "" << silence << "32768";
        QTest::newRow("hysteresis 5") << "VYRHysteresis5"
                                      << "5"
                                      << ""
                                      << ""
                                      << "5.0";
        QTest::newRow("hysteresis rounded") << "VYRHysteresis5"
                                            << "1.26"
                                            << ""
                                            << ""
                                            << "1.3";
        QTest::newRow("hysteresis above") << "VYRHysteresis5"
                                          << "5.01"
                                          << "" << hyst << "5.01";
        QTest::newRow("hysteresis negative") << "VYRHysteresis5"
                                             << "-0.1"
                                             << "" << hyst << "-0.1";
        QTest::newRow("DI silence alarm off") << "DISilenceT211"
                                              << "-1"
                                              << ""
                                              << ""
                                              << "-1";
        QTest::newRow("DI silence beyond") << "DISilenceT015"
                                           << "-40000"
                                           << "" << silence << "-40000";
        QTest::newRow("DI silence text") << "DISilenceT10"
                                         << "3x"
                                         << "" << kInteger << "3x";
    }
    void fieldChecks()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QString, partner);
        QFETCH(QString, message);
        QFETCH(QString, after);
        Showing s;
        QVERIFY(s.ok);
        if (name.startsWith(QLatin1String("DI"))) {
            // DI channels start out of use, their boxes hidden: put the module in use.
            const int module = name.mid(10, 1).toInt();
            s.form.DIChanInUseClick(s.form.AllBtn(module + 1));
            s.form.PageControl1()->setCurrentIndex(1);
        }
        if (!partner.isEmpty())
            s.box(partner.section(QLatin1Char('='), 0, 0))->setText(partner.section(QLatin1Char('='), 1));
        QLineEdit* box = s.box(name);
        QVERIFY(box);
        box->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return box->hasFocus(); }));
        test::typeAndLeave(&s.form, box, text, message, after, s.dialogs);
    }

    // A refused box holds back the click that took the focus: a channel button does not
    // toggle, Read opens no port. Once the text passes, the same click goes through.
    void refusedBoxSwallowsTheClick()
    {
        Showing s;
        QVERIFY(s.ok);
        QLineEdit* from = s.form.analogEdit(Column::SFrom, 3);
        from->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return from->hasFocus(); }));
        from->setText(QStringLiteral("6000"));
        QPushButton* ch = s.form.VYRChanInUseBtn(9);
        QSignalSpy clicks(ch, &QPushButton::clicked);

        QTest::mouseClick(ch, Qt::LeftButton);

        QTRY_COMPARE(s.form.focusWidget(), from);
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("Value must less than 'To'.")});
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(model().screen.VYRChanInUse[9], kOn);
        QCOMPARE(from->text(), QStringLiteral("6000"));

        QTest::mouseClick(s.form.get<QPushButton>("Read"), Qt::LeftButton);
        QCOMPARE(s.dialogs.texts().size(), 2);
        QVERIFY(!TFormVYR::port().isOpen());
        QCOMPARE(s.form.focusWidget(), from);

        from->setText(QStringLiteral("4000"));
        QTest::mouseClick(ch, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(model().screen.VYRChanInUse[9], kOff);
        QCOMPARE(s.dialogs.texts().size(), 2);
    }

    // Texts set by the program are not checked; only leaving a box is.
    void programTextsAreNotChecked()
    {
        Showing s;
        QVERIFY(s.ok);
        s.form.analogEdit(Column::Digits, 0)->setText(QStringLiteral("9"));
        s.form.analogEdit(Column::SFrom, 0)->setText(QStringLiteral("abc"));
        QTest::qWait(20);
        QVERIFY(s.dialogs.texts().isEmpty());
    }
};

QTEST_MAIN(TestVyrFormChecks)
#include "test_vyrform_checks.moc"
