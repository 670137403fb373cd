#include "SimLine.h"

#include "link/ComPort.h"

#include <QByteArray>

namespace tarnixw::test {

SimLine::SimLine(sim::Model model, std::uint8_t deviceId)
    : device(model, deviceId)
    , port(device, clock)
    , opener(port)
{
    ports.publish(QStringLiteral("sim"), QStringLiteral("/dev/null"));
    m_previousOpener = link::ComPort::setOpener(&opener);
    m_previousClock = link::setOperationClock(&clock);
}

SimLine::~SimLine()
{
    link::setOperationClock(m_previousClock);
    link::ComPort::setOpener(m_previousOpener);
}

std::vector<std::uint8_t> hexBytes(const char* text)
{
    std::vector<std::uint8_t> out;
    for (const QByteArray& b : QByteArray(text).simplified().split(' '))
        if (!b.isEmpty())
            out.push_back(std::uint8_t(b.toUInt(nullptr, 16)));
    return out;
}

} // namespace tarnixw::test
