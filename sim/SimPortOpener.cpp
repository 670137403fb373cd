#include "SimPortOpener.h"

#include "link/PortList.h"

#include <QString>
#include <algorithm>

namespace tarnixw::sim {

namespace {

// The program's handle on the simulated line.
class Handle final : public link::SerialPort {
public:
    Handle(InProcessPort& port, int& closes)
        : m_port(port)
        , m_closes(closes)
    { }
    ~Handle() override { close(); }
    bool isOpen() const override { return !m_closed; }
    void purge() override { m_port.purge(); }
    void purgeReceive() override { m_port.purgeReceive(); }
    long write(std::span<const std::uint8_t> bytes) override { return m_closed ? -1 : m_port.write(bytes); }
    std::size_t bytesAvailable() override { return m_closed ? 0 : m_port.bytesAvailable(); }
    std::size_t read(std::span<std::uint8_t> out) override { return m_closed ? 0 : m_port.read(out); }
    void close() override
    {
        if (!m_closed)
            ++m_closes;
        m_closed = true;
    }

private:
    InProcessPort& m_port;
    int& m_closes;
    bool m_closed = false;
};

} // namespace

link::OpenResult SimPortOpener::open(const std::string& devicePath, int baud)
{
    ++attempts;
    lastBaud = baud;
    lastPath = devicePath;
    if (failWith != link::OpenError::None)
        return {nullptr, failWith, "simulated failure"};
    if (onlyListed) {
        const QString path = QString::fromStdString(devicePath);
        const auto listed = link::PortList::system().refresh();
        if (!listed || std::none_of(listed->begin(), listed->end(), [&](const link::PortEntry& e) {
                return e.devicePath == path;
            }))
            return {nullptr, link::OpenError::NoSuchPort, "no such port"};
    }
    m_port.setBaud(baud);
    ++opens;
    return {std::make_unique<Handle>(m_port, closes), link::OpenError::None, {}};
}

} // namespace tarnixw::sim
