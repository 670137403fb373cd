#pragma once

#include "Modbus.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tarnixw::link {

// The serial line as the Modbus link sees it: synchronous, never blocking.
// A port whose device vanished (cable pulled) reports no bytes and writes
// nothing, but never throws, hangs or spins; close() always succeeds.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    virtual bool isOpen() const = 0;
    // Discard everything pending in both directions.
    virtual void purge() = 0;
    // Discard pending input only (used when a form closes with the port open).
    virtual void purgeReceive() = 0;
    // One synchronous write; returns the count written, or -1.
    virtual long write(std::span<const std::uint8_t> bytes) = 0;
    // Bytes already received and waiting to be read.
    virtual std::size_t bytesAvailable() = 0;
    // Reads at most out.size() of the bytes already received; returns the count.
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    virtual void close() = 0;

    // How frames travel on this port: RTU, unless a network port to a Modbus TCP gateway.
    virtual const Framing& framing() const { return kRtuFraming; }
    // The shortest wait for an answer in milliseconds (a slow or distant network link); 0 keeps
    // the forms' own waits.
    virtual int answerWindowMs() const { return 0; }
    // Whether the connection behind the port has ended (a network server closed it).
    virtual bool connectionLost() const { return false; }
};

// Why an open failed, so the user can be told what to do about it.
enum class OpenError {
    None,
    NoSuchPort, // no port of that number is listed, or its device is gone
    Busy, // another program (or another Tarnixw) holds the port
    PermissionDenied, // the user may not open the device (not in 'dialout')
    Other, // anything else the system reported
    SetupFailed, // opened, but the line settings could not be applied
};

struct OpenResult {
    std::unique_ptr<SerialPort> port; // set when the open succeeded
    OpenError error = OpenError::None;
    std::string detail; // the system's reason, for the box's detail text
};

// Opens a device path with the given baud rate, raw 8N1.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    virtual OpenResult open(const std::string& devicePath, int baud) = 0;
};

} // namespace tarnixw::link
