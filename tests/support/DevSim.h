#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tarnixw::test {

// Whether this machine hands out pseudo-terminals.
bool ptyAvailable();

// tarnixw-devsim in its own runtime directory, so that runs never meet: it serves its device
// on a pseudo-terminal published as the virtual port "sim", logs the frames and dumps the
// device memory when it stops.
class DevSim {
public:
    explicit DevSim(QString program);
    ~DevSim();
    DevSim(const DevSim&) = delete;
    DevSim& operator=(const DevSim&) = delete;

    // Starts it with the given arguments and waits for its port.
    bool start(const QStringList& args);
    // Terminates it; true when it ended cleanly (and wrote its dump).
    bool stop();

    QString portPath() const;
    // The XDG_RUNTIME_DIR it runs in: a program given the same one lists its port.
    QString runtimeDir() const { return m_runtime.path(); }
    QString dumpPath() const { return file(QStringLiteral("memory.bin")); }
    QString file(const QString& name) const { return m_runtime.filePath(name); }

private:
    QString m_program;
    QTemporaryDir m_runtime;
    QProcess m_process;
};

} // namespace tarnixw::test
