#pragma once

#include "Device.h"

#include "link/Clock.h"
#include "link/SerialPort.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace tarnixw::sim {

// A serial port wired straight to a simulated Device, in the clock's time. A written frame
// reaches the device at once; its answer can be read once the request and the answer have
// crossed the line at the chosen baud rate (8N1), plus the device's lateness. Purge drops
// what has arrived; an answer still on its way arrives later. An unplugged port reads
// nothing and writes fail, as a vanished USB adapter does.
class InProcessPort final : public link::SerialPort {
public:
    InProcessPort(Device& device, link::Clock& clock, int baud = 19200);

    bool isOpen() const override { return m_open; }
    void purge() override;
    void purgeReceive() override;
    long write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    void close() override { m_open = false; }

    void setBaud(int baud) { m_baud = baud; }
    // Writes return once the frame has crossed the line, as a native UART's do (else at once,
    // as a USB adapter's driver takes the bytes).
    void setWritesWaitForTheLine(bool wait) { m_writesWait = wait; }
    void unplug() { m_unplugged = true; }
    // The cable is back: the device behind it answers again (from a clean line).
    void replug()
    {
        m_unplugged = false;
        m_device.replug();
        m_onTheWay.clear();
        m_received.clear();
    }
    bool unplugged() const { return m_unplugged; }
    // Bytes that arrive from the line at the given time (noise, another slave, a stray frame).
    void inject(std::vector<std::uint8_t> bytes, std::int64_t atNs);

    // Every frame written, in order, and the time it was written.
    const std::vector<std::vector<std::uint8_t>>& written() const { return m_written; }
    const std::vector<std::int64_t>& writeTimes() const { return m_writeTimes; }
    int purgeCount() const { return m_purges; }

private:
    struct Arrival {
        std::int64_t atNs;
        std::vector<std::uint8_t> bytes;
    };
    void collect();

    Device& m_device;
    link::Clock& m_clock;
    int m_baud;
    bool m_open = true;
    bool m_unplugged = false;
    bool m_writesWait = false;
    int m_purges = 0;
    std::deque<Arrival> m_onTheWay;
    std::deque<std::uint8_t> m_received;
    std::vector<std::vector<std::uint8_t>> m_written;
    std::vector<std::int64_t> m_writeTimes;
};

} // namespace tarnixw::sim
