#pragma once

#include "InProcessPort.h"

#include "link/SerialPort.h"

namespace tarnixw::sim {

// Opens every port as the given in-process port, so that a form's device operations talk to
// a simulated device in the port's clock. Each open hands out a new handle (the program owns
// and closes it); the simulated line behind it outlives the handles.
class SimPortOpener final : public link::PortOpener {
public:
    explicit SimPortOpener(InProcessPort& port)
        : m_port(port)
    { }
    link::OpenResult open(const std::string& devicePath, int baud) override;

    int attempts = 0; // every open asked for
    int opens = 0; // handles handed out
    int closes = 0; // handles closed
    int lastBaud = 0;
    std::string lastPath;
    // When set, opens fail with this error (a port that cannot be opened or set up).
    link::OpenError failWith = link::OpenError::None;
    // When set, only a device the system's port list shows opens; any other is no such port
    // (on Windows a COM name is opened without asking the list, as a real port would be).
    bool onlyListed = false;

private:
    InProcessPort& m_port;
};

} // namespace tarnixw::sim
