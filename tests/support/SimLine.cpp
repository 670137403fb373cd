#include "SimLine.h"

#include "link/ComPort.h"

namespace tarnixw::test {

SimLine::SimLine(test::Model model, std::uint8_t deviceId)
    : device(describe(model), deviceId)
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
