// tarnixw-cli scan and site against simulated buses over pseudo-terminals, in real time. Prints:
//   - scan --fast of IDs 1-255 at 19200 baud (goal <= 15 s) and with --baud all (goal <= 60 s),
//     with the line's limit at each rate: the probe's and the answer's line time;
//   - site with 12 VYRANTA on 3 buses (4 each) over one bus's 4, each with the forms' timing
//     (backup, write, read back); goal <= 1.05, the buses running side by side.
// run: bench_site
#include "SimProcess.h"

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

// A simulated bus of these devices.
std::unique_ptr<SimProcess> bus(const QString& name, const QStringList& devices)
{
    QStringList args;
    for (const QString& d : devices)
        args << "--device" << d;
    return std::make_unique<SimProcess>(name, args);
}

// A site file of 4 VYRANTA (IDs 1-4) on each of the buses, writing `file`.
QString siteFile(const QTemporaryDir& dir, const std::vector<std::unique_ptr<SimProcess>>& buses, const QString& name)
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
        const std::unique_ptr<SimProcess> scanned
            = bus(QStringLiteral("scan"), {"vyr:1", "plix:100@9600", "vyr:200@115200"});
        const double one = timedCli({"scan", "--fast", "--port", scanned->port()});
        const double all = timedCli({"scan", "--fast", "--baud", "all", "--port", scanned->port()});
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
        std::vector<std::unique_ptr<SimProcess>> buses;
        buses.push_back(bus(QStringLiteral("bus0"), {"vyr:1", "vyr:2", "vyr:3", "vyr:4"}));
        one = timedCli({"site", siteFile(dir, buses, "one.json"), "--record", dir.filePath("one")});
    }
    {
        std::vector<std::unique_ptr<SimProcess>> buses;
        for (int b = 0; b < 3; ++b)
            buses.push_back(bus(QStringLiteral("bus%1").arg(b), {"vyr:1", "vyr:2", "vyr:3", "vyr:4"}));
        three = timedCli({"site", siteFile(dir, buses, "three.json"), "--record", dir.filePath("three")});
    }
    failed |= one < 0 || three < 0;
    std::printf(
        "  4 on one bus: %.2f s; 12 on three buses: %.2f s; ratio %.4f (goal <= 1.05)\n", one, three, three / one);
    return failed ? 1 : 0;
}
