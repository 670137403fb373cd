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

// What the system's list of serial ports says of the cable, read once after the user has
// unplugged and plugged it (the prompts are the window's): the port listed last whose kernel
// name contains "Device" (exact case) is the cable's.
struct CablePort {
    enum class Finding {
        Found, // `number` is the cable's port
        NoList, // the list cannot be read at all
        NoPorts, // the list is empty
        NoDevicePort, // no entry names a "Device" with a port number
    };
    Finding finding = Finding::NoList;
    int number = 0;
};
CablePort findCablePort(const PortListReader& reader = systemPortListReader());

// The number formed by the digits at the end of a port name ("COM12" -> 12); nothing when it
// does not end in digits or the number is 0.
std::optional<int> trailingPortNumber(const QString& portName);

} // namespace tarnixw::link
