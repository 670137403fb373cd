#pragma once

// The PLIXARO model: parameter image, field checks, staging, packing, decoding and the
// configuration file, with no widget in sight. The form moves text between its boxes and
// these types.
#include "PlixDecode.h"
#include "PlixFields.h"
#include "PlixFile.h"
#include "PlixPack.h"
#include "PlixParamSet.h"
#include "PlixStaging.h"
#include "PlixTransfer.h"

#include "link/ComPort.h"
#include "link/Modbus.h"

namespace tarnixw::plix {

// Everything of the PLIX model that lives for the whole run: the parameter image (all zero at
// start), the channel flags (both enabled at start), the link buffers (whose DeviceImage a
// Read fills) and the port (its ComHandle). Opening or closing the form resets none of it.
struct ModelState {
    PLIXParamSet paramSet;
    bool CH0Enabled = true;
    bool CH1Enabled = true;
    link::ModelBuffers buffers = plix::buffers();
    link::ComPort port;

    ChannelFlags flags() const { return {CH0Enabled, CH1Enabled}; }
    void setFlags(ChannelFlags f)
    {
        CH0Enabled = f.ch0Enabled;
        CH1Enabled = f.ch1Enabled;
    }
};

// The process-wide instance.
ModelState& model();
// Back to the start-of-run state (for tests).
void resetModel();

// Open File into the model: the image takes the file and the flags its mask.
LoadResult loadConfigurationFile(const QString& path, ModelState& m);

} // namespace tarnixw::plix
