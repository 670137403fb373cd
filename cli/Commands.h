#pragma once

#include <QStringList>

namespace tarnixw::cli {

// tarnixw-cli: runs the subcommand named by arguments[1] (arguments[0] is the program) and
// returns the exit status. Needs a QCoreApplication.
int runCommandLine(const QStringList& arguments);

// The program's --help text (also the source of its manual page).
QString programHelp();

} // namespace tarnixw::cli
