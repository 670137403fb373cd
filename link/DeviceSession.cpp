#include "DeviceSession.h"

#include "Clock.h"

namespace tarnixw::link {

DeviceSession::DeviceSession(ComPort& port, ModelBuffers& buffers, TrafficLog& log)
    : m_port(port)
    , m_buffers(buffers)
    , m_log(log)
{ }

DeviceSession::~DeviceSession()
{
    closePort();
    finish();
}

const OpenOutcome& DeviceSession::open(Setup setup)
{
    m_setup = std::move(setup);
    TrafficOperation record;
    record.name = m_setup.operation;
    // Without a device path the port is "COM" and its number, COM0 included (a typed text that
    // is no item of the forms' list): it is named so in the record and in the open's outcome.
    const bool byNumber = m_setup.devicePath.isEmpty();
    record.port = byNumber ? QStringLiteral("COM%1").arg(m_setup.portNumber) : m_setup.devicePath;
    record.baud = m_setup.baud;
    record.slave = m_setup.slave.value_or(0);
    record.startNs = operationClock().nowNs();
    m_log.beginOperation(std::move(record));

    m_open = byNumber ? m_port.openNumbered(m_setup.portNumber, m_setup.baud, m_setup.interrupted)
                      : m_port.openPath(m_setup.devicePath, m_setup.baud, m_setup.interrupted);
    m_opened = m_open.ok();
    if (m_opened) {
        m_log.current()->device = m_port.devicePath();
        m_log.current()->windowMs = m_port.ComHandle()->answerWindowMs();
        m_log.updateCurrent();
    }
    return m_open;
}

bool DeviceSession::start(std::optional<std::uint8_t> slave)
{
    if (!m_opened || !m_port.ComHandle())
        return false;
    m_link.emplace(
        m_buffers, *m_port.ComHandle(), operationClock(), m_setup.stepHook,
        [this](const Traffic& t) { m_log.addFrame(t); }, m_setup.onStop);
    if (slave) {
        m_link->SlaveId = *slave;
        m_log.current()->slave = *slave;
        m_log.updateCurrent();
    }
    m_link->setFastAnswers(m_setup.fastAnswers);
    m_link->beginOperation();
    m_started = true;
    return true;
}

void DeviceSession::noteMessage(const QString& text)
{
    if (TrafficOperation* op = m_log.current()) {
        op->messages << text;
        m_log.updateCurrent();
    }
}

void DeviceSession::closePort()
{
    if (m_link) {
        m_exchanges = m_link->exchanges();
        m_link.reset();
    }
    if (m_opened)
        m_port.close();
}

void DeviceSession::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (TrafficOperation* op = m_log.current()) {
        op->ended = true;
        m_log.updateCurrent();
    }
}

Outcome DeviceSession::outcome() const
{
    Outcome o;
    o.open = m_open;
    o.exchanges = m_link ? m_link->exchanges() : m_exchanges;
    if (!m_opened)
        o.kind = Outcome::Kind::NotOpened;
    else if (!m_started)
        o.kind = Outcome::Kind::NotStarted;
    else if (o.exchanges.reason == StopReason::Cancelled)
        o.kind = Outcome::Kind::Cancelled;
    else if (o.exchanges.reason != StopReason::None)
        o.kind = Outcome::Kind::Stopped;
    else
        o.kind = Outcome::Kind::Done;
    return o;
}

} // namespace tarnixw::link
