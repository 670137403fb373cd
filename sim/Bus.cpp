#include "Bus.h"

#include "link/Modbus.h"

#include <algorithm>

namespace tarnixw::sim {

Device& Bus::add(const models::DeviceModel& model, std::uint8_t slaveId, std::optional<int> baud)
{
    return *m_members.emplace_back(Member{std::make_unique<Device>(model, slaveId), baud}).device;
}

Device::Reply Bus::handle(std::span<const std::uint8_t> frame, int lineBaud)
{
    std::vector<Device::Reply> answers;
    for (Member& m : m_members) {
        if (m.baud && *m.baud != lineBaud)
            continue; // noise at this device's rate
        if (Device::Reply r = m.device->handle(frame); !r.bytes.empty())
            answers.push_back(std::move(r));
    }
    const bool everyoneGone
        = std::all_of(m_members.begin(), m_members.end(), [](const Member& m) { return m.device->unplugged(); });
    if (answers.size() <= 1) {
        Device::Reply one = answers.empty() ? Device::Reply{} : std::move(answers.front());
        one.unplugged = everyoneGone;
        return one;
    }
    // The drivers that pull the line low win: the bytes come out as the AND of the answers,
    // as long as the longest. Should that still check (identical answers), the talk-over
    // shifts a bit somewhere all the same.
    Device::Reply collided;
    for (const Device::Reply& r : answers) {
        collided.delayMs = std::max(collided.delayMs, r.delayMs);
        collided.bytes.resize(std::max(collided.bytes.size(), r.bytes.size()), 0xFF);
        for (std::size_t i = 0; i < r.bytes.size(); ++i)
            collided.bytes[i] &= r.bytes[i];
    }
    if (link::hasValidCrc(collided.bytes))
        collided.bytes.back() ^= 0x01;
    return collided;
}

} // namespace tarnixw::sim
