#include "tests/support/TestData.h"
#include "values/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace tarnixw::values;

namespace {

QByteArray readRaw(const QString& path)
{
    const QByteArray bytes = tarnixw::test::fileContent(path);
    return bytes == "<unreadable>" ? QByteArray() : bytes;
}

} // namespace

class TestSafeFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void savesAndReplaces()
    {
        const QString path = m_dir.filePath(QStringLiteral("a.plx"));
        QCOMPARE(saveFileSafely(path, QByteArray(100, 'x')), std::nullopt);
        QCOMPARE(readRaw(path), QByteArray(100, 'x'));
        // A shorter image replaces a longer file completely.
        QCOMPARE(saveFileSafely(path, QByteArray(3, 'y')), std::nullopt);
        QCOMPARE(readRaw(path), QByteArray(3, 'y'));
        // No temporary file is left beside the target.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.plx")});
    }

#ifdef Q_OS_UNIX
    // Read-only folders, file size limits and named pipes, as Linux has them.
    void failureKeepsExistingFile()
    {
        if (::geteuid() == 0)
            QSKIP("a read-only directory does not stop root");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.vyx"));
        QCOMPARE(saveFileSafely(path, QByteArray("old")), std::nullopt);
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const auto error = saveFileSafely(path, QByteArray("new content"));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(error);
        QCOMPARE(readRaw(path), QByteArray("old"));
    }

    void shortWriteKeepsExistingFile()
    {
        // A file size limit makes the write stop part way, as a full disk would.
        const QString path = m_dir.filePath(QStringLiteral("short.plx"));
        QCOMPARE(saveFileSafely(path, QByteArray(8, 'o')), std::nullopt);
        struct rlimit old { };
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 16;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const auto error = saveFileSafely(path, QByteArray(100, 'n'));
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(error);
        QVERIFY2(error->contains(QStringLiteral("previous file was left unchanged")), qPrintable(*error));
        QCOMPARE(readRaw(path), QByteArray(8, 'o'));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("short*")}, QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("short.plx")});
    }

    void refusesToReplaceSpecialFile()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(saveFileSafely(fifo, QByteArray(4, 'p')), std::optional<QString>(cannotOpenFileMessage()));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QFile::remove(fifo);
    }
#endif

    void cannotSaveOverDirectory()
    {
        QCOMPARE(saveFileSafely(m_dir.path(), QByteArray(1, 'a')), std::optional<QString>(cannotOpenFileMessage()));
        QCOMPARE(saveFileSafely(m_dir.filePath(QStringLiteral("no/such/dir/x.plx")), QByteArray(1, 'a')),
            std::optional<QString>(cannotOpenFileMessage()));
    }

    void readsExactly_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("error"); // empty: read
        QTest::newRow("plix exact") << 100 << 100 << "PLIXARO"
                                    << "";
        QTest::newRow("vyr exact") << 1204 << 1204 << "VYRANTA"
                                   << "";
        QTest::newRow("vyr file as plix")
            << 1204 << 100 << "PLIXARO"
            << "This file is 1204 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("plix file as vyr")
            << 100 << 1204 << "VYRANTA"
            << "This file is 100 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("one short") << 99 << 100 << "PLIXARO"
                                   << "This file is 99 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("one long") << 101 << 100 << "PLIXARO"
                                  << "This file is 101 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("empty") << 0 << 100 << "PLIXARO"
                               << "This file is 0 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
    }
    void readsExactly()
    {
        QFETCH(int, size);
        QFETCH(int, expected);
        QFETCH(QString, model);
        QFETCH(QString, error);
        QByteArray content(size, '\0');
        for (int i = 0; i < size; ++i)
            content[i] = char(i * 7);
        const QString path = m_dir.filePath(QStringLiteral("r.bin"));
        QCOMPARE(saveFileSafely(path, content), std::nullopt);
        const FileBytes r = readFileExactly(path, expected, model);
        if (error.isEmpty()) {
            QCOMPARE(r.value, std::optional<QByteArray>(content));
            QVERIFY(r.error.isEmpty());
        } else {
            QVERIFY(!r.value);
            QCOMPARE(r.error, error);
        }
    }

    void cannotOpenForReading()
    {
        QCOMPARE(readFileExactly(m_dir.filePath(QStringLiteral("missing")), 100, QStringLiteral("PLIXARO")).error,
            QStringLiteral("Can not open file !!"));
        QCOMPARE(readFileExactly(m_dir.path(), 100, QStringLiteral("PLIXARO")).error,
            QStringLiteral("Can not open file !!"));
        QCOMPARE(
            readFileExactly(QString(), 100, QStringLiteral("PLIXARO")).error, QStringLiteral("Can not open file !!"));
    }
};

QTEST_GUILESS_MAIN(TestSafeFile)
#include "test_safefile.moc"
