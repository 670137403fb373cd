// How typed text becomes a number, and how numbers are shown.
#include "values/Fixed.h"
#include "values/NumberText.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace tarnixw::values;

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "30" << true << 30;
        QTest::newRow("negative") << "-10000" << true << -10000;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("blanks") << " 12 " << true << 12;
        QTest::newRow("int max") << "2147483647" << true << 2147483647;
        QTest::newRow("int min") << "-2147483648" << true << int(std::numeric_limits<int>::min());
        QTest::newRow("beyond int") << "2147483648" << false << 0;
        QTest::newRow("huge") << "99999999999999999999" << false << 0;
        QTest::newRow("decimal") << "1.5" << false << 0;
        QTest::newRow("2.0") << "2.0" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("hex") << "0x10" << false << 0;
        QTest::newRow("inner blank") << "1 2" << false << 0;
        QTest::newRow("exponent") << "1e3" << false << 0;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto v = parseInteger(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "0.5" << true << 0.5;
        QTest::newRow("three decimals") << "100.000" << true << 100.0;
        QTest::newRow("negative") << "-2.5" << true << -2.5;
        QTest::newRow("leading point") << ".5" << true << 0.5;
        QTest::newRow("trailing point") << "5." << true << 5.0;
        QTest::newRow("exponent") << "1e3" << true << 1000.0;
        QTest::newRow("signed exponent") << "2.5E-1" << true << 0.25;
        QTest::newRow("blanks") << " 7 " << true << 7.0;
        QTest::newRow("nan") << "nan" << false << 0.0;
        QTest::newRow("inf") << "inf" << false << 0.0;
        QTest::newRow("infinity") << "-Infinity" << false << 0.0;
        QTest::newRow("overflow") << "1e99999" << false << 0.0;
        QTest::newRow("hex float") << "0x1p3" << false << 0.0;
        QTest::newRow("comma") << "1,5" << false << 0.0;
        QTest::newRow("two points") << "1.2.3" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("point only") << "." << false << 0.0;
        QTest::newRow("dangling exponent") << "1e" << false << 0.0;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto v = parseNumber(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(double(*v), value);
    }

    // Device values shown after a Read or Open File: rounded to 5 (or 2) significant digits,
    // then 3 (or 1) decimals; exponent form beyond the significant digits.
    void significant_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("significant");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("20000 thousandths") << double(20000 * 0.001f) << 5 << 3 << "20.000";
        QTest::newRow("1234.567") << double(float(1234567 * 0.001)) << 5 << 3 << "1234.600";
        QTest::newRow("100") << 100.0 << 5 << 3 << "100.000";
        QTest::newRow("negative") << -2.5 << 5 << 3 << "-2.500";
        QTest::newRow("five integer digits") << 99999.4 << 5 << 3 << "99999.000";
        QTest::newRow("rounds into six digits") << 99999.5 << 5 << 3 << "1.0000E+005";
        QTest::newRow("six integer digits") << 123456.7 << 5 << 3 << "1.2346E+005";
        QTest::newRow("negative exponent form") << -2147483.648 << 5 << 3 << "-2.1475E+006";
        QTest::newRow("small") << 0.0001 << 5 << 3 << "0.000";
        QTest::newRow("rounds at the last decimal") << 0.0019996 << 5 << 3 << "0.002";
        QTest::newRow("rounds at the last decimal up") << 1.99951 << 5 << 3 << "2.000";
        QTest::newRow("half at the last decimal") << 0.0125 << 5 << 3 << "0.013";
        QTest::newRow("negative small") << -0.0004 << 5 << 3 << "0.000";
        QTest::newRow("zero") << 0.0 << 5 << 3 << "0.000";
        QTest::newRow("hysteresis 0.5") << double(5 * 0.1f) << 2 << 1 << "0.5";
        QTest::newRow("hysteresis 12.5 rounds up") << 12.5 << 2 << 1 << "13.0";
        QTest::newRow("hysteresis -5.6") << double(-56 * 0.1f) << 2 << 1 << "-5.6";
        QTest::newRow("hysteresis 20.0") << double(200 * 0.1f) << 2 << 1 << "20.0";
        QTest::newRow("hysteresis -12.8") << double(-128 * 0.1f) << 2 << 1 << "-13.0";
    }
    void significant()
    {
        QFETCH(double, value);
        QFETCH(int, significant);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(formatSignificant(value, significant, decimals), text);
    }

    // The patterns "0.000" and "0.0" of the field checks: rounded half away from zero on the
    // decimal digits the user typed.
    void patterns_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("12.5") << "12.5" << 3 << "12.500";
        QTest::newRow("7") << "7" << 3 << "7.000";
        QTest::newRow("0.12345") << "0.12345" << 3 << "0.123";
        QTest::newRow("12.3456") << "12.3456" << 3 << "12.346";
        QTest::newRow("half up") << "0.0005" << 3 << "0.001";
        QTest::newRow("negative half") << "-0.0005" << 3 << "-0.001";
        QTest::newRow("-999") << "-999" << 3 << "-999.000";
        QTest::newRow("123456.7") << "123456.7" << 3 << "123456.700";
        QTest::newRow("carry") << "9.9996" << 3 << "10.000";
        QTest::newRow("tiny negative") << "-0.0001" << 3 << "0.000";
        QTest::newRow("5") << "5" << 1 << "5.0";
        QTest::newRow("1.26") << "1.26" << 1 << "1.3";
        QTest::newRow("0.25") << "0.25" << 1 << "0.3";
        QTest::newRow("0.15") << "0.15" << 1 << "0.2";
        QTest::newRow("1e3") << "1e3" << 1 << "1000.0";
    }
    void patterns()
    {
        QFETCH(QString, typed);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(formatDecimals(*parseNumber(typed), decimals), text);
    }

    void conversions_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("field");
        QTest::newRow("truncates up") << 3.9996 << 32 << true << qint64(3);
        QTest::newRow("truncates down") << -3.9996 << 32 << true << qint64(-3);
        QTest::newRow("int32 max") << 2147483647.0 << 32 << true << qint64(2147483647);
        QTest::newRow("beyond signed 32") << 2147483648.0 << 32 << false << qint64(0);
        QTest::newRow("int16 min") << -32768.0 << 16 << true << qint64(-32768);
        QTest::newRow("beyond signed 16") << 32768.0 << 16 << false << qint64(0);
        QTest::newRow("byte either reading") << 255.0 << 8 << true << qint64(255);
        QTest::newRow("negative byte") << -128.0 << 8 << true << qint64(-128);
        QTest::newRow("beyond a byte") << 256.0 << 8 << false << qint64(0);
        QTest::newRow("nan") << std::nan("") << 32 << false << qint64(0);
        QTest::newRow("infinity") << HUGE_VAL << 16 << false << qint64(0);
    }
    void conversions()
    {
        QFETCH(double, value);
        QFETCH(int, bits);
        QFETCH(bool, ok);
        QFETCH(qint64, field);
        const auto v = toUserField(value, bits);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, field);
        QVERIFY(!truncateToInt64(1e30L));
        QVERIFY(!toSingle(1e39L));
    }
};

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_numbertext.moc"
