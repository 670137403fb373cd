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
    // Another simulator beside `other`, in its runtime directory, published as `name`.
    DevSim(QString program, QString name, const DevSim& other);
    ~DevSim();
    DevSim(const DevSim&) = delete;
    DevSim& operator=(const DevSim&) = delete;

    // Starts it with the given arguments and waits for its port.
    bool start(const QStringList& args);
    // Starts it serving over the network at `address` (port 0: one the system picks) instead;
    // the address it listens at, empty when it did not start.
    QString listen(const QString& address, const QStringList& args);
    // Terminates it; true when it ended cleanly (and wrote its dump).
    bool stop();

    QString portPath() const;
    // The XDG_RUNTIME_DIR it runs in: a program given the same one lists its port.
    QString runtimeDir() const { return m_dir; }
    QString dumpPath() const { return file(QStringLiteral("memory.bin")); }
    // A file of this simulator's (its frame log, its memory dump).
    QString file(const QString& name) const
    {
        return m_dir + QLatin1Char('/') + (m_name == QLatin1String("sim") ? name : m_name + QLatin1Char('-') + name);
    }

private:
    // Starts the process in its runtime directory with its frame log and memory dump.
    void launch(const QStringList& args);

    QString m_program;
    QString m_name = QStringLiteral("sim");
    QTemporaryDir m_runtime;
    QString m_dir = m_runtime.path();
    QProcess m_process;
};

} // namespace tarnixw::test
