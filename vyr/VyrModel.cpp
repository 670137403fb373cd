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

void ScreenState::adoptScreen(const Screen& screen)
{
    VYRChanInUse = screen.VYRChanInUse;
    DIChanInUse = screen.DIChanInUse;
    DIAlarm = screen.DIAlarm;
    DOMap = screen.DOMap;
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n) {
            const bool inUse = screen.DIChanInUse[m][n] != 0;
            DIClose[m][n] = inUse && screen.DICloseTicked[m][n] ? 1 : 0;
            DIOpen[m][n] = inUse && screen.DIOpenTicked[m][n] ? 1 : 0;
        }
}

ModelState& model()
{
    static ModelState state;
    return state;
}

void resetModel()
{
    ModelState& m = model();
    m.paramSet = {};
    m.screen = {};
    m.buffers = vyr::buffers();
    m.port.close();
}

} // namespace tarnixw::vyr
