#include "Operation.h"

#include "DeviceForm.h"
#include "link/Clock.h"

namespace tarnixw::kit {

Operation::Operation(DeviceForm& form, link::ModelBuffers& buffers, const QString& name, SlaveId slaveId)
    : m_form(form)
    , m_guard(&form, form.ProgressBar1())
{
    link::TrafficLog& log = form.trafficLog();
    link::TrafficOperation record;
    record.name = name;
    record.port = QStringLiteral("COM%1").arg(form.portNumber());
    record.baud = link::ComPort::baudRate(form.baudIndex());
    record.startNs = link::operationClock().nowNs();
    log.beginOperation(std::move(record));
    m_tap.onText = [&log](const QString& text) {
        if (link::TrafficOperation* op = log.current()) {
            op->messages << text;
            log.updateCurrent();
        }
    };
    form.operationStarted();

    link::ComPort& port = form.comPort();
    m_opened = port.OpenComPort(form.portNumber(), form.baudIndex());
    if (!m_opened)
        return;
    log.current()->device = port.devicePath();
    log.updateCurrent();
    std::optional<std::uint8_t> id;
    if (slaveId == SlaveId::FromForm) {
        id = link::slaveIdFromText(form.ModbusID() ? form.ModbusID()->text() : QString());
        if (!id)
            return; // nothing is sent; the port is closed at the end
        log.current()->slave = *id;
        log.updateCurrent();
    }
    m_link.emplace(buffers, *port.ComHandle(), link::operationClock(), m_guard.hook(),
        [&log](const link::Traffic& t) { log.addFrame(t); });
    if (id)
        m_link->SlaveId = *id;
    m_link->beginOperation();
    m_ran = true;
}

void Operation::closePort()
{
    if (m_link) {
        m_stopped = m_link->StopFlag;
        m_link.reset();
    }
    if (m_opened)
        m_form.comPort().CloseComPort();
    // Nothing more goes on the line: what the form shows now (the closing message box
    // included) takes the user's input again.
    m_guard.release();
}

Operation::~Operation()
{
    closePort();
    if (m_opened)
        BusyGuard::setBar(m_form.ProgressBar1(), 0);
    link::TrafficLog& log = m_form.trafficLog();
    if (link::TrafficOperation* op = log.current()) {
        op->ended = true;
        log.updateCurrent();
    }
    m_form.operationEnded();
}

} // namespace tarnixw::kit
