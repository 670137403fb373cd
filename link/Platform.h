#pragma once

#include "SerialPort.h"

#include <QString>
#include <optional>

// What differs between the platforms: one implementation file each (PosixPortList.cpp,
// WinPortList.cpp), chosen by the build.
namespace tarnixw::link {

// How ports are opened on this system.
PortOpener& systemPortOpener();
// The device to open for "COM" + portNumber, or nothing when no such port can exist.
std::optional<QString> comPortDevice(int portNumber);

} // namespace tarnixw::link
