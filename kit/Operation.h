#pragma once

#include "BusyGuard.h"
#include "link/DeviceSession.h"
#include "link/ModbusLink.h"

#include <optional>

namespace tarnixw::kit {

class DeviceForm;

// One device operation of a form (Read, Write, ID Search), from the press of its button to
// the bar back at 0: the link's device session with the form's busy state, bar and boxes. It
// opens the model's port with the COM settings the form shows, takes the slave id from
// ModbusID (unless the operation probes ids itself), and starts the Modbus link on the
// operation clock, whose wait steps move the form's progress bar and keep the window painted
// while the user's input to it is held off. Every box of the operation goes through it, so
// that the form's line traffic records what the user was told: the port's and the slave id's
// boxes, "Device No Response !!" and "Response Error !!" the moment the link stops, and the
// form's own (message(), error()).
//
//     Operation op(*this, QStringLiteral("Read"));
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
    Operation(DeviceForm& form, const QString& name, SlaveId slaveId = SlaveId::FromForm);
    ~Operation();
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Whether the port could be opened (when not, the user has been told why).
    bool opened() const { return m_session.opened(); }
    // The link, with StopFlag and SilenceCount at their start values; nothing when the port
    // did not open or the slave id was refused (the user has been told).
    link::ModbusLink* link() { return m_session.link(); }
    // Closes the port; the link is gone after it.
    void closePort();
    // Whether the exchanges ran and none stopped the operation.
    bool completed() const;

    // The form's boxes during the operation, recorded with it.
    void message(const QString& text);
    void error(const QString& text);

private:
    DeviceForm& m_form;
    BusyGuard m_guard;
    link::DeviceSession m_session;
};

} // namespace tarnixw::kit
