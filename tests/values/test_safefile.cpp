#include "tests/support/TestData.h"
#include "values/SafeFile.h"
#include "words/Words.h"

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

#ifdef Q_OS_UNIX
// The largest file this process may write, lowered for a scope: a write beyond it fails with
// "File too large" (SIGXFSZ ignored) as one beyond a full disk's room does.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
        : m_handler(std::signal(SIGXFSZ, SIG_IGN))
    {
        if (::getrlimit(RLIMIT_FSIZE, &m_previous) != 0)
            return;
        struct rlimit small = m_previous;
        small.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return m_set; }

private:
    void (*m_handler)(int);
    struct rlimit m_previous { };
    bool m_set = false;
};
#endif

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

    // A file size limit refuses the bytes as a full disk does, without root. A configuration
    // file fits QSaveFile's buffer (16 KiB) and reaches the disk only when it is flushed; a
    // larger image goes to the disk at once, and then the write itself comes up short.
    void limitedWriteKeepsExistingFile_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("message");
        QTest::newRow("within the buffer: refused at the flush")
            << 0 << 100
            << "The file could not be written to disk (File too large); the previous file was left unchanged.";
        QTest::newRow("beyond the buffer: the write comes up short")
            << 0 << 40000
            << "The file could not be written completely (File too large); the previous file was left unchanged.";
        QTest::newRow("room for part of it, at the flush")
            << 16 << 100
            << "The file could not be written to disk (the disk took only part of the bytes); the previous file was "
               "left unchanged.";
        QTest::newRow("room for part of it, at the write")
            << 16 << 40000
            << "The file could not be written completely (the disk took only part of the bytes); the previous file "
               "was left unchanged.";
    }
    void limitedWriteKeepsExistingFile()
    {
        QFETCH(int, limit);
        QFETCH(int, size);
        QFETCH(QString, message);
        const QString path = m_dir.filePath(QStringLiteral("short.plx"));
        QCOMPARE(saveFileSafely(path, QByteArray(8, 'o')), std::nullopt);
        std::optional<QString> error;
        {
            const FileSizeLimit sizeLimit{rlim_t(limit)};
            QVERIFY(sizeLimit.set());
            error = saveFileSafely(path, QByteArray(size, 'n'));
        }
        QCOMPARE(error.value_or(QStringLiteral("<saved>")), message);
        QCOMPARE(readRaw(path), QByteArray(8, 'o'));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("short*")}, QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("short.plx")});
    }

    void refusesToReplaceSpecialFile()
    {
        const QString fifo = m_dir.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(saveFileSafely(fifo, QByteArray(4, 'p')), std::optional<QString>(tarnixw::Words::cannotOpenFile()));
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QFile::remove(fifo);
    }
#endif

    void cannotSaveOverDirectory()
    {
        QCOMPARE(
            saveFileSafely(m_dir.path(), QByteArray(1, 'a')), std::optional<QString>(tarnixw::Words::cannotOpenFile()));
        QCOMPARE(saveFileSafely(m_dir.filePath(QStringLiteral("no/such/dir/x.plx")), QByteArray(1, 'a')),
            std::optional<QString>(tarnixw::Words::cannotOpenFile()));
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
