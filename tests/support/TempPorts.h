#pragma once

#include "link/PortList.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace tarnixw::test {

// A port list of its own for a test: an empty sysfs tree and a temporary virtual-port
// directory, installed as the system list for the test's lifetime.
class TempPorts {
public:
    TempPorts();
    ~TempPorts();

    // Publishes target (a pty, or any existing file) as a virtual port named name.
    void publish(const QString& name, const QString& target);
    void remove(const QString& name);
    QString virtualDir() const;
    QString root() const { return m_dir.path(); }
    link::PortList& list() { return *m_list; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<link::PortList> m_list;
    link::PortList* m_previous = nullptr;
};

} // namespace tarnixw::test
