#include "values/FieldChecks.h"

#include <QTest>

using namespace tarnixw::values;

Q_DECLARE_METATYPE(tarnixw::values::FieldKind)

namespace {
const QString kNoInt = QStringLiteral("please input an integer number.");
const QString kNoFloat = QStringLiteral("please input a floating point number.");
const QString kSensorRange = QStringLiteral("Please input an integer number between -10000 and 10000.");
} // namespace

class TestFieldChecks : public QObject {
    Q_OBJECT

private slots:
    // One box on its own: conversion, inclusive range, rewrite. Cases from both models' lists.
    void singleBox_data()
    {
        QTest::addColumn<FieldKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("rewritten"); // empty: not rewritten

        const QString pvRange = QStringLiteral("Please input a floating point number between -999 and 9999.");
        const QString silenceRange = QStringLiteral("Please input an integer number between -32767 and 32767.");
        const QString digitsRange = QStringLiteral("Please input an integer number between 0 and 3.");
        const QString hystRange = QStringLiteral("Please input a floating point number between 0.0 and 5.0.");

        QTest::newRow("sensor 10000") << FieldKind::Sensor << "10000" << true << ""
                                      << "";
        QTest::newRow("sensor -10000") << FieldKind::Sensor << "-10000" << true << ""
                                       << "";
        QTest::newRow("sensor 10001") << FieldKind::Sensor << "10001" << false << kSensorRange << "";
        QTest::newRow("sensor -10001") << FieldKind::Sensor << "-10001" << false << kSensorRange << "";
        QTest::newRow("sensor 1.5") << FieldKind::Sensor << "1.5" << false << kNoInt << "";
        QTest::newRow("sensor 12.5") << FieldKind::Sensor << "12.5" << false << kNoInt << "";
        QTest::newRow("sensor empty") << FieldKind::Sensor << "" << false << kNoInt << "";

        QTest::newRow("pv 12.3456") << FieldKind::PV << "12.3456" << true << ""
                                    << "12.346";
        QTest::newRow("pv -999") << FieldKind::PV << "-999" << true << ""
                                 << "-999.000";
        QTest::newRow("pv 9999") << FieldKind::PV << "9999" << true << ""
                                 << "9999.000";
        QTest::newRow("pv -999.5") << FieldKind::PV << "-999.5" << false << pvRange << "";
        QTest::newRow("pv 9999.001") << FieldKind::PV << "9999.001" << false << pvRange << "";
        QTest::newRow("pv 0.12345") << FieldKind::PV << "0.12345" << true << ""
                                    << "0.123";
        QTest::newRow("pv letters") << FieldKind::PV << "1a" << false << kNoFloat << "";

        QTest::newRow("alarm -5") << FieldKind::AlarmRange << "-5" << true << ""
                                  << "-5.000";
        QTest::newRow("alarm 123456.7") << FieldKind::AlarmRange << "123456.7" << true << ""
                                        << "123456.700";
        QTest::newRow("alarm 12.5") << FieldKind::AlarmRange << "12.5" << true << ""
                                    << "12.500";
        QTest::newRow("alarm 7") << FieldKind::AlarmRange << "7" << true << ""
                                 << "7.000";
        // Every digit of a long number is kept (a fixed buffer once cut 1e100 short).
        QTest::newRow("alarm 1e100") << FieldKind::AlarmRange << "1e100" << true << ""
                                     << QStringLiteral("1%1.000").arg(QString(100, QLatin1Char('0')));
        QTest::newRow("alarm -1e120") << FieldKind::AlarmRange << "-1e120" << true << ""
                                      << QStringLiteral("-1%1.000").arg(QString(120, QLatin1Char('0')));
        QTest::newRow("alarm inf") << FieldKind::AlarmRange << "inf" << false << kNoFloat << "";

        QTest::newRow("silence -32767") << FieldKind::Silence << "-32767" << true << ""
                                        << "";
        QTest::newRow("silence -32768") << FieldKind::Silence << "-32768" << false << silenceRange << "";
        QTest::newRow("silence 32768") << FieldKind::Silence << "32768" << false << silenceRange << "";
        QTest::newRow("silence -1") << FieldKind::Silence << "-1" << true << ""
                                    << "";
        QTest::newRow("silence 30.0") << FieldKind::Silence << "30.0" << false << kNoInt << "";

        QTest::newRow("digits 3") << FieldKind::DecimalDigits << "3" << true << ""
                                  << "";
        QTest::newRow("digits 0") << FieldKind::DecimalDigits << "0" << true << ""
                                  << "";
        QTest::newRow("digits 4") << FieldKind::DecimalDigits << "4" << false << digitsRange << "";
        QTest::newRow("digits -1") << FieldKind::DecimalDigits << "-1" << false << digitsRange << "";
        QTest::newRow("digits 2.0") << FieldKind::DecimalDigits << "2.0" << false << kNoInt << "";

        QTest::newRow("hyst 5") << FieldKind::Hysteresis << "5" << true << ""
                                << "5.0";
        QTest::newRow("hyst 0") << FieldKind::Hysteresis << "0" << true << ""
                                << "0.0";
        QTest::newRow("hyst 1.26") << FieldKind::Hysteresis << "1.26" << true << ""
                                   << "1.3";
        QTest::newRow("hyst 5.01") << FieldKind::Hysteresis << "5.01" << false << hystRange << "";
        QTest::newRow("hyst -0.1") << FieldKind::Hysteresis << "-0.1" << false << hystRange << "";
    }
    void singleBox()
    {
        QFETCH(FieldKind, kind);
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(QString, rewritten);
        const FieldCheckResult r = checkField(kind, text);
        QCOMPARE(r.ok(), ok);
        QCOMPARE(r.error, message);
        QCOMPARE(r.value.value_or(std::nullopt).value_or(QString()), rewritten);
    }

