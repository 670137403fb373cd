#include "plix/PlixModel.h"
#include "tests/support/TestData.h"
#include "values/SafeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <vector>

using namespace tarnixw::plix;

namespace {

QByteArray hex(const char* s)
{
    return QByteArray::fromHex(s);
}

void writeRaw(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readRaw(const QString& path)
{
    const QByteArray bytes = tarnixw::test::fileContent(path);
    return bytes == "<unreadable>" ? QByteArray() : bytes;
}

} // namespace

class TestPlixFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private slots:
    void init() { resetModel(); }

    void savingDefaultsAtStartOfRun()
    {
        ModelState& m = model();
        QCOMPARE(captureForSave(Texts::defaults(), m.flags(), m.paramSet), std::nullopt);
        QCOMPARE(tarnixw::values::saveFileSafely(path("defaults.plx"), m.paramSet.toBytes()), std::nullopt);
        const QByteArray file = readRaw(path("defaults.plx"));
        QCOMPARE(file.size(), 100);
        QCOMPARE(file.left(8), hex("0300000003000000"));
        QCOMPARE(file.mid(8, 32), QByteArray(32, '\0'));
        QCOMPARE(file.mid(60, 4), hex("E8030000"));
        QCOMPARE(file.mid(40, 4), hex("60EA0000")); // CH0 high alarm 60000
        QCOMPARE(file.mid(56, 4), hex("01010000")); // digits, then the untouched gap
        QCOMPARE(file.mid(92, 8), hex("1E001E0005050000"));
    }

    void captureUsesFlagsAndWriteConversions()
    {
        Texts t = Texts::defaults();
        t[Field::CH0SilenceTime] = QStringLiteral("-1");
        t[Field::CH1Hystersis] = QStringLiteral("0.3");
        t[Field::CH1PvFrom] = QStringLiteral("-2.5");
        t[Field::CH0SensorTo] = QStringLiteral("4999.9"); // truncated, as Write would
        PLIXParamSet p;
        QCOMPARE(captureForSave(t, {false, true}, p), std::nullopt);
        QCOMPARE(p.enableMask(), std::uint16_t(2));
        QCOMPARE(p.silenceTime(0), std::int16_t(-1));
        QCOMPARE(p.hysteresis(1), std::uint8_t(3));
        QCOMPARE(p.pvFrom(1), -2500);
        QCOMPARE(p.sensorTo(0), 4999);
    }

