#pragma once

#include "SerialPort.h"

#include <QString>
#include <memory>

namespace tarnixw::link {

// The serial port of one device model (its ComHandle). Every device operation opens it at its
// start with the values the form shows at that moment and closes it at its end.
class ComPort {
public:
    ComPort() = default;
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    // Opens "COM" + portNumber at the baud rate of baudIndex. On failure the user has been
    // shown "OPEN COM ERROR!!" or "COM SETUP ERROR!!!" and nothing is held.
    bool OpenComPort(int portNumber, int baudIndex);
    // Opens a serial device by its path (a node in /dev, a virtual port's link) at a baud rate
    // of the table, with the same messages, which name the path.
    bool OpenComPath(const QString& devicePath, int baud);
    // Closes the port without purging.
    void CloseComPort();
    // A form closing with the port still open: discard pending input, then close.
    void closeForFormClose();

    SerialPort* ComHandle() const { return m_handle.get(); }
    bool isOpen() const { return m_handle != nullptr; }
    // The device the open port is ("/dev/ttyUSB0"); empty while closed.
    const QString& devicePath() const { return m_devicePath; }

    // 0 -> 9600, 1 -> 19200, 2 -> 38400, 3 -> 115200, anything else (no item selected) -> 19200.
    static int baudRate(int baudIndex);

    // How ports are opened (the termios opener unless a test installs another). Not owned.
    static PortOpener& opener();
    static PortOpener* setOpener(PortOpener* opener);

private:
    bool openDevice(const QString& devicePath, const QString& label, int baud);

    std::unique_ptr<SerialPort> m_handle;
    QString m_devicePath;
};

} // namespace tarnixw::link
