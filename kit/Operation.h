#pragma once

#include "BusyGuard.h"
#include "link/Dialogs.h"
#include "link/ModbusLink.h"

#include <optional>

namespace tarnixw::kit {

class DeviceForm;

// One device operation of a form (Read, Write, ID Search), from the press of its button to
// the bar back at 0. It opens the model's port with the COM settings the form shows, takes the
// slave id from ModbusID (unless the operation probes ids itself), and sets up the Modbus link
// on the operation clock, whose wait steps move the form's progress bar and keep the window
// painted while the user's input to it is held off. The form's line traffic records it: its
// port, rate and slave, every frame, and the messages the user was shown.
//
//     Operation op(*this, buffers(), QStringLiteral("Read"));
//     if (ModbusLink* bus = op.link()) { ...exchanges... }
//     op.closePort();
//     ...completion work, only when nothing stopped...
//
// The port is closed by closePort() or, at the latest, when the operation ends; the user's
// input is held off until then, so the completion work and its message box take it as usual.
// The bar goes back to 0 when the operation ends, whenever the port had been opened.
class Operation {
public:
    enum class SlaveId { FromForm, None };

    // name: how the line traffic names it ("Read", "Write", "ID Search").
    Operation(DeviceForm& form, link::ModelBuffers& buffers, const QString& name, SlaveId slaveId = SlaveId::FromForm);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Whether the port could be opened (when not, the user has been told why).
    bool opened() const { return m_opened; }
    // The link, with StopFlag and SilenceCount at their start values; nothing when the port
    // did not open or the slave id was refused (the user has been told).
    link::ModbusLink* link() { return m_link ? &*m_link : nullptr; }
    // Closes the port; the link is gone after it.
    void closePort();
    // Whether the exchanges ran and none stopped the operation.
    bool completed() const { return m_ran && !m_stopped; }

    BusyGuard& guard() { return m_guard; }

private:
    DeviceForm& m_form;
    link::DialogsTap m_tap; // installed first: the port's own boxes count too
    BusyGuard m_guard;
    bool m_opened = false;
    bool m_ran = false;
    bool m_stopped = false;
    std::optional<link::ModbusLink> m_link;
};

} // namespace tarnixw::kit
