// PLIXARO Write and Read through the real form, the termios port and a pseudo-terminal to
// tarnixw-devsim. Prints each operation's wall time against its nominal floor (the fixed
// waits: Write 206 steps of 15 ms = 3.09 s, Read 7 x 16 steps = 1.68 s); the goal is a ratio
// of at most 1.01.

#include "kit/Dialogs.h"
#include "link/PortList.h"
#include "plix/PlixForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnixw;

namespace {

class CountingDialogs final : public kit::Dialogs {
public:
    QStringList texts;
    void message(const QString& text, const QString&) override { texts << text; }
    void systemMessage(const QString&, const QString& text, const QString&) override { texts << text; }
    void error(const QString& text) override { texts << text; }
    std::optional<QString> openFileName(const kit::FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const kit::FileDialogSpec&) override { return std::nullopt; }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;

    QTemporaryDir runtime;
    QProcess sim;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    sim.setProcessEnvironment(env);
    sim.start(QStringLiteral(TARNIXW_DEVSIM),
        {QStringLiteral("--model"), QStringLiteral("plix"), QStringLiteral("--name"), QStringLiteral("bench"),
            QStringLiteral("--log"), runtime.filePath(QStringLiteral("frames.log"))});
    const QString port = runtime.path() + QStringLiteral("/tarnixw/ports/bench");
    for (int i = 0; i < 500 && !QFileInfo::exists(port); ++i)
        QThread::msleep(10);
    if (!sim.waitForStarted(5000) || !QFileInfo::exists(port)) {
        std::fprintf(stderr, "tarnixw-devsim did not publish its port\n");
        return 2;
    }

    // The simulator's port as COM1 of a private port list.
    QTemporaryDir ports;
    QDir(ports.path()).mkpath(QStringLiteral("sys/class/tty"));
    QDir(ports.path()).mkpath(QStringLiteral("dev"));
    const link::PortSources sources = link::PortSources::at(ports.path() + QStringLiteral("/sys/class/tty"),
        ports.path() + QStringLiteral("/dev"), runtime.path() + QStringLiteral("/tarnixw/ports"));
    link::PortList list(sources);
    link::PortList::setSystem(&list);

    CountingDialogs dialogs;
    kit::setDialogs(&dialogs);
    kit::Session session;
    plix::TFormPLIX form(session, [] {});
    form.show();

    std::vector<double> writes;
    std::vector<double> reads;
    for (int r = 0; r < rounds; ++r) {
        dialogs.texts.clear();
        QElapsedTimer t;
        t.start();
        form.WriteClick();
        writes.push_back(double(t.nsecsElapsed()) / 1e9);
        t.restart();
        form.ReadClick();
        reads.push_back(double(t.nsecsElapsed()) / 1e9);
        if (dialogs.texts != QStringList{QStringLiteral("Write Done."), QStringLiteral("Read Done.")}) {
            std::fprintf(stderr, "round %d: %s\n", r, qPrintable(dialogs.texts.join(QStringLiteral(" | "))));
            return 1;
        }
    }
    sim.terminate();
    sim.waitForFinished(5000);

    const double writeFloor = 3.09;
    const double readFloor = 1.68;
    const double w = median(writes);
    const double rd = median(reads);
    std::printf("PLIXARO form over a pty, %d rounds (median, worst)\n", rounds);
    std::printf("  Write %.3f s, worst %.3f s; floor %.2f s; ratio %.4f (goal <= 1.01)\n", w,
        *std::max_element(writes.begin(), writes.end()), writeFloor, w / writeFloor);
    std::printf("  Read  %.3f s, worst %.3f s; floor %.2f s; ratio %.4f (goal <= 1.01)\n", rd,
        *std::max_element(reads.begin(), reads.end()), readFloor, rd / readFloor);
    return 0;
}
