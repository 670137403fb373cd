#pragma once

#include "ComPort.h"
#include "ModbusLink.h"
#include "Traffic.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tarnixw::link {

// How a device operation ended, for the front end to put in its own words.
struct Outcome {
    enum class Kind {
        Done, // every exchange was answered
        NotOpened, // the port could not be opened or set up (`open` says why)
        NotStarted, // opened, but the front end sent nothing (a refused slave id, say)
        Stopped, // no response, or a response error (`exchanges` says which and where)
        Cancelled, // cancelled at a wait step
    };
    Kind kind = Kind::NotStarted;
    OpenOutcome open;
    Exchanges exchanges;
};

// One device operation on a model's port, as both front ends run it (the forms' Read, Write
// and ID Search, tarnixw-cli's read, write and search): the port opened with the settings of
// the moment, the operation and its every frame recorded in a line traffic log, the Modbus
// link set up on the operation clock, then the port closed and the outcome told.
//
//     DeviceSession session(port, buffers, log);
//     if (session.open(setup).ok() && session.start(slaveId)) { ...exchanges on session.link()... }
//     session.closePort();
//     const Outcome outcome = session.outcome();
//
// The front end adds what it needs: the forms their busy state, bar and boxes, the command
// line Ctrl+C and its console. The log records the messages the front end reports with
// noteMessage(). The port is closed, and the operation's record ended, at the latest when the
// session ends.
class DeviceSession {
public:
    struct Setup {
        QString operation; // how the line traffic names it: "Read", "Write", "ID Search"
        int portNumber = 0; // "COM" + portNumber (COM0 too) when no devicePath is given
        QString devicePath;
        int baud = 19200;
        // The slave the record names before start() (a front end that knows it already).
        std::optional<std::uint8_t> slave;
        bool fastAnswers = false;
        ModbusLink::StepHook stepHook;
        ModbusLink::StopObserver onStop;
        // Asked while a network port's connect waits: true ends it (Ctrl+C).
        std::function<bool()> interrupted;
    };

    DeviceSession(ComPort& port, ModelBuffers& buffers, TrafficLog& log);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Begins the operation's record and opens the port.
    const OpenOutcome& open(Setup setup);
    // Sets up the link (StopFlag and SilenceCount at their start values) for the slave, or for
    // none when the operation probes ids itself. False when the port is not open.
    bool start(std::optional<std::uint8_t> slave);
    // The link once started, until the port closes.
    ModbusLink* link() { return m_link ? &*m_link : nullptr; }

    // A message the user was told, for the operation's record.
    void noteMessage(const QString& text);
    // Closes the port; the link goes with it.
    void closePort();
    // Ends the operation's record (after its last message).
    void finish();

    bool opened() const { return m_opened; }
    // How it went (so far).
    Outcome outcome() const;

private:
    ComPort& m_port;
    ModelBuffers& m_buffers;
    TrafficLog& m_log;
    Setup m_setup;
    OpenOutcome m_open;
    bool m_opened = false;
    bool m_started = false;
    bool m_finished = false;
    Exchanges m_exchanges; // kept when the link goes
    std::optional<ModbusLink> m_link;
};

} // namespace tarnixw::link
