// tarnixw-cli over network ports on the loopback, in real time, through servers of other makers:
// ser2net in front of tarnixw-devsim's pseudo-terminal, raw (socket://, with ser2net's default
// TCP settings and with TCP_NODELAY) and with RFC 2217 (rfc2217://), and the pymodbus Modbus TCP
// gateway of tests/peers (tcp://) in front of the simulator's memory image. Prints, per route,
// whole processes (median of the rounds):
//   - VYRANTA read with the forms' timing over its floor, the fixed waits: 20 blocks x 16
//     steps x 15 ms = 4.8 s; goal <= 1.01;
//   - PLIXARO write over its floor, 206 steps of 15 ms = 3.09 s; goal <= 1.01;
//   - read --fast (VYRANTA, PLIXARO) at 19200 baud over the line time of every byte exchanged
//     (10 bits a byte) plus the simulator's 3.5-character silence before each answer, as
//     bench_cli counts it; goal <= 1.3. Modbus TCP has no line: the gateway answers from memory.
// run: bench_gateways [rounds]
#include "SimProcess.h"

#include "link/Modbus.h"
#include "plix/PlixDescription.h"
#include "tests/peers/PeerServers.h"
#include "vyr/VyrDescription.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace tarnixw;

namespace {

constexpr int kBaud = 19200;
constexpr double kVyrReadFloor = 4.8;
constexpr double kPlixWriteFloor = 3.09;

// How the frames reach the device.
enum class Via { Ser2netRaw, Ser2netRawNodelay, Ser2netRfc2217, PymodbusGateway, DevsimSocket, DevsimTcp };

struct Route {
    Via via;
    const char* name;
};

// The last two: tarnixw-devsim's own network server (--listen), no pseudo-terminal and no server
// between, its answers paced as the line behind a gateway.
const Route kRoutes[] = {
    {Via::Ser2netRaw, "ser2net raw"},
    {Via::Ser2netRawNodelay, "ser2net raw, nodelay"},
    {Via::Ser2netRfc2217, "ser2net RFC 2217"},
    {Via::PymodbusGateway, "pymodbus Modbus TCP"},
    {Via::DevsimSocket, "devsim socket://"},
    {Via::DevsimTcp, "devsim tcp://"},
};

// A device of the model behind the route, for as long as this lives.
struct Served {
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<test::Ser2net> ser2net;
    std::unique_ptr<test::Gateway> gateway;
    QString address;

