#pragma once

#include "Modbus.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace tarnixw::link {

// The standard name of a Modbus exception code ("Illegal Data Address").
QString exceptionName(int code);

// The verdict in words: "answer", "silence (nothing within the window)", "damaged frame (bad
// CRC)", "incomplete frame (7 of 69 bytes)", "answer from slave 5", "exception 2 (Illegal
// Data Address)", ...
QString describeVerdict(const Verdict& v);

// What a request asks, in words: "read 32 registers from byte 64", "write 1 register at
// 4010", "ID probe".
QString describeRequest(const Request& request);

// Bytes as the program and the simulator log them: upper-case hex pairs separated by spaces.
QString hexBytes(std::span<const std::uint8_t> bytes);

// One frame on the line, as seen by the link: a request it sent, or what came back (possibly
// nothing) with its verdict.
struct Traffic {
    enum class Direction { Sent, Received };
    std::int64_t timeNs = 0;
    Direction direction = Direction::Sent;
    std::vector<std::uint8_t> bytes;
    Verdict verdict; // Received only
    Request request; // Sent only: what it asks
};

// The line of one frame: time since the operation started (0.1 ms), direction, the bytes in
// hex, then what the request asks or what the link made of the answer.
//     "    12.5 ms  ->  01 03 00 20 00 20 45 D8  read 32 registers from byte 32"
//     "   240.1 ms  <-  (nothing)  silence (nothing within the window)"
QString formatTrafficLine(const Traffic& t, std::int64_t operationStartNs);

// One device operation as the traffic view separates them: which operation, on which port,
// at which rate, with which slave, and the messages the user was shown.
struct TrafficOperation {
    QString name; // "Read", "Write", "ID Search"
    QString port; // "COM3"
    QString device; // the device opened ("/dev/ttyUSB0"), empty when the port did not open
    int baud = 0;
    int slave = 0; // 0: none (the ID search probes every id)
    int windowMs = 0; // a network port's answer window, 0 for the forms' own waits
    std::int64_t startNs = 0;
    QStringList messages;
    bool ended = false;
};

// "==== Read  COM3 (/dev/ttyUSB0)  19200 baud  slave 1  ->  Read Done."
QString formatOperationLine(const TrafficOperation& op);

// The traffic of a device form: its operations and their frames, in order, keeping at most
// `capacity` frames (the oldest rows are dropped first, operation lines among them).
// A view hears of every change, so it can follow as it happens.
class TrafficLog {
public:
    static constexpr int kDefaultCapacity = 20000;

    struct Entry {
        int operation = -1; // serial number of its operation
        bool isFrame = false; // else the operation's line
        Traffic frame;
    };

    explicit TrafficLog(int capacity = kDefaultCapacity);

    // Starts an operation; frames added from now on belong to it until the next starts.
    void beginOperation(TrafficOperation op);
    // The operation being recorded (the last one begun), to complete as it goes.
    TrafficOperation* current();
    // Tells the listeners that the current operation's line changed.
    void updateCurrent();
    void addFrame(const Traffic& t);
    void clear();

    int size() const { return int(m_entries.size()); }
    const Entry& at(int row) const { return m_entries[std::size_t(row)]; }
    const TrafficOperation& operationOf(const Entry& e) const;
    // The text of a row: an operation line or a frame line.
    QString lineAt(int row) const;
    // Every row as text, one a line.
    QStringList lines() const;
    // Frames dropped to keep within the capacity since the log was last cleared.
    long long dropped() const { return m_dropped; }
    int capacity() const { return m_capacity; }

    // Who follows the log (a list view's model): told before and after rows are appended at
    // the end, dropped from the front or all cleared, and when a row changes in place.
    class View {
    public:
        virtual ~View() = default;
        virtual void aboutToAppend(int row) = 0;
        virtual void appended() = 0;
        virtual void aboutToDropFront(int count) = 0;
        virtual void droppedFront() = 0;
        virtual void changed(int row) = 0;
        virtual void aboutToClear() = 0;
        virtual void cleared() = 0;
    };
    // Not owned; nullptr for none.
    void setView(View* view) { m_view = view; }

private:
    // Appends a row of the current operation: its line, or a frame.
    void append(bool isFrame, const Traffic& frame = {});
    void trim();

    int m_capacity;
    std::deque<Entry> m_entries;
    std::deque<TrafficOperation> m_operations; // operation i is m_operations[i - m_firstOperation]
    int m_firstOperation = 0;
    int m_currentRow = -1; // the row of the current operation's line, -1 when it was dropped
    int m_frames = 0;
    long long m_dropped = 0;
    View* m_view = nullptr;
};

} // namespace tarnixw::link
