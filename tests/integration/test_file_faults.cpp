// Configuration files where the disk does not cooperate: a folder that may not be written, a
// full disk, and things that are not configuration files. Each gets a clear message, and
// nothing is lost: no existing file is destroyed, the screen and the model stay as they were.
#include "plix/PlixForm.h"
#include "plix/PlixModel.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestData.h"
#include "vyr/VyrForm.h"
#include "vyr/VyrModel.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <unistd.h>

using namespace tarnixw;

namespace {

// Runs a command; nothing when it succeeded, else what it said on standard error.
std::optional<QString> run(const QStringList& args)
{
    QProcess p;
    p.start(args.first(), args.mid(1));
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return args.join(' ') + ": "
            + (p.error() == QProcess::FailedToStart ? p.errorString()
                                                    : QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
    return std::nullopt;
}

// Whether the effective capabilities of this process include CAP_SYS_ADMIN (bit 21), which
// mount needs: a container's root often has it taken away.
bool mayMount()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("CapEff:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> 21) & 1;
    return false;
}

// A small file system of its own (tmpfs) that the test can fill up or make read-only. Root
// may write anywhere, so permissions alone would prove nothing; a read-only mount refuses
// root too.
class SmallDisk {
public:
    // Why this machine gives no process of the test the right to mount, or nothing: then a
    // mount that fails is a fault of the test machine, and the test fails saying so.
    static std::optional<QString> unavailable()
    {
        if (geteuid() != 0)
            return QStringLiteral("not run as root: only root may mount the small file system these tests fill up "
                                  "and make read-only (CI runs them as root)");
        if (!mayMount())
            return QStringLiteral("root without CAP_SYS_ADMIN (a container without it?): the small file system "
                                  "these tests fill up and make read-only cannot be mounted");
        return std::nullopt;
    }
    explicit SmallDisk(const QString& size)
    {
        m_error = run({"mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", m_dir.path()});
    }
    ~SmallDisk()
    {
        if (!m_error)
            run({"umount", m_dir.path()});
    }
    // Nothing when it is mounted, else why not.
    std::optional<QString> error() const { return m_error; }
    QString path(const QString& name) const { return m_dir.path() + "/" + name; }
    std::optional<QString> makeReadOnly() { return run({"mount", "-o", "remount,ro", m_dir.path()}); }
    // Leaves about `room` bytes free.
    void fill(qint64 room)
    {
        QFile f(path("filler"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) { }
        f.close();
        // Give back what the test wants free (tmpfs frees whole pages).
        QVERIFY(f.resize(qMax<qint64>(0, f.size() - room)));
    }

private:
    QTemporaryDir m_dir;
    std::optional<QString> m_error = QStringLiteral("not mounted");
};

using test::fileContent;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QVERIFY(test::writeFileContent(path, bytes));
}

QStringList editTexts(const QWidget* form)
{
    QStringList out;
    for (const QLineEdit* e : form->findChildren<QLineEdit*>())
        out << e->objectName() + "=" + e->text();
    return out;
}

// One form of either model with the calls the tests need.
struct Form {
    virtual ~Form() = default;
    virtual QWidget* widget() = 0;
    virtual void save() = 0;
    virtual void open() = 0;
    virtual QByteArray record() const = 0;
};

struct Plix final : Form {
    kit::Session session;
    std::unique_ptr<plix::TFormPLIX> form;
    Plix()
    {
        plix::resetModel();
        form = std::make_unique<plix::TFormPLIX>(session, [] {});
    }
    QWidget* widget() override { return form.get(); }
    void save() override { form->SaveFlieClick(); }
    void open() override { form->OpenFileClick(); }
    QByteArray record() const override { return plix::model().paramSet.toBytes(); }
};

struct Vyr final : Form {
    kit::Session session;
    std::unique_ptr<vyr::TFormVYR> form;
    Vyr()
    {
        vyr::resetModel();
        form = std::make_unique<vyr::TFormVYR>(session, [] {});
        form->show();
        if (!QTest::qWaitFor([this] { return form->isBuilt(); }))
            qFatal("the VYRANTA pages were not built");
    }
    QWidget* widget() override { return form.get(); }
    void save() override { form->SaveFileClick(); }
    void open() override { form->OpenFileClick(); }
    QByteArray record() const override { return vyr::fileBytes(vyr::model().paramSet); }
};

std::unique_ptr<Form> makeForm(bool vyr)
{
    if (vyr)
        return std::make_unique<Vyr>();
    return std::make_unique<Plix>();
}

} // namespace

class TestFileFaults : public QObject {
    Q_OBJECT
private slots:
    void models_data()
    {
        QTest::addColumn<bool>("vyr");
        QTest::newRow("PLIXARO") << false;
        QTest::newRow("VYRANTA") << true;
    }

