#pragma once

#include "model/DeviceModel.h"

namespace tarnixw::sim {

// tarnixw-devsim with its command line: a device of one of `models` (the first when none is
// chosen) on a pseudo-terminal until SIGINT or SIGTERM. The exit code.
int runDevsim(int argc, char** argv, const models::Models& models);

} // namespace tarnixw::sim
