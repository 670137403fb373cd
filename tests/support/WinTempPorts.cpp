#include "TempPorts.h"

#include <QCoreApplication>
#include <windows.h>

namespace tarnixw::test {

namespace {

// A registry key of the test's own below the local machine (Wine lets a test write there),
// read by the port list in place of HARDWARE\DEVICEMAP\SERIALCOMM.
QString keyOf(const QTemporaryDir& dir)
{
    return QStringLiteral("Software\\Tarnixw-tests\\%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(qHash(dir.path()));
}

const wchar_t* wide(const QString& s)
{
    return reinterpret_cast<const wchar_t*>(s.utf16());
}

} // namespace

TempPorts::TempPorts()
{
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, wide(keyOf(m_dir)), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (key)
        RegCloseKey(key);
    link::PortSources sources;
    sources.registryKey = keyOf(m_dir);
    sources.networkFile = networkFile();
    m_list = std::make_unique<link::PortList>(sources);
    m_previous = link::PortList::setSystem(m_list.get());
}

TempPorts::~TempPorts()
{
    link::PortList::setSystem(m_previous);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, wide(keyOf(m_dir)));
}

QString TempPorts::virtualDir() const
{
    return m_dir.path() + QStringLiteral("/ports");
}

// The port is listed as Windows lists one: "\Device\<name>" = "COM<n>", numbered in the order
// of publishing (as the Linux list numbers a fresh run's ports). The target is not used: the
// tests that open ports install an opener of their own.
void TempPorts::publish(const QString& name, const QString&)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(keyOf(m_dir)), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    DWORD count = 0;
    RegQueryInfoKeyW(
        key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr);
    const QString value = QStringLiteral("\\Device\\") + name;
    const QString data = QStringLiteral("COM%1").arg(count + 1);
    RegSetValueExW(key, wide(value), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.utf16()),
        DWORD((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void TempPorts::remove(const QString& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(keyOf(m_dir)), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueW(key, wide(QStringLiteral("\\Device\\") + name));
    RegCloseKey(key);
}

} // namespace tarnixw::test
