#include "Application.h"

#include "kit/Dialogs.h"

#include <exception>

namespace tarnixw::app {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{ }

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showEscapedError(std::current_exception());
    }
    return false;
}

void showEscapedError(std::exception_ptr error)
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        // not an error object: shown as an error with an empty message
    }
    try {
        kit::dialogs().error(text);
    } catch (...) {
        // no dialogs installed yet: nothing more can be shown
    }
}

} // namespace tarnixw::app
