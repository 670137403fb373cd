#include "Operation.h"

#include "DeviceForm.h"
#include "Dialogs.h"
#include "Messages.h"

namespace tarnixw::kit {

Operation::Operation(DeviceForm& form, const QString& name, SlaveId slaveId)
    : m_form(form)
    , m_guard(&form, form.ProgressBar1())
    , m_session(form.comPort(), form.linkBuffers(), form.trafficLog())
{
    form.operationStarted();
    link::DeviceSession::Setup setup;
    setup.operation = name;
    setup.portNumber = form.portNumber();
    setup.baud = link::ComPort::baudRate(form.baudIndex());
    setup.stepHook = m_guard.hook();
    // The box comes up the moment the link stops, before it sends anything more.
    setup.onStop = [this](link::StopReason failure, const link::Exchanges&) {
        if (const QString box = stopText(failure); !box.isEmpty())
            message(box);
    };
    const link::OpenOutcome& open = m_session.open(std::move(setup));
    if (!open.ok()) {
        m_session.noteMessage(openFailureText(open)); // first: while the box is up, the line names it
        showOpenFailure(open);
        return;
    }
    std::optional<std::uint8_t> id;
    if (slaveId == SlaveId::FromForm) {
        const QString idText = form.ModbusID() ? form.ModbusID()->text() : QString();
        const link::SlaveIdText parsed = link::slaveIdFromText(idText);
        if (!parsed.id) {
            const QString box = slaveIdRefusal(idText, parsed.error);
            if (parsed.error == link::SlaveIdError::NotAnInteger)
                error(box);
            else
                message(box);
            return; // nothing is sent; the port is closed at the end
        }
        id = parsed.id;
    }
    m_session.start(id);
}

void Operation::message(const QString& text)
{
    m_session.noteMessage(text); // first: while the box is up, the operation's line already names it
    dialogs().message(text);
}

void Operation::error(const QString& text)
{
    m_session.noteMessage(text);
    dialogs().error(text);
}

void Operation::closePort()
{
    m_session.closePort();
    // Nothing more goes on the line: what the form shows now (the closing message box
    // included) takes the user's input again.
    m_guard.release();
}

bool Operation::completed() const
{
    return m_session.outcome().kind == link::Outcome::Kind::Done;
}

Operation::~Operation()
{
    closePort();
    if (m_session.opened())
        BusyGuard::setBar(m_form.ProgressBar1(), 0);
    m_session.finish();
    m_form.operationEnded();
}

} // namespace tarnixw::kit
