#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tarnixw::link {

// What is behind a port.
enum class PortKind { Uart, Usb, Virtual, Network };

// One serial port as the rest of the program sees it: a kernel-style device name
// ("\Device\ttyUSB0"), the port name the user picks ("COM3") and the device to open.
struct PortEntry {
    QString deviceName;
    QString portName;
    QString devicePath;
    std::int64_t appearedNs = 0; // when the port appeared (device node ctime, link mtime)
    int number = 0; // the N of "COMN"
    // The name that stays the port's from run to run, for scripts: a virtual port's name, a
    // USB adapter's /dev/serial/by-id name (its maker, product and serial), a UART's device
    // name, or for either of those the name of a virtual port that links to it; on Windows its
    // COM name.
    QString stableName;
    // The hardware's own stable name when a virtual port's link has named it otherwise (the
    // by-id name stays usable as well).
    QString hardwareName;
    // Windows names its ports itself (the registry's data, "COM7"); the list keeps those names
    // and numbers. Elsewhere the list numbers the ports.
    bool namedBySystem = false;

    // What the port is, for a list a person reads: a USB adapter with what its USB device
    // tells of itself (each empty where sysfs has nothing), another hardware UART, a virtual
    // port, or a network port of the user's file (its name the stable name, its address the
    // device path). linkPath is the link in the virtual-port directory that points at
    // devicePath: a virtual port's own, or one that names a hardware port.
    PortKind kind = PortKind::Uart;
    QString usbId; // "0403:6001"
    QString usbVendor;
    QString usbProduct;
    QString usbSerial;
    QString linkPath;
};

// Where the ports come from. On Linux, real hardware ports are found under sysfs; virtual
// ports are the links in the virtual-port directory (a simulator, a socat pseudo-terminal, ...).
// On Windows, the system's list is the registry key below the local machine, which names each
// port (COMn) itself.
struct PortSources {
    // The Linux sources at these places (a test's tree), every other place as it is.
    static PortSources at(QString sysClassTty, QString devDir, QString virtualDir)
    {
        PortSources s;
        s.sysClassTty = std::move(sysClassTty);
        s.devDir = std::move(devDir);
        s.virtualDir = std::move(virtualDir);
        s.serialById = s.devDir + QStringLiteral("/serial/by-id");
        return s;
    }

    QString sysClassTty = QStringLiteral("/sys/class/tty");
    QString devDir = QStringLiteral("/dev");
    QString virtualDir; // empty: virtualPortDirectory()
    QString registryKey = QStringLiteral("HARDWARE\\DEVICEMAP\\SERIALCOMM");
    QString serialById = QStringLiteral("/dev/serial/by-id"); // udev's stable links of USB adapters
    QString networkFile; // the user's network ports; empty: networkPortsFile()
};

// The directory in which virtual ports are published: $XDG_RUNTIME_DIR/tarnixw/ports when
// XDG_RUNTIME_DIR is set, else /tmp/tarnixw-<uid>/ports.
QString virtualPortDirectory();

// The list of serial ports, in the order in which they appeared (oldest first, ties by name),
// so that an adapter plugged in last comes last. Ports are numbered at the first listing of a
// run in that order; a port keeps its number while it stays listed, and a newly listed port
// takes the lowest free number. On Windows the list is the registry's, in its enumeration
// order, and each port keeps the name Windows gave it.
class PortList {
public:
    explicit PortList(PortSources sources = {});

    // Scans the sources again: the serial ports, then the network ports of the user's file.
    // Nothing when the system's list of ports cannot be read at all.
    std::optional<std::vector<PortEntry>> refresh();
    // What was wrong with the lines of the network ports file at the last refresh.
    const QStringList& networkProblems() const { return m_networkProblems; }
    // The entry whose port name is "COM" + number, after a fresh scan.
    std::optional<PortEntry> find(int number);

    // The list every form uses.
    static PortList& system();
    // Replaces the list system() returns (tests); returns the previous one. Not owned.
    static PortList* setSystem(PortList* list);

private:
    std::vector<PortEntry> scan(bool& ok) const;

    PortSources m_sources;
    std::map<QString, int> m_numbers; // device name -> number, while listed
    QStringList m_networkProblems;
};

} // namespace tarnixw::link
