// tarnixw-cli: device configurations from the command line, as readable text.
#include "Commands.h"
#include "Console.h"

#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnixw-cli"));
    tarnixw::cli::prepareStandardStreams();
    // The models tarnixw-cli serves, in the order its help names them.
    return tarnixw::cli::runCommandLine(
        QCoreApplication::arguments(), {&tarnixw::vyr::description(), &tarnixw::plix::description()});
}
