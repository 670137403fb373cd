#pragma once

#include "SerialPort.h"

#include <QString>
#include <functional>
#include <memory>

namespace tarnixw::link {

// How an open went: done, or why not (the system's reason in `detail`), for the port as the
// user named it ("COM3", or a device path).
struct OpenOutcome {
    OpenError error = OpenError::None;
    std::string detail;
    QString port;
    bool ok() const { return error == OpenError::None; }
};

// The serial port of one device model (its ComHandle). Every device operation opens it at its
// start with the values the form shows at that moment and closes it at its end.
class ComPort {
public:
    ComPort() = default;
    ComPort(const ComPort&) = delete;
    ComPort& operator=(const ComPort&) = delete;

    // Opens "COM" + number at a baud rate of the table (baudRate()). On failure nothing is held.
    // A network port's connect asks `stop` while it waits.
    OpenOutcome openNumbered(int number, int baud, const std::function<bool()>& stop = {});
    // Opens a serial device by its path (a node in /dev, a virtual port's link) or a network
    // port by its address (socket://, rfc2217://, tcp://) at a baud rate of the table.
    OpenOutcome openPath(const QString& devicePath, int baud, const std::function<bool()>& stop = {});
    // Closes the port without purging.
    void close();
    // The form closes with the port still open: discard pending input, then close.
    void closeWithForm();

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
    OpenOutcome openDevice(
        const QString& devicePath, const QString& label, int baud, const std::function<bool()>& stop);

    std::unique_ptr<SerialPort> m_handle;
    QString m_devicePath;
};

} // namespace tarnixw::link
