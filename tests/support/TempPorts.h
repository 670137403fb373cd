#pragma once

#include "link/PortList.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tarnixw::test {

// A port list of its own for a test: an empty sysfs tree, a temporary virtual-port directory
// and a network ports file of its own (never the user's), installed as the system list for the
// test's lifetime.
class TempPorts {
public:
    TempPorts();
    ~TempPorts();

    // Publishes target (a pty, or any existing file) as a virtual port named name.
    void publish(const QString& name, const QString& target);
    void remove(const QString& name);
    QString virtualDir() const;
    QString networkFile() const { return m_dir.path() + QStringLiteral("/network-ports.txt"); }
    // Adds a line to the network ports file: a name and an address.
    void nameNetworkPort(const QString& name, const QString& address)
    {
        QFile f(networkFile());
        if (f.open(QIODevice::Append))
            f.write((name + QLatin1Char(' ') + address + QLatin1Char('\n')).toUtf8());
    }
    QString root() const { return m_dir.path(); }
    link::PortList& list() { return *m_list; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<link::PortList> m_list;
    link::PortList* m_previous = nullptr;
};

} // namespace tarnixw::test
