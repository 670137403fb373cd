#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace tarnixw::test {

// One run of tarnixw-cli: its exit status and what it wrote.
struct CliRun {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs tarnixw-cli with the arguments (in `runtimeDir` as XDG_RUNTIME_DIR when given, so that
// it lists a simulator's virtual port; with its standard output to `stdoutFile` when given) and
// waits for it.
inline CliRun runCli(
    const QStringList& args, const QString& runtimeDir = {}, int timeoutMs = 30000, const QString& stdoutFile = {})
{
    QProcess p;
    if (!stdoutFile.isEmpty())
        p.setStandardOutputFile(stdoutFile);
    if (!runtimeDir.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
        p.setProcessEnvironment(env);
    }
    p.start(QStringLiteral(TARNIXW_CLI), args);
    CliRun r;
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace tarnixw::test
