#include "Clock.h"

#include <cerrno>
#include <ctime>

namespace tarnixw::link {

std::int64_t SteadyClock::nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void SteadyClock::sleepUntilNs(std::int64_t deadlineNs)
{
    timespec ts{};
    ts.tv_sec = deadlineNs / 1'000'000'000;
    ts.tv_nsec = deadlineNs % 1'000'000'000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) { }
}

SteadyClock& SteadyClock::instance()
{
    static SteadyClock clock;
    return clock;
}

namespace {
Clock* g_operationClock = nullptr;
}

Clock& operationClock()
{
    return g_operationClock ? *g_operationClock : SteadyClock::instance();
}

Clock* setOperationClock(Clock* clock)
{
    Clock* before = g_operationClock;
    g_operationClock = clock;
    return before;
}

} // namespace tarnixw::link
