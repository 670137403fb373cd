#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tarnixw::link {

// One value of the system's list of serial ports: the kernel device name and the port name.
struct PortListValue {
    QString name; // "\Device\ttyUSB0"
    QString data; // "COM3"
    bool operator==(const PortListValue&) const = default;
};

// The system's list of serial ports in enumeration order, or nothing when it cannot be read.
using PortListReader = std::function<std::optional<std::vector<PortListValue>>()>;

// Reads PortList::system().
PortListReader systemPortListReader();

// The unplug/plug procedure of Check COM: two prompts, then the list is read once and the port
// listed last is taken as the cable's port, and the user is told which it is. Returns that
// port's number, or nothing when no port could be set (the user has been told why).
std::optional<int> CheckCOM(const PortListReader& reader = systemPortListReader());

// The number formed by the digits at the end of a port name ("COM12" -> 12); nothing when it
// does not end in digits or the number is 0.
std::optional<int> trailingPortNumber(const QString& portName);

} // namespace tarnixw::link
