#pragma once

#include "link/ComPort.h"
#include "link/ModbusLink.h"
#include "link/PortDiscovery.h"

#include <QString>
#include <optional>

// The texts the windows show, in one place, and how the link's outcomes become boxes.
namespace tarnixw::kit::text {

inline QString readDone()
{
    return QStringLiteral("Read Done.");
}
inline QString writeDone()
{
    return QStringLiteral("Write Done.");
}
inline QString loadFileDone()
{
    return QStringLiteral("Load File Done.");
}
inline QString saveFileDone()
{
    return QStringLiteral("Save File Done.");
}
inline QString noResponse()
{
    return QStringLiteral("Device No Response !!");
}
inline QString responseError()
{
    return QStringLiteral("Response Error !!");
}
inline QString idFound(int id)
{
    return QStringLiteral("ID  =  %1").arg(id);
}
inline QString idNotFound()
{
    return QStringLiteral("Can not Find Device ID !!");
}
inline QString slaveIdOutOfRange()
{
    return QStringLiteral("Please input a Modbus ID between 1 and 255.");
}
inline QString outOfDeviceRange()
{
    return QStringLiteral("A value on the screen is out of the range the device can store.");
}

// The two port errors: the system boxes' captions and texts.
inline QString openErrorCaption()
{
    return QStringLiteral("Comm Error");
}
inline QString openError()
{
    return QStringLiteral("OPEN COM ERROR!!");
}
inline QString setupErrorCaption()
{
    return QStringLiteral("Set Error");
}
inline QString setupError()
{
    return QStringLiteral("COM SETUP ERROR!!!");
}

// The two prompts of Check COM.
QString unplugPrompt();
QString plugPrompt();

} // namespace tarnixw::kit::text

namespace tarnixw::kit {

// The box of a failed step: "Device No Response !!" or "Response Error !!"; empty for a cancel.
QString stopText(link::StopReason failure);

// The system box of a port that did not open ("OPEN COM ERROR!!" or "COM SETUP ERROR!!!"),
// with a detail the user can act on, and its text alone.
void showOpenFailure(const link::OpenOutcome& outcome);
QString openFailureText(const link::OpenOutcome& outcome);

// The box of a ModbusID text that is no slave id: the toolkit's conversion error (an error
// box) or the range message.
QString slaveIdRefusal(const QString& idText, link::SlaveIdError error);

// The unplug/plug procedure of Check COM: the two prompts, then the list is read once and the
// port listed last is taken as the cable's, and the user is told which it is. Returns that
// port's number, or nothing when no port could be set (the user has been told why).
std::optional<int> CheckCOM(const link::PortListReader& reader = link::systemPortListReader());

} // namespace tarnixw::kit
