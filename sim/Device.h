#pragma once

#include "model/DeviceModel.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <set>
#include <span>
#include <vector>

namespace tarnixw::sim {

// Misbehaviour of a simulated device, chosen per run. Requests are counted from 1 and only
// those addressed to the device with an intact CRC count.
struct Faults {
    int silentNext = 0; // ignore the next N requests
    int silentEvery = 0; // ignore every k-th request (0: never)
    std::set<int> silentAt; // ignore these request numbers
    std::optional<std::uint8_t> wrongId; // answer under this slave id instead
    std::optional<std::uint8_t> exceptionCode; // refuse every request with this exception code
    bool truncate = false; // send only the first half of each answer
    bool badCrc = false; // damage the CRC of each answer
    int lateMs = 0; // answer this much later than the line allows
    int unplugAfter = -1; // vanish from the line after N requests (-1: never)
    std::optional<int> alterByte; // a write covering this address stores it with its lowest bit flipped
};

// A device of a model as a Modbus RTU slave: a byte-addressed memory read with function 3 and
// written with function 16 (addresses are byte offsets, quantities count registers, values
// are big-endian), and the probe input register 4096 read with function 4.
//
// The parameter memory is the model's; a model with a write gate (the PLIXARO's register 4010)
// refuses writes to it with exception code 4 while the gate is closed (the addresses exist;
// the device declines the action). Any other address range gets exception 2, a quantity or
// byte count out of place 3, any other function 1. Frames for other ids and damaged frames get
// no answer.
class Device {
public:
    static constexpr std::size_t kMemorySize = 4096;

    struct Reply {
        std::vector<std::uint8_t> bytes; // empty: no answer
        int delayMs = 0; // extra delay before the answer starts
        bool unplugged = false; // the device has left the line
    };

    Device(const models::DeviceModel& model, std::uint8_t slaveId);

    const models::DeviceModel& model() const { return m_model; }
    std::uint8_t slaveId() const { return m_slaveId; }
    Faults& faults() { return m_faults; }
    int requestCount() const { return m_requestCount; }
    bool writeEnabled() const { return m_writeEnabled; }
    bool unplugged() const { return m_unplugged; }
    // Plugged in again: no fault, the request count from zero, the memory as it was.
    void replug()
    {
        m_unplugged = false;
        m_faults = {};
        m_requestCount = 0;
    }

    std::span<std::uint8_t> memory() { return m_memory; }
    std::span<const std::uint8_t> memory() const { return m_memory; }
    // The factory state: every parameter at the default the configuration screens show.
    void resetToFactory();
    // The memory image as raw bytes, all kMemorySize of them; a file of another size is refused
    // and leaves the memory as it was.
    bool loadMemory(const QString& path, QString* error = nullptr);
    bool dumpMemory(const QString& path, QString* error = nullptr) const;

    // The device's answer to one frame from the line.
    Reply handle(std::span<const std::uint8_t> frame);

private:
    std::vector<std::uint8_t> process(std::span<const std::uint8_t> frame);
    std::vector<std::uint8_t> exception(std::uint8_t function, std::uint8_t code) const;
    bool inParameterMemory(int address, int bytes) const;

    const models::DeviceModel& m_model;
    std::uint8_t m_slaveId;
    Faults m_faults;
    int m_requestCount = 0;
    bool m_writeEnabled = false;
    bool m_unplugged = false;
    std::vector<std::uint8_t> m_memory;
};

} // namespace tarnixw::sim