    void saveIntoAFolderThatMayNotBeWritten_data() { models_data(); }
    void saveIntoAFolderThatMayNotBeWritten()
    {
        QFETCH(bool, vyr);
        if (const std::optional<QString> why = SmallDisk::unavailable())
            QSKIP(qPrintable(*why));
        SmallDisk disk("1m");
        QVERIFY2(!disk.error(), qPrintable(disk.error().value_or(QString())));
        const QString existing = disk.path("settings.cfg");
        writeFile(existing, "what the technician saved last week");
        const std::optional<QString> readOnly = disk.makeReadOnly();
        QVERIFY2(!readOnly, qPrintable(readOnly.value_or(QString())));

        test::ScriptedDialogs dialogs;
        auto form = makeForm(vyr);
        dialogs.fileAnswers = {existing, disk.path("new.cfg")};
        form->save();
        form->save();
        QCOMPARE(dialogs.messages(), (QStringList{"Can not open file !!", "Can not open file !!"}));
        QCOMPARE(fileContent(existing), QByteArray("what the technician saved last week"));
        QVERIFY(!QFile::exists(disk.path("new.cfg")));
        QCOMPARE(QDir(disk.path("")).entryList(QDir::Files), QStringList{"settings.cfg"}); // no temporary left
    }

    void saveOntoAFullDisk_data() { models_data(); }
    void saveOntoAFullDisk()
    {
        QFETCH(bool, vyr);
        if (const std::optional<QString> why = SmallDisk::unavailable())
            QSKIP(qPrintable(*why));
        SmallDisk disk("64k");
        QVERIFY2(!disk.error(), qPrintable(disk.error().value_or(QString())));
        const QString existing = disk.path("settings.cfg");
        const int size = vyr ? 1204 : 100;
        const QByteArray old(size, '\x5a');
        writeFile(existing, old);
        disk.fill(0);

        test::ScriptedDialogs dialogs;
        auto form = makeForm(vyr);
        dialogs.fileAnswers = {existing};
        form->save();
        // The image waits in the save file's buffer; the disk refuses it when it is flushed.
        QCOMPARE(dialogs.messages(),
            QStringList{"The file could not be written to disk (No space left on device); the previous file was left "
                        "unchanged."});
        QCOMPARE(fileContent(existing), old); // the old file survives the failed save
        QStringList files = QDir(disk.path("")).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{"filler", "settings.cfg"}));

        // room again: the same save now works and replaces the file
        QVERIFY(QFile::remove(disk.path("filler")));
        dialogs.clear();
        dialogs.fileAnswers = {existing};
        form->save();
        QCOMPARE(dialogs.messages(), QStringList{"Save File Done."});
        const QByteArray saved = fileContent(existing);
        QCOMPARE(saved.size(), size);
        QVERIFY(saved != old);
    }

    void openWhatIsNoConfigurationFile_data()
    {
        QTest::addColumn<bool>("vyr");
        QTest::addColumn<int>("size"); // of the file; -1: a directory, -2: nothing there
        QTest::addColumn<QString>("message");
        const QString cannotOpen = "Can not open file !!";
        QTest::newRow("PLIXARO, a directory") << false << -1 << cannotOpen;
        QTest::newRow("PLIXARO, an empty file")
            << false << 0 << "This file is 0 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("PLIXARO, one byte short")
            << false << 99 << "This file is 99 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("PLIXARO, one byte long")
            << false << 101 << "This file is 101 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("PLIXARO, the other model's file")
            << false << 1204 << "This file is 1204 bytes long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("PLIXARO, a file that is gone") << false << -2 << cannotOpen;
        QTest::newRow("VYRANTA, a directory") << true << -1 << cannotOpen;
        QTest::newRow("VYRANTA, an empty file")
            << true << 0 << "This file is 0 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("VYRANTA, one byte short")
            << true << 1203 << "This file is 1203 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("VYRANTA, one byte long")
            << true << 1205 << "This file is 1205 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("VYRANTA, the other model's file")
            << true << 100 << "This file is 100 bytes long; a VYRANTA configuration file has exactly 1204 bytes.";
        QTest::newRow("VYRANTA, a file that is gone") << true << -2 << cannotOpen;
    }
    void openWhatIsNoConfigurationFile()
    {
        QFETCH(bool, vyr);
        QFETCH(int, size);
        QFETCH(QString, message);
        QTemporaryDir dir;
        auto form = makeForm(vyr);
        const QString path = dir.path() + "/file";
        if (size == -1)
            QVERIFY(QDir().mkpath(path));
        else if (size >= 0)
            writeFile(path, QByteArray(size, '\x11'));
        const QStringList textsBefore = editTexts(form->widget());
        const QByteArray recordBefore = form->record();

        test::ScriptedDialogs dialogs;
        dialogs.fileAnswers = {path};
        form->open();
        QCOMPARE(dialogs.messages(), QStringList{message});
        QCOMPARE(editTexts(form->widget()), textsBefore);
        QCOMPARE(form->record(), recordBefore);
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
