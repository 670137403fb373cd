// VYRANTA end to end. Prints:
//   - the Read decode into the window (the device image decoded, all five pages filled, the
//     progress bar moved after every DO cell), median over alternating device images so that
//     every DO box changes each time;
//   - the Open File decode (dialog answered at once, file read, every page refreshed), median;
//   - Read and Write through the window, the termios port and a pseudo-terminal to
//     tarnixw-devsim, wall time against the nominal 20 x 16 x 15 ms = 4.8 s;
//   - the same Read with the line traffic window open.
// Goals: decode within 50 ms, Open File no slower than Read; Read at most 1.005 of its floor
// (1.01 with the line traffic open), Write at most 1.01. Run: bench_vyr_e2e [rounds]
#include "kit/TrafficWindow.h"
#include "link/Modbus.h"
#include "tests/support/DevSim.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempPorts.h"
#include "vyr/VyrForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnixw;
using namespace tarnixw::vyr;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A device image with every DO cell set (or none) and values on every analog row.
std::vector<std::uint8_t> deviceImage(bool ticked)
{
    std::vector<std::uint8_t> image(imageoffset::Size, 0);
    std::span<std::uint8_t> s = image;
    link::PutShort(s, imageoffset::ChanInUseMask, ticked ? 0xFFFF : 0x00FF);
    for (int k = 0; k < kAnalogChannels; ++k) {
        link::PutLong(s, imageoffset::SFrom + 4 * k, ticked ? 1000 : 2000);
        link::PutLong(s, imageoffset::DTo + 4 * k, ticked ? 100000 : 250000);
    }
    for (int m = 0; m < kDiModules; ++m)
        link::PutShort(s, imageoffset::DICloseMask + 2 * m, ticked ? 0xFFFF : 0);
    for (int i = 0; i < kDoInputs * kDoModules; ++i)
        link::PutShort(s, imageoffset::DOMapMask + 2 * i, ticked ? 0xFFFF : 0);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 11;
    test::ScriptedDialogs dialogs;
    kit::Session session;
    resetModel();

    {
        TFormVYR form(session, [] {});
        form.show();
        if (!QTest::qWaitFor([&] { return form.isBuilt(); }) || !QTest::qWaitForWindowExposed(&form)) {
            std::fprintf(stderr, "the window did not come up\n");
            return 1;
        }
        // As a Read ends: the image decoded into the screen, then the window filled.
        const std::vector<std::uint8_t> images[2] = {deviceImage(true), deviceImage(false)};
        std::vector<double> decode;
        for (int i = 0; i < 2 * rounds; ++i) {
            QElapsedTimer t;
            t.start();
            form.applyScreen(*decodeDeviceImage(images[i % 2]), [](int cells) { return 75 + cells / 123; });
            decode.push_back(t.nsecsElapsed() / 1e6);
            QCoreApplication::processEvents();
        }
        std::printf("Read decode into the window: median %.2f ms over %d (goal <= 50 ms)\n", median(decode),
            int(decode.size()));

        QTemporaryDir dir;
        QString files[2];
        for (int i = 0; i < 2; ++i) {
            VYRParamSet record;
            record.ChanInUseMask = i ? 0x00FF : 0xFFFF;
            record.DOMapMask.fill(i ? 0 : 0xFFFF);
            files[i] = dir.filePath(QStringLiteral("f%1.vyx").arg(i));
            QFile f(files[i]);
            if (!f.open(QIODevice::WriteOnly) || f.write(fileBytes(record)) != fileoffset::Size)
                return 1;
        }
        std::vector<double> open;
        for (int i = 0; i < 2 * rounds; ++i) {
            dialogs.fileAnswers.push_back(files[i % 2]);
            QElapsedTimer t;
            t.start();
            form.OpenFileClick();
            open.push_back(t.nsecsElapsed() / 1e6);
            QCoreApplication::processEvents();
        }
        std::printf("Open File decode: median %.2f ms over %d (goal <= 50 ms, and no slower than the Read's: %s)\n",
            median(open), int(open.size()), median(open) <= median(decode) ? "yes" : "no");
        form.close();
    }

    if (!test::ptyAvailable()) {
        std::printf("no pseudo-terminal: end-to-end rounds skipped\n");
        return 0;
    }
    test::DevSim sim(QStringLiteral(TARNIXW_DEVSIM));
    if (!sim.start({QStringLiteral("--model"), QStringLiteral("vyr")})) {
        std::fprintf(stderr, "tarnixw-devsim did not start\n");
        return 1;
    }
    test::TempPorts ports;
    ports.publish(QStringLiteral("sim"), sim.portPath());
    TFormVYR form(session, [] {});
    form.show();
    if (!QTest::qWaitFor([&] { return form.isBuilt(); })) {
        std::fprintf(stderr, "the VYRANTA pages were not built\n");
        return 1;
    }
    const int e2eRounds = std::max(1, rounds / 4);
    std::vector<double> reads, writes;
    for (int i = 0; i < e2eRounds; ++i) {
        dialogs.clear();
        QElapsedTimer t;
        t.start();
        form.WriteClick();
        writes.push_back(t.nsecsElapsed() / 1e9);
        t.restart();
        form.ReadClick();
        reads.push_back(t.nsecsElapsed() / 1e9);
        if (dialogs.texts() != QStringList{QStringLiteral("Write Done."), QStringLiteral("Read Done.")}) {
            std::fprintf(stderr, "unexpected: %s\n", qPrintable(dialogs.texts().join(QLatin1String(" | "))));
            return 1;
        }
    }
    constexpr double kNominal = 20 * 16 * 0.015;
    std::printf("Write over a pty: median %.3f s, ratio %.4f to %.1f s (goal <= 1.01)\n", median(writes),
        median(writes) / kNominal, kNominal);
    std::printf("Read over a pty:  median %.3f s, ratio %.4f to %.1f s (goal <= 1.005)\n", median(reads),
        median(reads) / kNominal, kNominal);

    // The same Read with the line traffic window open and following it, once fresh and once
    // full (20,000 frames: every new frame also drops the oldest).
    form.showLineTraffic();
    for (const bool full : {false, true}) {
        if (full) {
            for (int i = 0; i < link::TrafficLog::kDefaultCapacity; ++i)
                form.trafficLog().addFrame(link::Traffic{});
        }
        QCoreApplication::processEvents();
        std::vector<double> traced;
        for (int i = 0; i < e2eRounds; ++i) {
            dialogs.clear();
            QElapsedTimer t;
            t.start();
            form.ReadClick();
            traced.push_back(t.nsecsElapsed() / 1e9);
            if (dialogs.texts() != QStringList{QStringLiteral("Read Done.")})
                return 1;
        }
        std::printf("Read with the line traffic open (%s): median %.3f s, ratio %.4f (goal <= 1.01)\n",
            full ? "20,000 frames shown" : "fresh", median(traced), median(traced) / kNominal);
    }
    form.close();
    sim.stop();
    return 0;
}
