#pragma once

#include "ScriptedDialogs.h"
#include "TempPorts.h"
#include "TestData.h"
#include "tests/support/Models.h"

#include "kit/DeviceForm.h"
#include "link/Clock.h"
#include "sim/Device.h"
#include "sim/InProcessPort.h"
#include "sim/SimPortOpener.h"

#include <cstdint>
#include <vector>

namespace tarnixw::test {

// One simulated device on COM1, in virtual time, with every seam of a device form scripted:
// the port list names it, every port opens onto it, the operations wait on the virtual clock
// and the dialogs are recorded. Installed for its lifetime.
struct SimLine {
    explicit SimLine(test::Model model, std::uint8_t deviceId = 1);
    ~SimLine();
    SimLine(const SimLine&) = delete;
    SimLine& operator=(const SimLine&) = delete;

    // Every frame the form sent, in order.
    const std::vector<std::vector<std::uint8_t>>& written() const { return port.written(); }

    TempPorts ports;
    ScriptedDialogs dialogs;
    link::VirtualClock clock;
    sim::Device device;
    sim::InProcessPort port;
    sim::SimPortOpener opener;
    kit::Session session{0, 0, formModels()};

private:
    link::PortOpener* m_previousOpener = nullptr;
    link::Clock* m_previousClock = nullptr;
};

} // namespace tarnixw::test
