#include "Messages.h"

#include "Dialogs.h"

namespace tarnixw::kit {

namespace {

// What the user can do about a port that did not open.
QString openDetail(const link::OpenOutcome& o)
{
    switch (o.error) {
    case link::OpenError::NoSuchPort:
        // A device path was named directly; Check COM finds COM numbers.
        return o.port.startsWith(QLatin1String("COM")) ? text::portNotConnectedTryCheckCom(o.port)
                                                       : text::portNotConnected(o.port);
    case link::OpenError::Busy:
        return text::portInUseCloseIt(o.port);
    case link::OpenError::PermissionDenied:
        return text::portNotPermitted(o.port);
    case link::OpenError::SetupFailed:
        return QString::fromStdString(o.detail);
    default:
        return o.detail.empty() ? QString() : text::labelled(o.port, QString::fromStdString(o.detail));
    }
}

} // namespace

QString stopText(link::StopReason failure)
{
    if (failure == link::StopReason::NoResponse)
        return text::noResponse();
    return failure == link::StopReason::ResponseError ? text::responseError() : QString();
}

QString openFailureText(const link::OpenOutcome& outcome)
{
    return outcome.error == link::OpenError::SetupFailed ? text::setupError() : text::openError();
}

void showOpenFailure(const link::OpenOutcome& outcome)
{
    const bool setup = outcome.error == link::OpenError::SetupFailed;
    dialogs().systemMessage(
        setup ? text::setupErrorCaption() : text::openErrorCaption(), openFailureText(outcome), openDetail(outcome));
}

QString slaveIdRefusal(const QString& idText, link::SlaveIdError error)
{
    return error == link::SlaveIdError::NotAnInteger ? text::notAnInteger(idText) : text::slaveIdOutOfRange();
}

std::optional<int> CheckCOM(const link::PortListReader& reader)
{
    dialogs().message(text::unplugPrompt());
    dialogs().message(text::plugPrompt());
    const link::CablePort cable = link::findCablePort(reader);
    switch (cable.finding) {
    case link::CablePort::Finding::Found:
        dialogs().message(text::comPortSet(cable.number));
        return cable.number;
    case link::CablePort::Finding::NoList:
        dialogs().message(text::portListMissing());
        break;
    case link::CablePort::Finding::NoPorts:
        dialogs().message(text::noComPortToSelect());
        break;
    case link::CablePort::Finding::NoDevicePort:
        dialogs().message(text::noComPortToSelect() + QLatin1Char('\n') + text::makeSureCableConnected());
        break;
    }
    return std::nullopt;
}

} // namespace tarnixw::kit
