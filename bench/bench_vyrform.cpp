// Opening and closing the VYRANTA window: the build of its 3476 generated controls until they
// are first painted, their destruction on close, and the resident memory with the form open.
//
//   bench_vyrform [--runs N] [--shots DIR] [--hold MS]
//
// Run it once with QT_QPA_PLATFORM=offscreen and once on an X server (Xvfb) to see the cost of
// a real window system. With --shots it also saves a picture of each of the five pages; --hold
// keeps the first form on screen that long after it is painted (for a screen capture).
#include "vyr/VyrForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace tarnixw;

namespace {

// Notes when the last control of the shown page is painted: by then the whole page is.
class PaintWatch final : public QObject {
public:
    QString target;
    bool painted = false;
    // Paints of the analog page while it was still empty (the user would see a bare page).
    const vyr::TFormVYR* form = nullptr;
    int emptyPagePaints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        if (!painted && watched->objectName() == target)
            painted = true;
        if (form && !form->isBuilt() && watched == form->page(0))
            ++emptyPagePaints;
        return false;
    }
};

double residentMiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Runs the event loop until done() holds or the time is up.
template <typename F> bool waitFor(F done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

void saveShots(vyr::TFormVYR& form, const QString& dir)
{
    QDir().mkpath(dir);
    // Some state worth seeing: DI module 1 in use, one alarm off, channel 3 of the analog page
    // off, a few DO cells ticked.
    QTest::mouseClick(form.AllBtn(2), Qt::LeftButton);
    QTest::mouseClick(form.DIAlarmBtn(1, 2), Qt::LeftButton);
    QTest::mouseClick(form.DIOpenBtn(1, 4), Qt::LeftButton);
    QTest::mouseClick(form.VYRChanInUseBtn(3), Qt::LeftButton);
    for (int m = 0; m < vyr::kDoModules; ++m)
        for (int r = 0; r < vyr::kDoOutputs; ++r)
            QTest::mouseClick(
                form.DOModuleBtn(r, (r * 5 + m * 7) % vyr::kDoInputs, m), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    for (int i = 0; i < 5; ++i) {
        form.PageControl1()->setCurrentIndex(i);
        QCoreApplication::processEvents();
        form.grab().save(QStringLiteral("%1/vyr_page%2.png").arg(dir).arg(i + 1));
    }
    form.PageControl1()->setCurrentIndex(0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int runs = 9;
    QString shots;
    int holdMs = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--shots") && i + 1 < args.size())
            shots = args[++i];
        else if (args[i] == QLatin1String("--hold") && i + 1 < args.size())
            holdMs = args[++i].toInt();
    }

    kit::Session session;
    PaintWatch watch;
    watch.target = QStringLiteral("VYRHysteresis15");
    app.installEventFilter(&watch);

    const double baseline = residentMiB();
    double openMiB = 0;
    std::vector<double> openMs, switchMs, closeMs, destroyMs;
    for (int run = 0; run < runs; ++run) {
        watch.painted = false;
        QElapsedTimer t;
        t.start();
        auto* form = new vyr::TFormVYR(session, {});
        watch.form = form;
        form->show();
        if (!waitFor([&] { return form->isBuilt() && watch.painted; })) {
            std::fprintf(stderr, "the form was not built and painted within 5 s\n");
            return 1;
        }
        openMs.push_back(t.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
        openMiB = std::max(openMiB, residentMiB());
        if (run == 0 && holdMs > 0)
            QTest::qWait(holdMs);
        if (run == 0 && !shots.isEmpty())
            saveShots(*form, shots);

        // The DO pages' 1024 boxes are polished when their page is first shown.
        watch.target = QStringLiteral("DOModuleBtnB15C63R0");
        watch.painted = false;
        t.restart();
        form->PageControl1()->setCurrentIndex(2);
        if (!waitFor([&] { return watch.painted; })) {
            std::fprintf(stderr, "the DO Module 0 page was not painted within 5 s\n");
            return 1;
        }
        switchMs.push_back(t.nsecsElapsed() / 1e6);
        watch.target = QStringLiteral("VYRHysteresis15");

        t.restart();
        form->close(); // destroys the generated controls
        closeMs.push_back(t.nsecsElapsed() / 1e6);
        watch.form = nullptr;
        t.restart();
        delete form;
        destroyMs.push_back(t.nsecsElapsed() / 1e6);
        QCoreApplication::processEvents();
    }

    std::printf(
        "platform %s, %d runs, %d generated controls\n", qPrintable(QGuiApplication::platformName()), runs, 3476);
    std::printf("open to first paint: median %.1f ms (min %.1f, max %.1f; goal <= 50 ms)\n", median(openMs),
        *std::min_element(openMs.begin(), openMs.end()), *std::max_element(openMs.begin(), openMs.end()));
    std::printf("paints of the still empty analog page: %d in %d openings\n", watch.emptyPagePaints, runs);
    std::printf("first switch to a DO module page until painted: median %.1f ms\n", median(switchMs));
    std::printf("close (controls destroyed, port released): median %.1f ms\n", median(closeMs));
    std::printf("form object deleted after close: median %.1f ms\n", median(destroyMs));
    std::printf("resident memory: %.1f MiB before the first form, %.1f MiB with the form open\n", baseline, openMiB);
    return 0;
}
