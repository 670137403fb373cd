#pragma once

#include "model/DeviceModel.h"

#include <QStringList>

namespace tarnixw::cli {

// tarnixw-cli: runs the subcommand named by arguments[1] (arguments[0] is the program) for a
// device of one of `models` and returns the exit status. Needs a QCoreApplication.
int runCommandLine(const QStringList& arguments, const models::Models& models);

// The program's --help text (also the source of its manual page).
QString programHelp(const models::Models& models);

} // namespace tarnixw::cli
