#include "InProcessPort.h"

#include "link/Modbus.h"

#include <algorithm>

namespace tarnixw::sim {

InProcessPort::InProcessPort(Device& device, link::Clock& clock, int baud)
    : m_device(device)
    , m_clock(clock)
    , m_baud(baud)
{ }

void InProcessPort::collect()
{
    const std::int64_t now = m_clock.nowNs();
    std::stable_sort(
        m_onTheWay.begin(), m_onTheWay.end(), [](const Arrival& a, const Arrival& b) { return a.atNs < b.atNs; });
    while (!m_onTheWay.empty() && m_onTheWay.front().atNs <= now) {
        m_received.insert(m_received.end(), m_onTheWay.front().bytes.begin(), m_onTheWay.front().bytes.end());
        m_onTheWay.pop_front();
    }
}

void InProcessPort::purge()
{
    ++m_purges;
    purgeReceive();
}

void InProcessPort::purgeReceive()
{
    collect();
    m_received.clear();
}

long InProcessPort::write(std::span<const std::uint8_t> bytes)
{
    if (!m_open || m_unplugged)
        return -1;
    const std::int64_t now = m_clock.nowNs();
    m_written.emplace_back(bytes.begin(), bytes.end());
    m_writeTimes.push_back(now);
    const Device::Reply reply = m_device.handle(bytes);
    if (reply.unplugged) {
        m_unplugged = true;
        return -1;
    }
    if (!reply.bytes.empty()) {
        const std::int64_t at = now + link::lineTimeNs(bytes.size(), m_baud)
            + link::lineTimeNs(reply.bytes.size(), m_baud) + std::int64_t(reply.delayMs) * 1'000'000;
        m_onTheWay.push_back({at, reply.bytes});
    }
    if (m_writesWait)
        m_clock.sleepUntilNs(now + link::lineTimeNs(bytes.size(), m_baud));
    return long(bytes.size());
}

void InProcessPort::inject(std::vector<std::uint8_t> bytes, std::int64_t atNs)
{
    m_onTheWay.push_back({atNs, std::move(bytes)});
}

std::size_t InProcessPort::bytesAvailable()
{
    if (!m_open || m_unplugged)
        return 0;
    collect();
    return m_received.size();
}

std::size_t InProcessPort::read(std::span<std::uint8_t> out)
{
    if (!m_open || m_unplugged)
        return 0;
    collect();
    const std::size_t n = std::min(out.size(), m_received.size());
    std::copy_n(m_received.begin(), n, out.begin());
    m_received.erase(m_received.begin(), m_received.begin() + long(n));
    return n;
}

} // namespace tarnixw::sim
