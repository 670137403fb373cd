#include "SimLine.h"

#include "link/ComPort.h"

namespace tarnixw::test {

SimLine::SimLine(sim::Model model, std::uint8_t deviceId)
    : device(model, deviceId)
    , port(device, clock)
    , opener(port)
{
    ports.publish(QStringLiteral("sim"), QStringLiteral("/dev/null"));
    opener.onlyListed = true;
    m_previousOpener = link::ComPort::setOpener(&opener);
    m_previousClock = link::setOperationClock(&clock);
}

SimLine::~SimLine()
{
    link::setOperationClock(m_previousClock);
    link::ComPort::setOpener(m_previousOpener);
}

} // namespace tarnixw::test
