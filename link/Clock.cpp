#include "Clock.h"

namespace tarnixw::link {

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
