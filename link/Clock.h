#pragma once

#include <cstdint>

namespace tarnixw::link {

// The link's sense of time. Waits are scheduled against absolute deadlines on a
// monotonic clock, so that the 15 ms steps of an exchange do not drift.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t nowNs() = 0;
    // Returns at or after the deadline (immediately if it has passed).
    virtual void sleepUntilNs(std::int64_t deadlineNs) = 0;
};

// The system's monotonic clock with absolute-deadline sleeps (CLOCK_MONOTONIC; on Windows
// the performance counter).
class SteadyClock final : public Clock {
public:
    std::int64_t nowNs() override;
    void sleepUntilNs(std::int64_t deadlineNs) override;
    static SteadyClock& instance();
};

// Test clock: time stands still until someone sleeps, then jumps to the deadline.
class VirtualClock final : public Clock {
public:
    std::int64_t nowNs() override { return m_now; }
    void sleepUntilNs(std::int64_t deadlineNs) override
    {
        if (deadlineNs > m_now)
            m_now = deadlineNs;
    }
    void advanceNs(std::int64_t ns) { m_now += ns; }

private:
    std::int64_t m_now = 1'000'000'000;
};

// Milliseconds on the system's monotonic clock, for the network's deadlines (a connect, a send,
// the line settings): never a test's virtual time.
inline std::int64_t steadyNowMs()
{
    return SteadyClock::instance().nowNs() / 1'000'000;
}

// The clock the device operations wait on: the steady clock, unless a test installs a virtual
// one. Not owned.
Clock& operationClock();
Clock* setOperationClock(Clock* clock);

} // namespace tarnixw::link
