#include "Operation.h"

#include "DeviceForm.h"
#include "link/Clock.h"

namespace tarnixw::kit {

Operation::Operation(DeviceForm& form, link::ModelBuffers& buffers, SlaveId slaveId)
    : m_form(form)
    , m_guard(&form, form.ProgressBar1())
{
    link::ComPort& port = form.comPort();
    m_opened = port.OpenComPort(form.portNumber(), form.baudIndex());
    if (!m_opened)
        return;
    std::optional<std::uint8_t> id;
    if (slaveId == SlaveId::FromForm) {
        id = link::slaveIdFromText(form.ModbusID() ? form.ModbusID()->text() : QString());
        if (!id)
            return; // nothing is sent; the port is closed at the end
    }
    m_link.emplace(buffers, *port.ComHandle(), link::operationClock(), m_guard.hook());
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
}

Operation::~Operation()
{
    closePort();
    if (m_opened)
        BusyGuard::setBar(m_form.ProgressBar1(), 0);
}

} // namespace tarnixw::kit
