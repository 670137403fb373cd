// tarnixw-cli against tarnixw-devsim over a pseudo-terminal, in real time, and its file
// commands. Prints:
//   - read with the forms' timing: the operation (port open to close) and the whole process
//     over the nominal 4.8 s (VYRANTA) and 1.68 s (PLIXARO); goal <= 1.01;
//   - read --fast against tarnixw-devsim --baud B (19200, 115200): the wall time over the line
//     time of every byte exchanged (10 bits a byte) plus the simulator's 3.5-character silence
//     before each answer; goal <= 1.3;
//   - show, convert and diff of a .vyx as whole processes; goal <= 30 ms.
// run: bench_cli [rounds]
#include "cli/Config.h"
#include "cli/Console.h"
#include "cli/DeviceLine.h"
#include "link/Modbus.h"
#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnixw;
using namespace tarnixw::cli;

enum class Model { Vyr, Plix };

const DeviceModel& describe(Model m)
{
    return m == Model::Vyr ? vyr::description() : plix::description();
}

namespace {

// A simulator in a runtime directory of its own.
class Sim {
public:
    Sim(const QString& model, int baud)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(TARNIXW_DEVSIM),
            {"--model", model, "--name", "bench", "--baud", QString::number(baud), "--log",
                m_runtime.filePath("frames.log")});
        for (int i = 0; i < 500 && !QFileInfo::exists(port()); ++i)
            QThread::msleep(10);
    }
    ~Sim()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString port() const { return m_runtime.path() + QStringLiteral("/tarnixw/ports/bench"); }

private:
    QTemporaryDir m_runtime;
    QProcess m_process;
};

// Seconds of one whole run of tarnixw-cli, or -1 when it failed.
double runCli(const QStringList& args)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral(TARNIXW_CLI), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() > 1)
        return -1;
    return double(t.nsecsElapsed()) / 1e9;
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

// The blocks of a Read: data bytes of each answer.
std::vector<int> blocks(Model model)
{
    if (model == Model::Vyr) {
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
double lineSeconds(Model model, int baud)
{
    const std::int64_t gap = baud > 19200 ? 1'750'000 : link::lineTimeNs(1, baud) * 7 / 2;
    std::int64_t ns = 0;
    for (const int data : blocks(model))
        ns += link::lineTimeNs(8 + 5 + std::size_t(data), baud) + gap;
    return double(ns) / 1e9;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
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
        Sim sim(QString::fromLatin1(name), 19200);
        std::vector<double> op, whole;
        for (int i = 0; i < rounds; ++i) {
            op.push_back(readOnce(console, model, sim.port(), 19200, false));
            whole.push_back(runCli({"read", "--model", name, "--port", sim.port(), "--id", "1", "-o",
                dir.filePath(model == Model::Vyr ? "r.vyx" : "r.plx")}));
        }
        failed |= *std::min_element(op.begin(), op.end()) < 0 || *std::min_element(whole.begin(), whole.end()) < 0;
        std::printf("  %-4s  operation %.4f s = %.4f   process %.4f s = %.4f   (nominal %.2f s)\n", name, median(op),
            median(op) / nominal, median(whole), median(whole) / nominal, nominal);
    }

    std::printf("read --fast against tarnixw-devsim --baud B (wall over line time + answer silences, goal <= 1.3)\n");
    for (const int baud : {19200, 115200})
        for (const auto& [model, name] : {std::pair{Model::Vyr, "vyr"}, std::pair{Model::Plix, "plix"}}) {
            Sim sim(QString::fromLatin1(name), baud);
            std::vector<double> op, whole;
            for (int i = 0; i < rounds; ++i) {
                op.push_back(readOnce(console, model, sim.port(), baud, true));
                whole.push_back(runCli({"read", "--model", name, "--port", sim.port(), "--id", "1", "--baud",
                    QString::number(baud), "--fast", "-o", dir.filePath(model == Model::Vyr ? "f.vyx" : "f.plx")}));
            }
            const double line = lineSeconds(model, baud);
            failed |= median(op) < 0 || median(whole) < 0;
            std::printf("  %-4s %6d baud  line %.4f s   operation %.4f s = %.3f   process %.4f s = %.3f\n", name, baud,
                line, median(op), median(op) / line, median(whole), median(whole) / line);
        }

    std::printf("file commands on a .vyx, whole process (median and slowest of %d, goal <= 30 ms)\n", 10 * rounds);
    const QString vyx = dir.filePath("t.vyx");
    const QString json = dir.filePath("t.json");
    runCli({"template", "--model", "vyr", "-o", vyx});
    runCli({"convert", vyx, json});
    for (const auto& [what, args] : {std::pair{"show", QStringList{"show", vyx}},
             std::pair{"convert", QStringList{"convert", vyx, dir.filePath("c.json")}},
             std::pair{"diff", QStringList{"diff", vyx, json}}}) {
        std::vector<double> t;
        for (int i = 0; i < 10 * rounds; ++i)
            t.push_back(runCli(args));
        failed |= *std::min_element(t.begin(), t.end()) < 0;
        std::printf(
            "  %-8s %.1f ms, slowest %.1f ms\n", what, median(t) * 1000, *std::max_element(t.begin(), t.end()) * 1000);
    }
    return failed ? 1 : 0;
}
