#pragma once

#include "VyrParamSet.h"

#include "model/DeviceModel.h"

namespace tarnixw::vyr {

// The VYRANTA as the programs that serve every model know it.
const models::DeviceModel& description();

// The record a configuration of this model holds, and the configuration of a record.
VYRParamSet recordOf(const models::Configuration& c);
models::Configuration configurationOf(const VYRParamSet& record);

} // namespace tarnixw::vyr
