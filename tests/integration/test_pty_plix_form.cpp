// The PLIXARO form end to end in real time: Write and Read through the termios port and a
// pseudo-terminal to tarnixw-devsim, found as COM1 in a temporary port list.

#include "link/ComPort.h"
#include "plix/PlixForm.h"
#include "sim/Device.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tarnixw;

namespace {

bool ptyAvailable()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// tarnixw-devsim in its own runtime directory, so that runs never meet.
class Simulator {
public:
    bool start(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TARNIXW_DEVSIM),
                        args + QStringList{QStringLiteral("--name"), QStringLiteral("sim"), QStringLiteral("--log"),
                                           m_runtime.filePath(QStringLiteral("frames.log")), QStringLiteral("--dump"),
                                           dumpPath()});
        if (!m_process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 500 && !QFileInfo::exists(portPath()); ++i)
            QThread::msleep(10);
        return QFileInfo::exists(portPath());
    }
    QString portPath() const { return m_runtime.path() + QStringLiteral("/tarnixw/ports/sim"); }
    QString dumpPath() const { return m_runtime.filePath(QStringLiteral("memory.bin")); }
    bool stop()
    {
        m_process.terminate();
        return m_process.waitForFinished(5000) && m_process.exitCode() == 0;
    }
    ~Simulator()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }

private:
    QTemporaryDir m_runtime;
    QProcess m_process;
};

} // namespace

class TestPtyPlixForm : public QObject {
    Q_OBJECT

private slots:
    void writeThenReadBack()
    {
        if (!ptyAvailable())
            QSKIP("no pseudo-terminal on this machine");
        Simulator sim;
        QVERIFY(sim.start({QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--id"), QStringLiteral("5")}));
        test::TempPorts ports;
        ports.publish(QStringLiteral("sim"), sim.portPath());
        test::ScriptedDialogs dialogs;
        plix::resetModel();
        link::Session session;

        {
            plix::TFormPLIX form(session, [] {});
            form.ModbusID()->setText(QStringLiteral("5"));
            form.get<QLineEdit>("CH0PvTo")->setText(QStringLiteral("250.5"));
            form.get<QLineEdit>("CH1SensorFrom")->setText(QStringLiteral("-2000"));
            form.get<QLineEdit>("CH1Hystersis")->setText(QStringLiteral("1.5"));
            form.CH1Click();
            QElapsedTimer t;
            t.start();
            form.WriteClick();
            QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Write Done.")});
            // The waits are fixed: 56 + 56 + 38 + 56 steps of 15 ms.
            QVERIFY(t.elapsed() >= 3090);
        }

        dialogs.clear();
        plix::resetModel();
        plix::TFormPLIX form(session, [] {});
        form.ModbusID()->setText(QStringLiteral("5"));
        form.ReadClick();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Read Done.")});
        QCOMPARE(form.get<QLineEdit>("CH0PvTo")->text(), QStringLiteral("250.500"));
        QCOMPARE(form.get<QLineEdit>("CH1SensorFrom")->text(), QStringLiteral("-2000"));
        QCOMPARE(form.get<QLineEdit>("CH1Hystersis")->text(), QStringLiteral("1.5"));
        QCOMPARE(form.get<QLineEdit>("CH0SensorTo")->text(), QStringLiteral("5000"));
        QVERIFY(plix::model().CH0Enabled);
        QVERIFY(!plix::model().CH1Enabled);
        QVERIFY(!plix::TFormPLIX::port().isOpen());

        // The device kept the write-enable closed after the write.
        QVERIFY(sim.stop());
        QFile dump(sim.dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QByteArray mem = dump.readAll();
        QCOMPARE(mem.mid(2072, 4), QByteArray::fromHex("0003d284")); // 250500
    }
};

QTEST_MAIN(TestPtyPlixForm)
#include "test_pty_plix_form.moc"
