#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "link/Modbus.h"
#include <cstdio>

// What the benchmarks that run whole programs share: tarnixw-devsim in a runtime directory of
// its own, and one timed run of tarnixw-cli.

// A simulator (or a simulated bus) published as the virtual port `name`.
class SimProcess {
public:
    SimProcess(const QString& name, const QStringList& args)
        : m_name(name)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TARNIXW_DEVSIM),
            args + QStringList{"--name", name, "--log", m_runtime.filePath("frames.log")});
        if (args.contains(QStringLiteral("--listen"))) {
            // Served over the network: it says where it listens.
            for (int i = 0; i < 50 && !m_process.canReadLine(); ++i)
                m_process.waitForReadyRead(100);
            m_address = QString::fromUtf8(m_process.readLine().trimmed()).section(QLatin1Char(' '), 1);
            return;
        }
        for (int i = 0; i < 500 && !QFileInfo::exists(port()); ++i)
            QThread::msleep(10);
    }
    ~SimProcess()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    QString port() const { return m_runtime.path() + QStringLiteral("/tarnixw/ports/") + m_name; }
    // The address it listens at when started with --listen.
    const QString& address() const { return m_address; }

private:
    QString m_name;
    QTemporaryDir m_runtime;
    QProcess m_process;
    QString m_address;
};

// Seconds of one whole run of tarnixw-cli, or -1 when it failed (an exit status above
// `mostExit`, told on standard error).
inline double timedCli(const QStringList& args, int mostExit = 0)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral(TARNIXW_CLI), args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() > mostExit) {
        std::fprintf(stderr, "%s", p.readAllStandardError().constData());
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e9;
}

// The data bytes of each answer of a Read: the VYRANTA's or the PLIXARO's.
inline std::vector<int> readBlocks(bool vyr)
{
    if (vyr) {
        std::vector<int> b(12, 64);
        b.push_back(50);
        b.insert(b.end(), 6, 64);
        b.push_back(16);
        return b;
    }
    return {16, 16, 16, 8, 16, 16, 6};
}

// The least time a Read can take at this rate: every request (8 bytes) and answer (5 + data)
// on the line, and the simulator's silence of 3.5 characters (1.75 ms above 19200) before each.
inline double readLineSeconds(bool vyr, int baud)
{
    const std::int64_t gap = baud > 19200 ? 1'750'000 : tarnixw::link::lineTimeNs(1, baud) * 7 / 2;
    std::int64_t ns = 0;
    for (const int data : readBlocks(vyr))
        ns += tarnixw::link::lineTimeNs(8 + 5 + std::size_t(data), baud) + gap;
    return double(ns) / 1e9;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}
