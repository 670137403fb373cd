#pragma once

#include "SerialPort.h"

namespace tarnixw::link {

// A COM port opened through the Win32 communications functions: exclusive, synchronous, with
// the driver's own timeouts and queue sizes. Reads take only what the driver reports as
// received, so they never wait. Once the device has vanished (the adapter pulled) the port
// reports no bytes and refuses writes; close() still succeeds.
class WinSerialPort final : public SerialPort {
public:
    // handle: the port; claim: the program-wide claim on it (see WinPortOpener), or null.
    WinSerialPort(void* handle, void* claim);
    ~WinSerialPort() override;

    bool isOpen() const override { return m_handle != nullptr; }
    void purge() override;
    void purgeReceive() override;
    long write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    void close() override;

private:
    void* m_handle = nullptr; // HANDLE
    void* m_claim = nullptr; // HANDLE of the named mutex
    bool m_vanished = false;
};

// Opens "\\.\COMn" (or any device name Windows takes) at a baud rate of the table, 8N1.
// Windows' serial drivers give a port to one handle at a time (share mode 0); not every driver
// does (Wine's, some virtual ports), so every Tarnixw program also claims the port by a named
// mutex, as the Linux port takes a lock: a second Tarnixw is kept out either way.
class WinPortOpener final : public PortOpener {
public:
    OpenResult open(const std::string& devicePath, int baud) override;
};

// The name CreateFileA is given for a port number: "\\.\COM12". Windows opens the ports above
// COM9 only through the device namespace; the prefix is harmless for the others.
std::string winDeviceName(int portNumber);

} // namespace tarnixw::link
