#pragma once

// The VYRANTA model: parameter record, screen snapshot, staging, packing, decoding and the
// configuration file, with no widget in sight. The form moves text between its widgets and
// these types.
#include "VyrDecode.h"
#include "VyrFile.h"
#include "VyrPack.h"
#include "VyrParamSet.h"
#include "VyrScreen.h"
#include "VyrStaging.h"
#include "VyrTransfer.h"

#include "link/ComPort.h"
#include "link/Modbus.h"

#include <array>
#include <cstdint>

namespace tarnixw::vyr {

// The screen's state arrays. They outlive a form object; each build of the form resets them.
struct ScreenState {
    std::array<std::int16_t, kAnalogChannels> VYRChanInUse{};
    std::int16_t VYRAllInUse = 0;
    std::array<std::int16_t, kDiModules> DIAllInUse{};
    std::array<std::array<std::int16_t, kDiChannels>, kDiModules> DIChanInUse{};
    std::array<std::array<std::int16_t, kDiChannels>, kDiModules> DIClose{};
    std::array<std::array<std::int32_t, kDiChannels>, kDiModules> DIOpen{};
    std::array<std::array<std::int16_t, kDiChannels>, kDiModules> DIAlarm{};
    // [output r][input c][DO module m], 0 or 1.
    std::array<std::array<std::array<std::int16_t, kDoModules>, kDoInputs>, kDoOutputs> DOMap{};

    // The values right after a build: analog channels and their ALL toggle in use, DI
    // channels and their ALL toggles out of use, alarms on, no relay mode, no DO cell.
    void resetToBuild();

    // Takes the flags and cells of a snapshot: after a Read or Open File (the decoded screen)
    // and after a Write or Save File staged it. A DI channel out of use gets neither relay
    // mode, whatever its boxes show.
    void adoptScreen(const Screen& screen);
};

// Everything of the VYR model that lives for the whole run: the record, the screen state
// arrays, the link buffers (whose DeviceImage a Read fills) and the port (its ComHandle).
struct ModelState {
    VYRParamSet paramSet;
    ScreenState screen;
    link::ModelBuffers buffers = vyr::buffers();
    link::ComPort port;
};

// The one process-wide instance.
ModelState& model();
// Back to the program's start: the record all zeros, the state arrays zero, fresh buffers and
// the port closed. For tests.
void resetModel();

} // namespace tarnixw::vyr
