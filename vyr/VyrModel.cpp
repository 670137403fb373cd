#include "VyrModel.h"

namespace tarnixw::vyr {

void ScreenState::resetToBuild()
{
    *this = ScreenState{};
    VYRChanInUse.fill(kOn);
    VYRAllInUse = kOn;
    for (auto& row : DIAlarm)
        row.fill(kOn);
}

ModelState& model()
{
    static ModelState state;
    return state;
}

void resetModel()
{
    model() = ModelState{};
}

} // namespace tarnixw::vyr