    void captureRefusesAndRefreshesNothing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("last box not a number") << "CH1Hystersis"
                                               << "1,5"
                                               << "CH1 Hysteresis: '1,5' is not a valid floating point value";
        QTest::newRow("first box not a number") << "CH0SensorFrom"
                                                << ""
                                                << "CH0 Sensor From: '' is not a valid floating point value";
        QTest::newRow("too wide") << "CH1SilenceTime"
                                  << "70000"
                                  << "CH1 Silence Time: '70000' is out of the range the device can store.";
    }
    void captureRefusesAndRefreshesNothing()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        PLIXParamSet p;
        for (int i = 0; i < kParamSetSize; ++i)
            p.setU8(i, std::uint8_t(0xA0 + i % 16));
        const PLIXParamSet before = p;
        Texts t = Texts::defaults();
        t[*fieldByName(box)] = text;
        QCOMPARE(captureForSave(t, {}, p), std::optional<QString>(message));
        QCOMPARE(p, before);
    }

    void captureKeepsCalibrationAndGaps()
    {
        // A file saved after a Write holds that Write's slopes and offsets; the gaps keep what a
        // loaded file brought.
        PLIXParamSet p;
        const auto staged = stageValues(Texts::defaults(), {});
        QVERIFY(staged.value);
        std::vector<std::uint8_t> buf(kDeviceImageSize);
        PackBlockA(*staged.value, buf, 0, p);
        p.setU16(6, 0x1234);
        p.setU16(58, 0x5678);
        p.setU16(98, 0x9ABC);
        Texts t = Texts::defaults();
        t[Field::CH0SensorFrom] = QStringLiteral("0"); // would change the slope if Save recomputed it
        QCOMPARE(captureForSave(t, {}, p), std::nullopt);
        const QByteArray image = p.toBytes();
        QCOMPARE(image.mid(16, 16), hex("A8610000A8610000589EFFFF589EFFFF"));
        QCOMPARE(image.mid(32, 8), hex("E8030000E8030000"));
        QCOMPARE(p.u16(6), std::uint16_t(0x1234));
        QCOMPARE(p.u16(58), std::uint16_t(0x5678));
        QCOMPARE(p.u16(98), std::uint16_t(0x9ABC));
        QCOMPARE(p.sensorFrom(0), 0);
    }

    void saveChangeLoadRestores()
    {
        ModelState& m = model();
        Texts t = Texts::defaults();
        t[Field::CH0PvTo] = QStringLiteral("1234.567");
        t[Field::CH1LowAlarm] = QStringLiteral("-5");
        t[Field::CH1Hystersis] = QStringLiteral("1.26");
        t[Field::CH1SensorFrom] = QStringLiteral("-10000");
        m.CH1Enabled = false;
        QCOMPARE(captureForSave(t, m.flags(), m.paramSet), std::nullopt);
        QCOMPARE(tarnixw::values::saveFileSafely(path("round.plx"), m.paramSet.toBytes()), std::nullopt);

        resetModel();
        const LoadResult r = loadConfigurationFile(path("round.plx"), model());
        QVERIFY2(r.value, qPrintable(r.error));
        Texts expected = t;
        expected[Field::CH0PvTo] = QStringLiteral("1234.600");
        expected[Field::CH1LowAlarm] = QStringLiteral("-5.000");
        expected[Field::CH1Hystersis] = QStringLiteral("1.2"); // 12.6 tenths truncated to 12
        QCOMPARE(r.value->texts, expected);
        QCOMPARE(r.value->flags, (ChannelFlags{true, false}));
        QVERIFY(model().CH0Enabled);
        QVERIFY(!model().CH1Enabled);
        QCOMPARE(model().paramSet.toBytes(), readRaw(path("round.plx")));
    }

    void loadUsesFileFormats_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        // Sensor limits pass through single precision: 16777217 has no float of its own.
        QTest::newRow("sensor via single") << 60 << hex("01000001") << "CH0SensorFrom"
                                           << "16777216";
        QTest::newRow("sensor negative") << 72 << hex("F0D8FFFF") << "CH1SensorTo"
                                         << "-10000";
        QTest::newRow("digits unsigned") << 57 << hex("FF") << "CH1DecimalDigits"
                                         << "255";
        QTest::newRow("hysteresis unsigned") << 96 << hex("F6") << "CH0Hystersis"
                                             << "25.0";
        QTest::newRow("silence signed") << 94 << hex("FFFF") << "CH1SilenceTime"
                                        << "-1";
        QTest::newRow("alarm thousandths") << 52 << hex("87D61200") << "CH1LowAlarm"
                                           << "1234.600";
    }
    void loadUsesFileFormats()
    {
        QFETCH(int, position);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, box);
        QFETCH(QString, text);
        QByteArray image(kFileSize, '\0');
        image.replace(position, bytes.size(), bytes);
        writeRaw(path("formats.plx"), image);
        const LoadResult r = loadConfigurationFile(path("formats.plx"), model());
        QVERIFY(r.value);
        QCOMPARE(r.value->texts[*fieldByName(box)], text);
        QCOMPARE(r.value->flags, (ChannelFlags{false, false}));
    }

    void loadRefusesWrongSize_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("short") << 99;
        QTest::newRow("long") << 101;
        QTest::newRow("VYR file") << 1204;
    }
    void loadRefusesWrongSize()
    {
        QFETCH(int, size);
        writeRaw(path("wrong.plx"), QByteArray(size, '\x07'));
        model().CH0Enabled = false;
        model().paramSet.setU8(60, 0x42);
        const PLIXParamSet imageBefore = model().paramSet;
        const ChannelFlags flagsBefore = model().flags();
        const LoadResult r = loadConfigurationFile(path("wrong.plx"), model());
        QVERIFY(!r.value);
        QCOMPARE(r.error,
            QStringLiteral("This file is %1 bytes long; a PLIXARO configuration file has exactly 100 bytes.")
                .arg(size));
        QCOMPARE(model().paramSet, imageBefore);
        QCOMPARE(model().flags(), flagsBefore);
    }

    void loadMissingFile()
    {
        const LoadResult r = loadConfigurationFile(path("missing.plx"), model());
        QVERIFY(!r.value);
        QCOMPARE(r.error, QStringLiteral("Can not open file !!"));
        QCOMPARE(model().paramSet, PLIXParamSet{});
    }
};

QTEST_GUILESS_MAIN(TestPlixFile)
#include "test_plix_file.moc"
