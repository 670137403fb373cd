#include "TempPorts.h"

#include <QDir>
#include <QFile>

namespace tarnixw::test {

TempPorts::TempPorts()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("sys/class/tty"));
    QDir(m_dir.path()).mkpath(QStringLiteral("dev"));
    QDir(m_dir.path()).mkpath(QStringLiteral("ports"));
    link::PortSources sources = link::PortSources::at(
        m_dir.path() + QStringLiteral("/sys/class/tty"), m_dir.path() + QStringLiteral("/dev"), virtualDir());
    sources.networkFile = networkFile();
    m_list = std::make_unique<link::PortList>(sources);
    m_previous = link::PortList::setSystem(m_list.get());
}

TempPorts::~TempPorts()
{
    link::PortList::setSystem(m_previous);
}

QString TempPorts::virtualDir() const
{
    return m_dir.path() + QStringLiteral("/ports");
}

void TempPorts::publish(const QString& name, const QString& target)
{
    QFile::link(target, virtualDir() + QLatin1Char('/') + name);
}

void TempPorts::remove(const QString& name)
{
    QFile::remove(virtualDir() + QLatin1Char('/') + name);
}

} // namespace tarnixw::test