    // Leaving a sensor box: range, then the comparison with the channel's other limit.
    void sensorPair_data()
    {
        QTest::addColumn<bool>("plix");
        QTest::addColumn<bool>("leavingFrom");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("partner");
        QTest::addColumn<QString>("message"); // empty: passes

        QTest::newRow("plix from equal to") << true << true << "1000"
                                            << "1000"
                                            << "";
        QTest::newRow("plix to equal from") << true << false << "1000"
                                            << "1000"
                                            << "";
        QTest::newRow("plix from above to") << true << true << "6000"
                                            << "5000"
                                            << "Value must less than 'To(mV):'.";
        QTest::newRow("plix to below from") << true << false << "500"
                                            << "1000"
                                            << "Value must larger than 'From(mV):'.";
        QTest::newRow("plix from range") << true << true << "10001"
                                         << "5000" << kSensorRange;
        QTest::newRow("plix to range, no full stop") << true << false << "10001"
                                                     << "1000"
                                                     << "Please input an integer number between -10000 and 10000";
        QTest::newRow("plix to range below") << true << false << "-10001"
                                             << "1000"
                                             << "Please input an integer number between -10000 and 10000";
        QTest::newRow("plix from 1.5") << true << true << "1.5"
                                       << "5000" << kNoInt;
        // Leaving a to box reads the from box as a number; leaving a from box reads the to box
        // as an integer.
        QTest::newRow("plix to, partner number") << true << false << "1000"
                                                 << "999.5"
                                                 << "";
        QTest::newRow("plix to, partner number above") << true << false << "1000"
                                                       << "1000.5"
                                                       << "Value must larger than 'From(mV):'.";
        QTest::newRow("plix from, partner not integer") << true << true << "1000"
                                                        << "5000.5"
                                                        << "'5000.5' is not a valid integer value";
        QTest::newRow("plix to, partner text") << true << false << "1000"
                                               << "abc"
                                               << "'abc' is not a valid floating point value";
        QTest::newRow("plix range before partner") << true << true << "20000"
                                                   << "abc" << kSensorRange;

        QTest::newRow("vyr from 0 to 0") << false << true << "0"
                                         << "0"
                                         << "";
        QTest::newRow("vyr from 6000 to 5000") << false << true << "6000"
                                               << "5000"
                                               << "Value must less than 'To'.";
        QTest::newRow("vyr to 500 from 1000") << false << false << "500"
                                              << "1000"
                                              << "Value must larger than 'From'.";
        QTest::newRow("vyr to range with full stop") << false << false << "10001"
                                                     << "0" << kSensorRange;
        QTest::newRow("vyr from 10000") << false << true << "10000"
                                        << "10000"
                                        << "";
        QTest::newRow("vyr from 12.5") << false << true << "12.5"
                                       << "10000" << kNoInt;
        QTest::newRow("vyr to, partner not integer") << false << false << "10"
                                                     << "2.5"
                                                     << "'2.5' is not a valid integer value";
    }
    void sensorPair()
    {
        QFETCH(bool, plix);
        QFETCH(bool, leavingFrom);
        QFETCH(QString, text);
        QFETCH(QString, partner);
        QFETCH(QString, message);
        const SensorCheckRules rules = plix ? plixSensorRules() : vyrSensorRules();
        const FieldCheckResult r
            = leavingFrom ? checkSensorFrom(text, partner, rules) : checkSensorTo(text, partner, rules);
        QCOMPARE(r.ok(), message.isEmpty());
        QCOMPARE(r.error, message);
        QCOMPARE(!r.ok() && r.kind == CheckFailure::ToolkitError, message.contains(QLatin1String("is not a valid")));
        QVERIFY(!r.ok() || !*r.value); // sensor texts are never rewritten
    }

    void integerKinds()
    {
        QVERIFY(isIntegerKind(FieldKind::Sensor));
        QVERIFY(isIntegerKind(FieldKind::Silence));
        QVERIFY(isIntegerKind(FieldKind::DecimalDigits));
        QVERIFY(!isIntegerKind(FieldKind::PV));
        QVERIFY(!isIntegerKind(FieldKind::AlarmRange));
        QVERIFY(!isIntegerKind(FieldKind::Hysteresis));
    }
};

QTEST_GUILESS_MAIN(TestFieldChecks)
#include "test_fieldchecks.moc"
