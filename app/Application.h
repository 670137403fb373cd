#pragma once

#include <QApplication>

namespace tarnixw::app {

// An error escaping an event handler ends that handler only: it is shown in an error box with
// its message and the program goes on.
class Application final : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error that escaped a handler or the start-up (a value that is not an error object
// is shown with an empty message).
void showEscapedError(std::exception_ptr error);

} // namespace tarnixw::app
