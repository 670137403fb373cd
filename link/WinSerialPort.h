#pragma once

#include "SerialPort.h"

#include <optional>
#include <string>
#include <vector>

namespace tarnixw::link {

// What a failed Win32 call on an open port means for the rest of the operation.
enum class PortErrorKind {
    Gone, // the device is gone for good: the adapter was pulled, the handle is no longer valid
    LineError, // the driver aborted the call after a line error (the port's fAbortOnError is
               // set): ClearCommError lets the port work again
    Other, // this call failed; the port stays in use
};
PortErrorKind classifyPortError(unsigned long code);

// The timeouts a port is given at open: reads return at once with what has arrived, a write
// gives up after its bytes' line time (rounded up to whole milliseconds a byte) plus one
// second, so a handshake that is never granted cannot hold the program.
struct PortTimeouts {
    unsigned long readInterval = 0;
    unsigned long readTotalMultiplier = 0;
    unsigned long readTotalConstant = 0;
    unsigned long writeTotalMultiplier = 0;
    unsigned long writeTotalConstant = 0;
    bool operator==(const PortTimeouts&) const = default;
};
PortTimeouts portTimeoutsFor(int baud);

// A COM port opened through the Win32 communications functions: exclusive, synchronous, with
// the driver's own queue sizes and the timeouts above. Reads take only what the driver
// reports as received. Once the device has vanished (the adapter pulled) the port reports no
// bytes and refuses writes; close() still succeeds.
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

    // The timeouts the driver holds now, read back.
    std::optional<PortTimeouts> timeouts() const;

private:
    // A call failed with the last error: the port is gone, or a line error is cleared.
    void failed();

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

// One value of an open registry key (an HKEY), read whole: the buffers start at the sizes
// given and grow when the value has grown since they were sized (an adapter plugged in
// between, which Windows reports as ERROR_MORE_DATA). Nothing when there is no such value.
struct RegistryValue {
    std::wstring name;
    unsigned long type = 0;
    std::vector<unsigned char> data;
};
std::optional<RegistryValue> readRegistryValue(
    void* key, unsigned long index, unsigned long nameChars, unsigned long dataBytes);

} // namespace tarnixw::link
