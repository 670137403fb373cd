// Tarnixw: configures VYRANTA and PLIXARO devices over a USB serial cable.
#include "Application.h"
#include "Logo1.h"
#include "Main1.h"

#include "link/FormKit.h"
#include "link/QtDialogs.h"
#include "resources/Artwork.h"

#include <QPointer>

using namespace tarnixw;

int main(int argc, char** argv)
{
    app::Application application(argc, argv);
    link::QtDialogs dialogs;
    link::setDialogs(&dialogs);
    try {
        application.setFont(link::ui::formFont());
        application.setWindowIcon(artwork::programIcon());
        application.setQuitOnLastWindowClosed(false); // the splash decides when the program ends

        QPointer<app::TLogo> logo;
        logo = new app::TLogo([&logo] {
            // Created on the third tick, shown modally, destroyed when it returns.
            app::TMain main([&logo] {
                if (logo)
                    logo->close();
            });
            main.exec();
        });
        logo->setAttribute(Qt::WA_DeleteOnClose, false);
        logo->show();
        const int rc = application.exec();
        delete logo.data();
        return rc;
    } catch (...) {
        app::showEscapedError(std::current_exception());
        return 1;
    }
}
