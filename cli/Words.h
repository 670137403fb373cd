#pragma once

#include "Config.h"

#include "link/ComPort.h"
#include "link/ModbusLink.h"
#include "link/PortList.h"
#include "words/Words.h"

#include <QStringList>
#include <vector>

// tarnixw-cli's own words for what the link reports: the forms' texts first, so a technician
// who knows the forms recognises them, then why and what to do.
namespace tarnixw::cli {

// "a, b or c"; "a, b and c" with Words::cliAnd().
QString oneOf(const QStringList& items, const QString& last = Words::cliOr());

// "OPEN COM ERROR!! COM4 is not connected; see 'tarnixw-cli ports'." and the like.
QString openFailure(const link::OpenOutcome& outcome);

// "Device No Response !!" or "Response Error !!" with the last answer's verdict and the next
// step.
QString stopFailure(const link::Exchanges& exchanges);

// What a write that stopped part way (or was interrupted) left on the device, in the user's
// terms: nothing, a part ("AI 0–5 and the DI modules are written, AI 6 in part, the rest is
// not"), or everything; for a device with a write gate also when it may still be open. `ready`
// is the configuration that was being written, `answered` the requests the device answered.
QString writtenState(const Configuration& ready, const std::vector<link::Request>& answered);

// What a port is, as 'ports' says it: "USB adapter 0403:6001 FTDI FT232R, serial A1", "UART",
// "virtual port /run/user/1000/tarnixw/ports/site-vyr".
QString portDescription(const link::PortEntry& entry);

} // namespace tarnixw::cli
