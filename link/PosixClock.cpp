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

} // namespace tarnixw::link
