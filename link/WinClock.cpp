#include "Clock.h"

#include <windows.h>
// after windows.h, which it needs
#include <timeapi.h>

#include <thread>

namespace tarnixw::link {

namespace {

std::int64_t countsPerSecond()
{
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return std::int64_t(f.QuadPart);
    }();
    return frequency;
}

// Windows wakes sleepers on its timer tick, 15.6 ms by default: longer than a wait step.
// A 1 ms tick, asked for once for the program's life, keeps the steps on their deadlines.
void askForFineTimer()
{
    static const bool asked = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)asked;
}

} // namespace

std::int64_t SteadyClock::nowNs()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const std::int64_t f = countsPerSecond();
    return std::int64_t(now.QuadPart / f) * 1'000'000'000 + std::int64_t(now.QuadPart % f) * 1'000'000'000 / f;
}

void SteadyClock::sleepUntilNs(std::int64_t deadlineNs)
{
    askForFineTimer();
    // Sleep in whole milliseconds while more than one is left, then give the processor away
    // until the deadline: the last millisecond is kept to the deadline, not to the tick.
    for (std::int64_t left = deadlineNs - nowNs(); left > 0; left = deadlineNs - nowNs()) {
        if (left > 1'500'000)
            Sleep(DWORD((left - 1'000'000) / 1'000'000));
        else
            std::this_thread::yield();
    }
}

} // namespace tarnixw::link
