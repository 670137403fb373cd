#pragma once

#include "link/ComPort.h"
#include "link/ModbusLink.h"
#include "link/PortDiscovery.h"
#include "words/Words.h"

#include <QString>
#include <optional>

// How the link's outcomes become the forms' boxes.
namespace tarnixw::kit {

// The texts the windows show are the words every front end shares (text::readDone() and the
// like); what needs a widget, showing them, is here.
using text = ::tarnixw::Words;

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
