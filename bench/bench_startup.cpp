// Time from starting the program to the splash being shown (first paint of its picture),
// measured across a real process start: the bench starts itself again as the "program", which
// sets up exactly as the program does and reports the moment the splash has painted.
//   bench_startup [runs]      (uses $DISPLAY if set, else the offscreen platform)
#include "app/Application.h"
#include "app/Logo1.h"
#include "kit/FormKit.h"
#include "kit/QtDialogs.h"
#include "resources/Artwork.h"

#include <QEvent>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tarnixw;

namespace {

std::int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // After this paint the frame goes to the screen; report on the next turn.
            QMetaObject::invokeMethod(
                qApp,
                [] {
                    std::printf("%lld\n", static_cast<long long>(nowNs()));
                    std::fflush(stdout);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_done = false;
};

int child(int argc, char** argv)
{
    app::Application application(argc, argv);
    kit::QtDialogs dialogs;
    kit::setDialogs(&dialogs);
    application.setFont(kit::formFont());
    application.setWindowIcon(artwork::programIcon());
    app::TLogo logo({});
    FirstPaint probe;
    logo.Image1()->installEventFilter(&probe);
    logo.show();
    return application.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--child")
        return child(argc, argv);
    if (!std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        int out[2];
        if (pipe(out) != 0)
            return 1;
        const std::int64_t start = nowNs();
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl("/proc/self/exe", argv[0], "--child", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char buf[64] = {};
        const ssize_t n = read(out[0], buf, sizeof buf - 1);
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        if (n <= 0) {
            std::fprintf(stderr, "the splash never painted\n");
            return 1;
        }
        ms.push_back(double(std::atoll(buf) - start) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("start to splash shown (%s): median %.1f ms, min %.1f ms, max %.1f ms over %d runs\n",
        std::getenv("DISPLAY") ? "X11" : "offscreen", ms[ms.size() / 2], ms.front(), ms.back(), runs);
    return 0;
}
