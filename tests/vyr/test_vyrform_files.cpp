// The VYRANTA window's Save File and Open File: the 1204-byte record image on disk, the
// dialogs, the decode into the pages, and the files that are refused.
#include "link/Modbus.h"
#include "tests/support/VyrFormRig.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace tarnixw;
using namespace tarnixw::vyr;
using Rig = test::VyrFormRig;

namespace {

const QString kSaveDone = QStringLiteral("Save File Done.");
const QString kLoadDone = QStringLiteral("Load File Done.");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

qint32 long32(const QByteArray& b, int at)
{
    return qFromLittleEndian<qint32>(b.constData() + at);
}
qint16 short16(const QByteArray& b, int at)
{
    return qFromLittleEndian<qint16>(b.constData() + at);
}

} // namespace

class TestVyrFormFiles : public QObject {
    Q_OBJECT

private slots:
    void freshSaveWritesTheRecordImage()
    {
        Rig rig;
        QVERIFY(rig.built);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fresh.vyx"));
        rig.dialogs.fileAnswers.push_back(path);
        rig.edit(Column::DFrom, 3)->setText(QStringLiteral("-524.272"));
        rig.form->VYRChanInUseClick(rig.form->AllBtn(0));
        rig.form->VYRChanInUseClick(rig.form->VYRChanInUseBtn(15)); // channel 15 alone
        rig.form->DIChanInUseClick(rig.form->DIChanInUseBtn(2, 7));
        rig.form->DOModuleBtn(15, 40, 1)->setChecked(true);
        rig.form->DOModuleClick(15, 40, 1);
        QList<int> bars;
        connect(rig.form->ProgressBar1(), &QProgressBar::valueChanged, this, [&](int v) { bars << v; });

        rig.form->SaveFileClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kSaveDone});
        QCOMPARE(rig.dialogs.fileSpecs.size(), 1);
        QCOMPARE(rig.dialogs.fileSpecs[0].filter, QStringLiteral("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*"));
        QCOMPARE(rig.dialogs.fileSpecs[0].selectedFilter, 1);
        QCOMPARE(rig.dialogs.fileSpecs[0].defaultSuffix, QStringLiteral("vyx"));
        const QByteArray file = readAll(path);
        QCOMPARE(file.size(), 1204);
        QCOMPARE(quint16(short16(file, 0)), quint16(0x8000));
        QCOMPARE(short16(file, 4), qint16(255));
        QCOMPARE(long32(file, 932 + 4 * 3), -524272); // converted as a Write converts it
        QCOMPARE(long32(file, 804), 1000);
        QCOMPARE(long32(file, 996 + 4 * 9), 100000);
        // No Write yet: zeros where a Write puts the scaling.
        for (int at = 8; at < 264; at += 4)
            QCOMPARE(long32(file, at), 0);
        QCOMPARE(short16(file, 392 + 4), qint16(1 << 7)); // DI 2 ch 7: Close
        QCOMPARE(quint16(short16(file, 404 + 6 * 40 + 2)), quint16(0x8000));
        QCOMPARE(short16(file, 1060 + 8 * 7 + 6), qint16(30)); // DI 2 ch 7 silence
        QCOMPARE(quint8(file[1188]), quint8(5));
        // The sweep 1..99 (the bar stood at 0), then back to 0.
        QCOMPARE(bars.size(), 100);
        QCOMPARE(bars[98], 99);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    void saveAfterWriteCarriesItsScaling()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.edit(Column::STo, 4)->setText(QStringLiteral("9000"));
        rig.form->WriteClick();
        rig.edit(Column::STo, 4)->setText(QStringLiteral("3000")); // not written: the file keeps the Write's
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("after.vyx"));
        rig.dialogs.fileAnswers.push_back(path);

        rig.form->SaveFileClick();

        const QByteArray file = readAll(path);
        QCOMPARE(file.size(), 1204);
        QCOMPARE(long32(file, 72), 25000); // Gain of channel 0
        QCOMPARE(long32(file, 136), -25000); // Offset of channel 0
        QCOMPARE(long32(file, 72 + 16), 12500); // channel 4: 1000..9000 mV onto 0..100
        QCOMPARE(long32(file, 136 + 16), -12500);
        for (int k = 0; k < kAnalogChannels; ++k) {
            QCOMPARE(long32(file, 200 + 4 * k), 1000); // GainBase
            QCOMPARE(long32(file, 8 + 4 * k), 0); // ChanZero
        }
        QCOMPARE(long32(file, 868 + 16), 3000); // the screen's STo
    }

    void saveThenOpenGivesTheScreenBack()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.form->VYRChanInUseClick(rig.form->VYRChanInUseBtn(6));
        // Texts in the display formats come back as they were.
        rig.edit(Column::HLimit, 2)->setText(QStringLiteral("123.450"));
        rig.edit(Column::SilenceT, 11)->setText(QStringLiteral("-30000"));
        rig.edit(Column::Hysteresis, 8)->setText(QStringLiteral("4.5"));
        rig.edit(Column::Digits, 1)->setText(QStringLiteral("3"));
        rig.form->DIChanInUseClick(rig.form->AllBtn(1));
        rig.form->DIOpenBtn(0, 9)->setChecked(true);
        rig.form->DIOpenClick(rig.form->DIOpenBtn(0, 9));
        rig.form->DIAlarmClick(rig.form->DIAlarmBtn(0, 4));
        rig.form->DISilenceT(0, 5)->setText(QStringLiteral("600"));
        for (int c : {0, 21, 63}) {
            rig.form->DOModuleBtn(c % 16, c, c % 3)->setChecked(true);
            rig.form->DOModuleClick(c % 16, c, c % 3);
        }
        const Screen saved = rig.form->captureScreen();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("round"));
        rig.dialogs.fileAnswers.push_back(path);
        rig.form->SaveFileClick();

        // Another showing starts from the build values, then loads the file.
        Rig other;
        QVERIFY(other.built);
        QVERIFY(other.form->captureScreen() != saved);
        other.dialogs.fileAnswers.push_back(path);
        QList<int> bars;
        connect(other.form->ProgressBar1(), &QProgressBar::valueChanged, this, [&](int v) { bars << v; });
        int barAtDone = -1;
        other.dialogs.onShow = [&](const test::Shown&) { barAtDone = other.form->ProgressBar1()->value(); };

        other.form->OpenFileClick();

        QCOMPARE(other.dialogs.texts(), QStringList{kLoadDone});
        QCOMPARE(other.dialogs.fileSpecs.size(), 1);
        QCOMPARE(other.dialogs.fileSpecs[0].selectedFilter, 1);
        QVERIFY(other.dialogs.fileSpecs[0].defaultSuffix.isEmpty());
        const Screen loaded = other.form->captureScreen();
        for (int k = 0; k < kAnalogChannels; ++k)
            for (int col = 0; col < kColumns; ++col)
                QCOMPARE(loaded.analog[k][col], saved.analog[k][col]);
        QVERIFY(loaded == saved);
        QVERIFY(other.edit(Column::SFrom, 6)->isHidden());
        QCOMPARE(other.form->DIAlarmBtn(0, 4)->text(), QStringLiteral("OFF"));
        QVERIFY(other.form->DIOpenBtn(0, 9)->isChecked() && !other.form->DICloseBtn(0, 9)->isChecked());
        QVERIFY(other.form->DOModuleBtn(5, 21, 0)->isChecked());
        // The DO decode moves the bar by cells / 30: full at the end, then back to 0.
        QCOMPARE(barAtDone, 100);
        QCOMPARE(bars.first(), 1);
        QCOMPARE(other.form->ProgressBar1()->value(), 0);
    }

    // The file's own reading rules: unsigned bytes, negative DI silence as alarm off.
    void openShowsWhatTheBytesMean()
    {
        Rig rig;
        QVERIFY(rig.built);
        QByteArray bytes(1204, '\0');
        bytes[1188 + 3] = char(200); // hysteresis 20.0 (the device would say -5.6)
        bytes[788 + 2] = char(250); // digits, unsigned
        qToLittleEndian<qint16>(-3, bytes.data() + 1060 + 8 * 4 + 2); // DI 0 ch 4 silence
        qToLittleEndian<quint16>(1u << 4, bytes.data() + 392); // DI 0 ch 4 Close
        qToLittleEndian<qint32>(-1234567, bytes.data() + 996 + 4); // DTo of channel 1
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("made.vyx"));
        QVERIFY(writeAll(path, bytes));
        rig.dialogs.fileAnswers.push_back(path);

        rig.form->OpenFileClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{kLoadDone});
        QCOMPARE(rig.edit(Column::Hysteresis, 3)->text(), QStringLiteral("20.0"));
        QCOMPARE(rig.edit(Column::Digits, 2)->text(), QStringLiteral("250"));
        QCOMPARE(rig.edit(Column::DTo, 1)->text(), QStringLiteral("-1234.600"));
        QCOMPARE(rig.form->DIAlarmBtn(0, 4)->text(), QStringLiteral("OFF"));
        QCOMPARE(rig.form->DISilenceT(0, 4)->text(), QStringLiteral("-1"));
        QVERIFY(rig.form->DICloseBtn(0, 4)->isChecked());
        // No channel in use in the file: every analog row hidden.
        QVERIFY(rig.edit(Column::SFrom, 0)->isHidden());
        QCOMPARE(vyr::model().paramSet.Hysteresis[3], std::uint8_t(200));
    }

    // Anything but a whole 1204-byte image is refused and changes nothing.
    void openRefuses_data()
    {
        QTest::addColumn<int>("size"); // -1: no such file
        QTest::addColumn<QString>("message");
        QTest::newRow("a PLIXARO file")
            << 100 << "This file is 100 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("one byte more")
            << 1205 << "This file is 1205 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("empty") << 0
                               << "This file is 0 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("no such file") << -1 << "Can not open file !!";
    }
    void openRefuses()
    {
        QFETCH(int, size);
        QFETCH(QString, message);
        Rig rig;
        QVERIFY(rig.built);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.plx"));
        if (size >= 0)
            QVERIFY(writeAll(path, QByteArray(size, char(0x11))));
        rig.dialogs.fileAnswers.push_back(path);
        rig.edit(Column::SFrom, 0)->setText(QStringLiteral("-77"));
        const Screen before = rig.form->captureScreen();
        vyr::model().paramSet.Gain[3] = 4242;
        const VYRParamSet recordBefore = vyr::model().paramSet;

        rig.form->OpenFileClick();

        QCOMPARE(rig.dialogs.texts(), QStringList{message});
        QVERIFY(rig.form->captureScreen() == before);
        QVERIFY(vyr::model().paramSet == recordBefore);
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }

    void cancelledDialogsDoNothing()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.dialogs.fileAnswers = {std::nullopt, std::nullopt};
        rig.form->OpenFileClick();
        rig.form->SaveFileClick();
        QVERIFY(rig.dialogs.texts().isEmpty());
        QCOMPARE(rig.dialogs.fileSpecs.size(), 2);
        // The record took the screen although the save was cancelled.
        QCOMPARE(vyr::model().paramSet.STo[0], 5000);
    }

    void saveRefusesATextThatIsNoNumber()
    {
        Rig rig;
        QVERIFY(rig.built);
        rig.edit(Column::LLimit, 12)->setText(QStringLiteral("inf"));
        QTemporaryDir dir;
        rig.dialogs.fileAnswers.push_back(dir.filePath(QStringLiteral("never.vyx")));

        rig.form->SaveFileClick();

        QCOMPARE(rig.dialogs.errors().size(), 1);
        QVERIFY(rig.dialogs.errors()[0].contains(QStringLiteral("CH12 Alarm Low")));
        QVERIFY(rig.dialogs.fileSpecs.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("never.vyx"))));
        QVERIFY(vyr::model().paramSet == VYRParamSet{});
    }

    // A save that fails is reported, never as done, and an existing file stays as it was.
    void failedSaveIsReported()
    {
        Rig rig;
        QVERIFY(rig.built);
        QTemporaryDir dir;
        const QString existing = dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        rig.dialogs.fileAnswers.push_back(dir.filePath(QStringLiteral("missing/dir/x.vyx")));
        rig.dialogs.fileAnswers.push_back(existing);

        rig.form->SaveFileClick();
        rig.form->SaveFileClick();

        QCOMPARE(rig.dialogs.texts(),
            (QStringList{QStringLiteral("Can not open file !!"), QStringLiteral("Can not open file !!")}));
        QVERIFY(QFileInfo(existing).isDir());
        QCOMPARE(rig.form->ProgressBar1()->value(), 0);
    }
};

QTEST_MAIN(TestVyrFormFiles)
#include "test_vyrform_files.moc"
