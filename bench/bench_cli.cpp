// tarnixw-cli against tarnixw-devsim over a pseudo-terminal, in real time, and its file
// commands. Prints:
//   - read with the forms' timing: the operation (port open to close) and the whole process
//     over the nominal 4.8 s (VYRANTA) and 1.68 s (PLIXARO); goal <= 1.01;
//   - read --fast against tarnixw-devsim --baud B (19200, 115200): the wall time over the line
//     time of every byte exchanged (10 bits a byte) plus the simulator's 3.5-character silence
//     before each answer; goal <= 1.3;
//   - show, convert and diff of a .vyx as whole processes; goal <= 30 ms.
// run: bench_cli [rounds]
#include "SimProcess.h"

#include "cli/Config.h"
#include "cli/Console.h"
#include "cli/DeviceLine.h"
#include "link/Modbus.h"
#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace tarnixw;
using namespace tarnixw::cli;

enum class Model { Vyr, Plix };

const DeviceModel& describe(Model m)
{
    return m == Model::Vyr ? vyr::description() : plix::description();
}

namespace {

// A simulator of the model at this rate.
std::unique_ptr<SimProcess> simulator(const QString& model, int baud)
{
    return std::make_unique<SimProcess>(
        QStringLiteral("bench"), QStringList{"--model", model, "--baud", QString::number(baud)});
}

// Seconds of the read operation in this process, from the port's open to its close.
double readOnce(Console& console, Model model, const QString& port, int baud, bool fast)
{
    LineSettings s;
    s.devicePath = port;
    s.baud = baud;
    s.fast = fast;
    std::vector<std::uint8_t> image;
    QElapsedTimer t;
    t.start();
    if (readDeviceImage(console, describe(model), s, image) != Exit::Done)
        return -1;
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    Console console;
    QTemporaryDir dir;
    bool failed = false;

    std::printf(
        "read with the forms' timing (%d rounds; operation and whole process over nominal, goal <= 1.01)\n", rounds);
    for (const auto& [model, name, nominal] :
        {std::tuple{Model::Vyr, "vyr", 4.8}, std::tuple{Model::Plix, "plix", 1.68}}) {
        const std::unique_ptr<SimProcess> sim = simulator(QString::fromLatin1(name), 19200);
        std::vector<double> op, whole;
        for (int i = 0; i < rounds; ++i) {
            op.push_back(readOnce(console, model, sim->port(), 19200, false));
            whole.push_back(timedCli({"read", "--model", name, "--port", sim->port(), "--id", "1", "-o",
                dir.filePath(model == Model::Vyr ? "r.vyx" : "r.plx")}));
        }
        failed |= *std::min_element(op.begin(), op.end()) < 0 || *std::min_element(whole.begin(), whole.end()) < 0;
        std::printf("  %-4s  operation %.4f s = %.4f   process %.4f s = %.4f   (nominal %.2f s)\n", name, median(op),
            median(op) / nominal, median(whole), median(whole) / nominal, nominal);
    }

    std::printf("read --fast against tarnixw-devsim --baud B (wall over line time + answer silences, goal <= 1.3)\n");
    for (const int baud : {19200, 115200})
        for (const auto& [model, name] : {std::pair{Model::Vyr, "vyr"}, std::pair{Model::Plix, "plix"}}) {
            const std::unique_ptr<SimProcess> sim = simulator(QString::fromLatin1(name), baud);
            std::vector<double> op, whole;
            for (int i = 0; i < rounds; ++i) {
                op.push_back(readOnce(console, model, sim->port(), baud, true));
                whole.push_back(timedCli({"read", "--model", name, "--port", sim->port(), "--id", "1", "--baud",
                    QString::number(baud), "--fast", "-o", dir.filePath(model == Model::Vyr ? "f.vyx" : "f.plx")}));
            }
            const double line = readLineSeconds(model == Model::Vyr, baud);
            failed |= median(op) < 0 || median(whole) < 0;
            std::printf("  %-4s %6d baud  line %.4f s   operation %.4f s = %.3f   process %.4f s = %.3f\n", name, baud,
                line, median(op), median(op) / line, median(whole), median(whole) / line);
        }

    std::printf("file commands on a .vyx, whole process (median and slowest of %d, goal <= 30 ms)\n", 10 * rounds);
    const QString vyx = dir.filePath("t.vyx");
    const QString json = dir.filePath("t.json");
    timedCli({"template", "--model", "vyr", "-o", vyx});
    timedCli({"convert", vyx, json});
    for (const auto& [what, args] : {std::pair{"show", QStringList{"show", vyx}},
             std::pair{"convert", QStringList{"convert", vyx, dir.filePath("c.json")}},
             std::pair{"diff", QStringList{"diff", vyx, json}}}) {
        std::vector<double> t;
        for (int i = 0; i < 10 * rounds; ++i)
            t.push_back(timedCli(args, 1)); // diff says 1 for differences
        failed |= *std::min_element(t.begin(), t.end()) < 0;
        std::printf(
            "  %-8s %.1f ms, slowest %.1f ms\n", what, median(t) * 1000, *std::max_element(t.begin(), t.end()) * 1000);
    }
    return failed ? 1 : 0;
}
