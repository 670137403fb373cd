// tarnixw-cli serving the product models and the test-only third one.
#include "QuadModel.h"

#include "cli/Commands.h"
#include "cli/Console.h"
#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnixw-cli"));
    tarnixw::cli::prepareStandardStreams();
    return tarnixw::cli::runCommandLine(QCoreApplication::arguments(),
        {&tarnixw::vyr::description(), &tarnixw::plix::description(), &tarnixw::test::quadModel()});
}
