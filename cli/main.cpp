// tarnixw-cli: device configurations from the command line, as readable text.
#include "Commands.h"
#include "Console.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnixw-cli"));
    tarnixw::cli::prepareStandardStreams();
    return tarnixw::cli::runCommandLine(QCoreApplication::arguments());
}
