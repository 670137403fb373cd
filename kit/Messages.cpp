#include "Messages.h"

#include "Dialogs.h"
#include "values/NumberText.h"

namespace tarnixw::kit {

namespace text {

QString unplugPrompt()
{
    return QStringLiteral("Please unplug the USB COM port cable if connected. \n\n"
                          "                       Then press OK button.");
}

QString plugPrompt()
{
    return QStringLiteral("Please plug the Ostrell USB COM port cable, then press OK button.");
}

} // namespace text

namespace {

// What the user can do about a port that did not open.
QString openDetail(const link::OpenOutcome& o)
{
    switch (o.error) {
    case link::OpenError::NoSuchPort:
        // A device path was named directly; Check COM finds COM numbers.
        if (!o.port.startsWith(QLatin1String("COM")))
            return QStringLiteral("%1 is not connected.").arg(o.port);
        return QStringLiteral("%1 is not connected. Use Check COM to find the cable's port.").arg(o.port);
    case link::OpenError::Busy:
        return QStringLiteral("%1 is in use by another program. Close that program and try again.").arg(o.port);
    case link::OpenError::PermissionDenied:
        return QStringLiteral("You may not use %1: add your user to the 'dialout' group "
                              "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(o.port);
    case link::OpenError::SetupFailed:
        return QString::fromStdString(o.detail);
    default:
        return o.detail.empty() ? QString() : QStringLiteral("%1: %2").arg(o.port, QString::fromStdString(o.detail));
    }
}

} // namespace

QString stopText(link::StopReason failure)
{
    switch (failure) {
    case link::StopReason::NoResponse:
        return text::noResponse();
    case link::StopReason::ResponseError:
        return text::responseError();
    default:
        return {};
    }
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
    return error == link::SlaveIdError::NotAnInteger ? values::notAnIntegerMessage(idText) : text::slaveIdOutOfRange();
}

std::optional<int> CheckCOM(const link::PortListReader& reader)
{
    dialogs().message(text::unplugPrompt());
    dialogs().message(text::plugPrompt());
    const link::CablePort cable = link::findCablePort(reader);
    switch (cable.finding) {
    case link::CablePort::Finding::Found:
        dialogs().message(QStringLiteral("COM Port is set to COM%1").arg(cable.number));
        return cable.number;
    case link::CablePort::Finding::NoList:
        dialogs().message(QStringLiteral("Registry -> HARDWAREDEVICEMAPSERIALCOMM Not Found !"));
        break;
    case link::CablePort::Finding::NoPorts:
        dialogs().message(QStringLiteral("You have no COM Port to select."));
        break;
    case link::CablePort::Finding::NoDevicePort:
        dialogs().message(QStringLiteral("You have no COM Port to select.\n"
                                         "Please make sure the Ostrell USB COM port cable is connected."));
        break;
    }
    return std::nullopt;
}

} // namespace tarnixw::kit
