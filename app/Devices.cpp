#include "Devices.h"

#include "plix/PlixDescription.h"
#include "plix/PlixForm.h"
#include "resources/Artwork.h"
#include "vyr/VyrDescription.h"
#include "vyr/VyrForm.h"

namespace tarnixw::app {

const std::vector<DeviceButton>& deviceButtons()
{
    // PLIXARO first: it comes first in the tab order.
    static const std::vector<DeviceButton> list{
        {&plix::description(), "GroupBox1", "PLIXButton", {280, 16, 237, 221}, artwork::plixDevice(),
            &TMain::PLIXButtonClick,
            [](kit::Session& s, std::function<void()> showMain) {
                return new plix::TFormPLIX(s, std::move(showMain));
            }},
        {&vyr::description(), "GroupBox2", "VYRButton", {24, 16, 237, 221}, artwork::vyrDevice(),
            &TMain::VYRButtonClick,
            [](kit::Session& s, std::function<void()> showMain) { return new vyr::TFormVYR(s, std::move(showMain)); }},
    };
    return list;
}

// The handlers of the two buttons.
void TMain::PLIXButtonClick()
{
    openDeviceForm(deviceButtons()[0]);
}

void TMain::VYRButtonClick()
{
    openDeviceForm(deviceButtons()[1]);
}

} // namespace tarnixw::app
