// The VYR read schedule (13 blocks of 64/50 bytes from 32, 7 of 64/16 from 2048) over a
// pseudo-terminal against tarnixw-devsim, in real time. Twenty exchanges of 16 x 15 ms make
// 4.8 s; the figure printed is the wall time over that.

#include "link/Clock.h"
#include "link/ModbusLink.h"
#include "link/PosixSerialPort.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>

using namespace tarnixw;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess sim;
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(TARNIXW_DEVSIM),
        {QStringLiteral("--model"), QStringLiteral("vyr"), QStringLiteral("--name"), QStringLiteral("bench"),
            QStringLiteral("--log"), runtime.filePath(QStringLiteral("frames.log"))});
    const QString portPath = runtime.path() + QStringLiteral("/tarnixw/ports/bench");
    for (int i = 0; i < 500 && !QFileInfo::exists(portPath); ++i)
        QThread::msleep(10);
    link::PosixPortOpener opener;
    link::OpenResult opened = opener.open(portPath.toStdString(), 19200);
    if (!opened.port) {
        std::fprintf(stderr, "bench_link: cannot open the simulator's port: %s\n", opened.detail.c_str());
        return 1;
    }
    link::ModelBuffers buffers = link::ModelBuffers::sized(2048, 2048, 1218);
    link::ModbusLink l(buffers, *opened.port, link::SteadyClock::instance(), [](std::optional<int>) {});

    const auto start = std::chrono::steady_clock::now();
    l.beginOperation();
    l.ReadBlocks(32, 13, 64, 50, 0, [](int b, int k) { return (b * 64 + k) * 100 / 1700; });
    l.ReadBlocks(2048, 7, 64, 16, 818, [](int b, int k) { return (b * 64 + k + 818) * 100 / 1700; });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    opened.port->close();
    sim.terminate();
    sim.waitForFinished(5000);

    std::printf("VYR read, 20 exchanges over a pty: %.4f s, %.4f of 4.8 s (goal <= 1.01)%s\n", seconds, seconds / 4.8,
        l.StopFlag() ? " -- STOPPED" : "");
    return l.StopFlag() ? 1 : 0;
}