    // Before a run: ser2net turns a client away while it still holds the line for the last.
    void ready() const
    {
        if (ser2net)
            ser2net->waitLine(false);
    }
};

std::unique_ptr<Served> serve(const Route& route, const models::DeviceModel& model, const QTemporaryDir& dir)
{
    auto s = std::make_unique<Served>();
    const QStringList device{"--model", model.key(), "--baud", QString::number(kBaud)};
    if (route.via == Via::PymodbusGateway) {
        // The factory-fresh memory the simulator holds, as it writes it when it stops.
        const QString image = dir.filePath(model.key() + ".bin");
        {
            const SimProcess fresh(QStringLiteral("image"), device + QStringList{"--dump", image});
        }
        s->gateway = std::make_unique<test::Gateway>();
        if (!s->gateway->start(image, 1, model.probeValue(), 600))
            return nullptr;
        s->address = s->gateway->address();
        return s;
    }
    if (route.via == Via::DevsimSocket || route.via == Via::DevsimTcp) {
        const QString listen = route.via == Via::DevsimTcp ? QStringLiteral("tcp://127.0.0.1:0")
                                                           : QStringLiteral("socket://127.0.0.1:0");
        s->sim = std::make_unique<SimProcess>(QStringLiteral("bench"), device + QStringList{"--listen", listen});
        s->address = s->sim->address();
        return s->address.isEmpty() ? nullptr : std::move(s);
    }
    s->sim = std::make_unique<SimProcess>(QStringLiteral("bench"), device);
    const int port = test::freePort(QStringLiteral("127.0.0.1"));
    const bool telnet = route.via == Via::Ser2netRfc2217;
    const QString scheme = telnet ? QStringLiteral("rfc2217") : QStringLiteral("socket");
    s->ser2net = std::make_unique<test::Ser2net>();
    if (!s->ser2net->start(test::ser2netProgram(), QFileInfo(s->sim->port()).symLinkTarget(),
            {{scheme, QStringLiteral("127.0.0.1"), port, kBaud, route.via == Via::Ser2netRawNodelay}}))
        return nullptr;
    s->address = test::netAddress(scheme, QStringLiteral("127.0.0.1"), port);
    return s;
}

struct Figures {
    double vyrRead = -1;
    double plixWrite = -1;
    double vyrFast = -1;
    double plixFast = -1;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    if (test::ser2netProgram().isEmpty() || !test::pymodbusAvailable()) {
        std::fprintf(stderr, "bench_gateways: needs ser2net and python3-pymodbus (tools/install-deps.sh)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString plx = dir.filePath("write.plx");
    timedCli({"template", "--model", "plix", "-o", plx});
    bool failed = false;
    std::vector<Figures> figures;

    for (const Route& route : kRoutes) {
        Figures f;
        for (const models::DeviceModel* m : {&vyr::description(), &plix::description()}) {
            const bool vyr = m == &vyr::description();
            const QString model = m->key();
            const std::unique_ptr<Served> s = serve(route, *m, dir);
            if (!s) {
                std::fprintf(stderr, "%s: the server did not start\n", route.name);
                return 1;
            }
            const auto timed = [&](const QStringList& args) {
                std::vector<double> t;
                for (int i = 0; i < rounds; ++i) {
                    s->ready();
                    t.push_back(timedCli(args));
                }
                failed |= *std::min_element(t.begin(), t.end()) < 0;
                return median(t);
            };
            const QStringList read{"read", "--model", model, "--port", s->address, "--id", "1", "--baud",
                QString::number(kBaud), "-o", dir.filePath(vyr ? "r.vyx" : "r.plx")};
            if (vyr)
                f.vyrRead = timed(read);
            else
                f.plixWrite
                    = timed({"write", "--port", s->address, "--id", "1", "--baud", QString::number(kBaud), plx});
            (vyr ? f.vyrFast : f.plixFast) = timed(read + QStringList{"--fast"});
        }
        figures.push_back(f);
    }

    const auto table = [&](const char* title, const std::function<double(const Figures&)>& seconds, double over) {
        std::printf("%s\n", title);
        for (std::size_t i = 0; i < figures.size(); ++i)
            std::printf("  %-22s %.4f s = %.4f\n", kRoutes[i].name, seconds(figures[i]), seconds(figures[i]) / over);
    };
    std::printf("%d rounds, whole processes, median; %d baud\n", rounds, kBaud);
    table(
        "VYRANTA read with the forms' timing over its floor 4.8 s (goal <= 1.01)",
        [](const Figures& f) { return f.vyrRead; }, kVyrReadFloor);
    table(
        "PLIXARO write over its floor 3.09 s (goal <= 1.01)", [](const Figures& f) { return f.plixWrite; },
        kPlixWriteFloor);
    std::printf("read --fast over the line time + answer silences (goal <= 1.3)\n");
    for (std::size_t i = 0; i < figures.size(); ++i)
        std::printf("  %-22s vyr %.4f s = %.3f   plix %.4f s = %.3f\n", kRoutes[i].name, figures[i].vyrFast,
            figures[i].vyrFast / readLineSeconds(true, kBaud), figures[i].plixFast,
            figures[i].plixFast / readLineSeconds(false, kBaud));
    std::printf(
        "  (line time: vyr %.4f s, plix %.4f s)\n", readLineSeconds(true, kBaud), readLineSeconds(false, kBaud));
    return failed ? 1 : 0;
}
