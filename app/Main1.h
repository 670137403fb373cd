#pragma once

#include "kit/DeviceForm.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <functional>

class QPushButton;

namespace tarnixw::app {

struct DeviceButton;

// The main window: one picture button per device model. It keeps the selected port
// (ComIndex) for the whole run and runs the start-up port check.
//
// It is shown modally, but it is not a QDialog: it hides itself while a device form is up, and
// hiding a dialog would end its modal showing. Its showing ends only when it is closed; it has
// no cancel button, so Escape does nothing.
class TMain : public QWidget {
    Q_OBJECT
public:
    // closeLogo closes the splash form, which ends the program.
    explicit TMain(std::function<void()> closeLogo, QWidget* parent = nullptr);

    kit::Session& session() { return m_session; }
    int ComIndex() const { return m_session.ComIndex; }
    int ComCheckCount() const { return m_session.ComCheckCount; }

    void CheckCOMClick();
    // The picture buttons of the models (Devices.cpp).
    void VYRButtonClick();
    void PLIXButtonClick();

    // Shows the window modally and returns when it has been closed.
    void exec();

    // The device form shown at the moment, if any (tests).
    QDialog* deviceForm() const { return m_deviceForm; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void runDeviceForm(QDialog* form);
    void openDeviceForm(const DeviceButton& device);
    void FormClose();

    kit::Session m_session;
    std::function<void()> m_closeLogo;
    QPointer<QDialog> m_deviceForm;
    bool m_checking = false;
    QEventLoop* m_loop = nullptr;
};

} // namespace tarnixw::app
