#pragma once

#include "SerialPort.h"

struct termios;

namespace tarnixw::link {

// A serial device opened through termios: raw binary 8N1, no flow control, exclusive.
// Once the device has vanished (EIO, hang-up, zero-byte reads) the port reports no bytes
// and refuses writes, but it never throws, blocks or spins, and close() still succeeds.
class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd);
    ~PosixSerialPort() override;

    bool isOpen() const override { return m_fd >= 0; }
    void purge() override;
    void purgeReceive() override;
    long write(std::span<const std::uint8_t> bytes) override;
    std::size_t bytesAvailable() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    void close() override;

private:
    int m_fd = -1;
    bool m_vanished = false;
};

class PosixPortOpener final : public PortOpener {
public:
    OpenResult open(const std::string& devicePath, int baud) override;
};

// The termios speed constant for a standard baud rate (50 to 921600); any other rate gives
// 19200's. And back: the rate of a speed constant, 0 for one of no standard rate.
unsigned baudConstant(int baud);
int baudOfConstant(unsigned constant);

// Whether the settings read back from the driver after applying `wanted` carry its speed and
// frame format (data bits, parity, stop bits): a driver may take the call and keep others.
bool lineSettingsTaken(const ::termios& wanted, const ::termios& got);

} // namespace tarnixw::link
