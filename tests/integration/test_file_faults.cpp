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
#include <unistd.h>

using namespace tarnixw;

namespace {

bool run(const QStringList& args)
{
    return QProcess::execute(args.first(), args.mid(1)) == 0;
}

// A small file system of its own (tmpfs) that the test can fill up or make read-only. Root
// may write anywhere, so permissions alone would prove nothing; a read-only mount refuses
// root too. Not available without the right to mount: the tests skip then.
class SmallDisk {
public:
    explicit SmallDisk(const QString& size)
    {
        m_ok = geteuid() == 0 && run({"mount", "-t", "tmpfs", "-o", "size=" + size, "tmpfs", m_dir.path()});
    }
    ~SmallDisk()
    {
        if (m_ok)
            run({"umount", m_dir.path()});
    }
    bool ok() const { return m_ok; }
    QString path(const QString& name) const { return m_dir.path() + "/" + name; }
    bool makeReadOnly() { return run({"mount", "-o", "remount,ro", m_dir.path()}); }
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
    bool m_ok = false;
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
    virtual int fileSize() const = 0;
    virtual QString modelName() const = 0;
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
    int fileSize() const override { return 100; }
    QString modelName() const override { return QStringLiteral("PLIXARO"); }
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
    int fileSize() const override { return 1204; }
    QString modelName() const override { return QStringLiteral("VYRANTA"); }
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
        SmallDisk disk("1m");
        if (!disk.ok())
            QSKIP("cannot mount a file system here");
        const QString existing = disk.path("settings.cfg");
        writeFile(existing, "what the technician saved last week");
        QVERIFY(disk.makeReadOnly());

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
        SmallDisk disk("64k");
        if (!disk.ok())
            QSKIP("cannot mount a file system here");
        const QString existing = disk.path("settings.cfg");
        const QByteArray old(vyr ? 1204 : 100, '\x5a');
        writeFile(existing, old);
        disk.fill(0);

        test::ScriptedDialogs dialogs;
        auto form = makeForm(vyr);
        dialogs.fileAnswers = {existing};
        form->save();
        QCOMPARE(dialogs.messages().size(), 1);
        const QString message = dialogs.messages().first();
        qInfo("full disk: %s", qPrintable(message));
        QVERIFY2(message != "Save File Done.", qPrintable(message));
        QVERIFY2(message.contains("previous file was left unchanged") || message == "Can not open file !!",
            qPrintable(message));
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
        QCOMPARE(fileContent(existing).size(), form->fileSize());
    }

    void openWhatIsNoConfigurationFile_data()
    {
        QTest::addColumn<bool>("vyr");
        QTest::addColumn<QString>("what");
        for (bool vyr : {false, true}) {
            const char* m = vyr ? "VYRANTA" : "PLIXARO";
            QTest::addRow("%s, a directory", m) << vyr << "directory";
            QTest::addRow("%s, an empty file", m) << vyr << "empty";
            QTest::addRow("%s, one byte short", m) << vyr << "short";
            QTest::addRow("%s, one byte long", m) << vyr << "long";
            QTest::addRow("%s, the other model's file", m) << vyr << "other";
            QTest::addRow("%s, a file that is gone", m) << vyr << "missing";
        }
    }
    void openWhatIsNoConfigurationFile()
    {
        QFETCH(bool, vyr);
        QFETCH(QString, what);
        QTemporaryDir dir;
        auto form = makeForm(vyr);
        const int size = form->fileSize();
        QString path = dir.path() + "/file";
        QString expected;
        if (what == "directory") {
            QVERIFY(QDir().mkpath(path));
            expected = "Can not open file !!";
        } else if (what == "missing") {
            expected = "Can not open file !!";
        } else {
            const int actual = what == "empty" ? 0
                : what == "short"              ? size - 1
                : what == "long"               ? size + 1
                                               : (vyr ? 100 : 1204);
            writeFile(path, QByteArray(actual, '\x11'));
            expected = QString("This file is %1 bytes long; a %2 configuration file has exactly %3 bytes.")
                           .arg(actual)
                           .arg(form->modelName())
                           .arg(size);
        }
        const QStringList textsBefore = editTexts(form->widget());
        const QByteArray recordBefore = form->record();

        test::ScriptedDialogs dialogs;
        dialogs.fileAnswers = {path};
        form->open();
        QCOMPARE(dialogs.messages(), QStringList{expected});
        QCOMPARE(editTexts(form->widget()), textsBefore);
        QCOMPARE(form->record(), recordBefore);
    }
};

QTEST_MAIN(TestFileFaults)
#include "test_file_faults.moc"
