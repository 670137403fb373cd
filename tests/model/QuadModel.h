#pragma once

#include "model/DeviceModel.h"

namespace tarnixw::test {

// A third device model that exists only in the tests: a four-channel display with a set point
// per channel, an enable mask and an alarm silence, in a 24-byte file (little-endian) and one
// block of device memory (big-endian). It proves that the command line and the simulator serve
// any model through its description alone.
const models::DeviceModel& quadModel();

} // namespace tarnixw::test
