#pragma once

#include "Config.h"
#include "Console.h"
#include "ExitCode.h"

#include "link/BusScan.h"
#include "link/ComPort.h"
#include "link/DeviceSession.h"
#include "link/ModbusLink.h"
#include "link/Traffic.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tarnixw::cli {

// How a device operation reaches the device.
struct LineSettings {
    int portNumber = 0; // COM number, or 0 when a device path is given
    QString devicePath;
    int baud = 19200;
    std::uint8_t slaveId = 1;
    bool fast = false; // reads and probes end as soon as their answer is in
    bool trace = false; // every frame on standard error, as the forms' line traffic shows it
};

// "COM3" (any case), a port's stable name as 'ports' shows it ("site-vyr", a USB adapter's
// by-id name, a network port's name), a device path ("/dev/ttyUSB0", "/dev/serial/by-id/...")
// or a network address ("socket://host:4001"); false when the text is none of them (`why` then
// says what is wrong with an address).
bool parsePort(const QString& text, LineSettings& settings, QString* why = nullptr);
// 9600, 19200, 38400 or 115200.
std::optional<int> parseBaud(const QString& text);

// One device operation on the port, over the link's device session: opened exclusively at its
// start, closed at its end (also when Ctrl+C stops it at its next wait step), with the bar on a
// terminal, every message on standard error the moment it comes, and with --trace every frame
// of the session's record as it is made.
class DeviceLine final : private link::TrafficLog::View {
public:
    // Whom the operation speaks to: the slave of the settings, or every id in turn (the ID
    // search, which names no slave).
    enum class Target { Slave, EveryId };
    // operation: how the line traffic names it ("Read", "Write", "ID Search").
    DeviceLine(Console& console, QString barLabel, QString operation, Target target = Target::Slave);
    ~DeviceLine() override;
    DeviceLine(const DeviceLine&) = delete;
    DeviceLine& operator=(const DeviceLine&) = delete;

    // Opens the port and starts the link on the model's buffers. Done, or PortError once the
    // reason has been told.
    Exit open(const LineSettings& settings, link::ModelBuffers& buffers);
    link::ModbusLink& link() { return *m_session->link(); }
    // A message for the user, also recorded with the operation.
    void tell(const QString& text);
    // What a failed or interrupted operation left, put after its message.
    using Addendum = std::function<QString(const link::Outcome&)>;
    // Closes the port and tells how the operation ended: Done (with `whenDone` as its message),
    // NoResponse, ResponseError or Interrupted, each failure in one message (the addendum after
    // it).
    Exit close(const Addendum& addendum = {}, const QString& whenDone = {});
    // The operation's record: its line and every frame.
    const link::TrafficLog& log() const { return m_log; }

private:
    // The record's rows as they are appended: printed with --trace.
    void aboutToAppend(int) override { }
    void appended() override;
    void aboutToDropFront(int) override { }
    void droppedFront() override { }
    void changed(int) override { }
    void aboutToClear() override { }
    void cleared() override { }

    Console& m_console;
    QString m_label;
    QString m_operation;
    Target m_target;
    bool m_trace = false;
    bool m_closed = false;
    link::ComPort m_port;
    link::TrafficLog m_log;
    std::optional<link::DeviceSession> m_session;
};

// The model's whole parameter memory as a Read gathers it (the link's DeviceImage). A failure is
// told with `whenStopped` after it (what it means for the command).
Exit readDeviceImage(Console& console, const DeviceModel& model, const LineSettings& settings,
    std::vector<std::uint8_t>& image, const QString& whenStopped = {});

// Sends a configuration made ready for a Write (DeviceModel::readyForWrite) as the form's Write
// sends it, saying "Write Done." when the form would.
Exit writeConfig(Console& console, const Configuration& ready, const LineSettings& settings);

// Probes slave IDs 1..255 as the forms do; the ID that answered.
Exit searchSlaveId(Console& console, const LineSettings& settings, std::uint8_t& found);

// The scan's wait for a silent slave with --fast, and how much longer it waits after the last
// probe: 3 and 9 steps of 15 ms. An answer that starts within 100 ms of its probe is read during
// a later probe's wait or the last one, and told by its slave id, at any of the forms' rates.
inline constexpr int kFastScanSteps = 3;
inline constexpr int kFastScanTailSteps = 9;
// Probes slave IDs first..last at the settings' rate (link::scanBus), each with the forms' wait
// or with --fast the short one. Done (whoever answered), or why the line failed or stopped.
Exit scanSlaves(Console& console, const LineSettings& settings, int first, int last, link::BusScan& found);

} // namespace tarnixw::cli
