#include "Program.h"

#include "Application.h"
#include "Logo1.h"
#include "Main1.h"

#include "kit/FormKit.h"
#include "kit/QtDialogs.h"
#include "resources/Artwork.h"

#include <QPointer>

namespace tarnixw::app {

int runProgram(Application& application)
{
    kit::QtDialogs dialogs;
    kit::Dialogs* const previous = kit::setDialogs(&dialogs);
    int rc = 1;
    try {
        application.setFont(kit::formFont());
        application.setWindowIcon(artwork::programIcon());
        application.setQuitOnLastWindowClosed(false); // the splash decides when the program ends

        QPointer<TLogo> logo;
        logo = new TLogo([&logo] {
            // Created on the third tick, shown modally, destroyed when it returns.
            TMain main([&logo] {
                if (logo)
                    logo->close();
            });
            main.exec();
        });
        logo->setAttribute(Qt::WA_DeleteOnClose, false);
        logo->show();
        rc = application.exec();
        delete logo.data();
    } catch (...) {
        showEscapedError(std::current_exception());
        rc = 1;
    }
    kit::setDialogs(previous);
    return rc;
}

} // namespace tarnixw::app
