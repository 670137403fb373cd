#include "DevSim.h"

#include <QFileInfo>
#include <QThread>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace tarnixw::test {

bool ptyAvailable()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

DevSim::DevSim(QString program)
    : m_program(std::move(program))
{ }

DevSim::DevSim(QString program, QString name, const DevSim& other)
    : m_program(std::move(program))
    , m_name(std::move(name))
    , m_dir(other.runtimeDir())
{ }

DevSim::~DevSim()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

void DevSim::launch(const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(m_program,
        args
            + QStringList{
                QStringLiteral("--log"), file(QStringLiteral("frames.log")), QStringLiteral("--dump"), dumpPath()});
}

QString DevSim::listen(const QString& address, const QStringList& args)
{
    launch(args + QStringList{QStringLiteral("--listen"), address});
    const QByteArray prefix = "listening ";
    for (int i = 0; i < 50 && m_process.waitForStarted(5000); ++i) {
        if (m_process.canReadLine() || m_process.waitForReadyRead(100)) {
            const QByteArray line = m_process.readLine().trimmed();
            return line.startsWith(prefix) ? QString::fromUtf8(line.mid(prefix.size())) : QString();
        }
    }
    return {};
}

bool DevSim::start(const QStringList& args)
{
    launch(args + QStringList{QStringLiteral("--name"), m_name});
    if (!m_process.waitForStarted(5000))
        return false;
    for (int i = 0; i < 500 && !QFileInfo::exists(portPath()); ++i)
        QThread::msleep(10);
    return QFileInfo::exists(portPath());
}

bool DevSim::stop()
{
    m_process.terminate();
    return m_process.waitForFinished(5000) && m_process.exitStatus() == QProcess::NormalExit
        && m_process.exitCode() == 0;
}

QString DevSim::portPath() const
{
    return m_dir + QStringLiteral("/tarnixw/ports/") + m_name;
}

} // namespace tarnixw::test
