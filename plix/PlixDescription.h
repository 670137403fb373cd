#pragma once

#include "PlixParamSet.h"

#include "model/DeviceModel.h"

namespace tarnixw::plix {

// The PLIXARO as the programs that serve every model know it.
const models::DeviceModel& description();

// The parameter image a configuration of this model holds, and the configuration of an image.
PLIXParamSet paramSetOf(const models::Configuration& c);
models::Configuration configurationOf(const PLIXParamSet& paramSet);

} // namespace tarnixw::plix
