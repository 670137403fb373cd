#pragma once

#include "Device.h"

#include <memory>
#include <optional>
#include <vector>

namespace tarnixw::sim {

// Several simulated devices on one RS-485 line. Every device hears every frame; the one whose
// slave id it carries answers. A device set to its own baud rate hears a master at another rate
// as noise and stays silent. Two devices that answer one frame talk over each other: the master
// receives one damaged frame (the answers laid over each other, the CRC not matching).
class Bus {
public:
    // A device and the baud rate it listens at (none: it follows the master's).
    struct Member {
        std::unique_ptr<Device> device;
        std::optional<int> baud;
    };

    Device& add(const models::DeviceModel& model, std::uint8_t slaveId, std::optional<int> baud = std::nullopt);
    std::vector<Member>& members() { return m_members; }

    // What the line carries back after `frame`, sent at `lineBaud`. Unplugged: every device has
    // left the line.
    Device::Reply handle(std::span<const std::uint8_t> frame, int lineBaud);

private:
    std::vector<Member> m_members;
};

} // namespace tarnixw::sim
