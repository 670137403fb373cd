#pragma once

#include "Main1.h"

#include "kit/DeviceForm.h"
#include "model/DeviceModel.h"

#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <functional>
#include <vector>

namespace tarnixw::app {

// A device model as the main window offers it: its group box and picture button, and the form
// a click opens (`showMain` brings the main window back when the form closes).
struct DeviceButton {
    const models::DeviceModel* model;
    const char* group; // the group box, captioned with the model's name
    const char* button;
    QRect groupGeometry;
    QPixmap picture;
    void (TMain::*click)();
    std::function<QDialog*(kit::Session& session, std::function<void()> showMain)> form;
};

// The models the program serves, in the main window's tab order.
const std::vector<DeviceButton>& deviceButtons();

} // namespace tarnixw::app
