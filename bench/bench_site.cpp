// tarnixw-cli scan and site against simulated buses over pseudo-terminals, in real time. Prints:
//   - scan --fast of IDs 1-255 at 19200 baud (goal <= 15 s) and with --baud all (goal <= 60 s),
//     with the line's limit at each rate: the probe's and the answer's line time;
//   - site with 12 VYRANTA on 3 buses (4 each) over one bus's 4, each with the forms' timing
//     (backup, write, read back); goal <= 1.05, the buses running side by side.
// run: bench_site
#include "link/Modbus.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// A simulated bus in a runtime directory of its own.
class Bus {
public:
    Bus(const QString& name, const QStringList& devices)
        : m_name(name)
    {
        QStringList args{"--name", name, "--log", m_runtime.filePath("frames.log")};
        for (const QString& d : devices)
            args << "--device" << d;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TARNIXW_DEVSIM), args);
        for (int i = 0; i < 500 && !QFileInfo::exists(port()); ++i)
            QThread::msleep(10);
    }
    ~Bus()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString port() const { return m_runtime.path() + QStringLiteral("/tarnixw/ports/") + m_name; }

private:
    QString m_name;
    QTemporaryDir m_runtime;
    QProcess m_process;
};

// Seconds of one whole run of tarnixw-cli, or -1 when it failed.
double run(const QStringList& args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral(TARNIXW_CLI), args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s", p.readAllStandardError().constData());
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e9;
}

// A site file of 4 VYRANTA (IDs 1-4) on each of the buses, writing `file`.
QString siteFile(const QTemporaryDir& dir, const std::vector<std::unique_ptr<Bus>>& buses, const QString& name)
{
    QJsonArray devices;
    for (std::size_t b = 0; b < buses.size(); ++b)
        for (int id = 1; id <= 4; ++id)
            devices.append(QJsonObject{{"name", QStringLiteral("bus%1-vyr%2").arg(b).arg(id)},
                {"port", buses[b]->port()}, {"id", id}, {"model", "vyr"}, {"file", "v.vyx"}});
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QJsonDocument(QJsonObject{{"site", name}, {"devices", devices}}).toJson());
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    bool failed = false;

    std::printf("scan --fast of IDs 1-255 (3 devices on the bus)\n");
    {
        Bus bus(QStringLiteral("scan"), {"vyr:1", "plix:100@9600", "vyr:200@115200"});
        const double one = run({"scan", "--fast", "--port", bus.port()});
        const double all = run({"scan", "--fast", "--baud", "all", "--port", bus.port()});
        failed |= one < 0 || all < 0;
        std::printf("  at 19200 baud: %.1f s (goal <= 15 s); --baud all: %.1f s (goal <= 60 s)\n", one, all);
        std::printf("  the line's limit, 255 probes (8 bytes) and 3 answers (7 bytes), no wait at all:\n");
        for (const int baud : {9600, 19200, 38400, 115200})
            std::printf("    %6d baud: %.2f s\n", baud, double(tarnixw::link::lineTimeNs(255 * 8 + 3 * 7, baud)) / 1e9);
        std::printf("  a silent ID waits 45 ms, so 255 IDs take at least %.1f s at any rate\n", 255 * 0.045);
    }

    std::printf("site, the forms' timing: backup, write and read back of each VYRANTA\n");
    QProcess make;
    make.start(QStringLiteral(TARNIXW_CLI), {"template", "--model", "vyr", "-o", dir.filePath("v.vyx")});
    make.waitForFinished();
    double one = -1;
    double three = -1;
    {
        std::vector<std::unique_ptr<Bus>> buses;
        buses.push_back(std::make_unique<Bus>(QStringLiteral("bus0"), QStringList{"vyr:1", "vyr:2", "vyr:3", "vyr:4"}));
        one = run({"site", siteFile(dir, buses, "one.json"), "--record", dir.filePath("one")});
    }
    {
        std::vector<std::unique_ptr<Bus>> buses;
        for (int b = 0; b < 3; ++b)
            buses.push_back(
                std::make_unique<Bus>(QStringLiteral("bus%1").arg(b), QStringList{"vyr:1", "vyr:2", "vyr:3", "vyr:4"}));
        three = run({"site", siteFile(dir, buses, "three.json"), "--record", dir.filePath("three")});
    }
    failed |= one < 0 || three < 0;
    std::printf(
        "  4 on one bus: %.2f s; 12 on three buses: %.2f s; ratio %.4f (goal <= 1.05)\n", one, three, three / one);
    return failed ? 1 : 0;
}
