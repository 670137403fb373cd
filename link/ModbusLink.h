#pragma once

#include "Clock.h"
#include "Modbus.h"
#include "SerialPort.h"
#include "Traffic.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tarnixw::link {

enum class ExchangeResult {
    Accepted, // a complete, well-formed answer to the request
    Rejected, // a well-formed frame that is not the expected answer
    Silent, // nothing usable came: no bytes, or a damaged or incomplete frame
};

// What a WriteRegisters step came to.
enum class StepResult { Accepted, Failed, Skipped };

// Why an operation's exchanges stopped (the first reason counts).
enum class StopReason {
    None,
    NoResponse, // a third silence in a phase
    ResponseError, // an intact frame that is not the expected answer
    Cancelled, // cancel(): ended at the next wait step
};

// How an operation's exchanges went: why they stopped (None while nothing stopped them), the
// request at which they stopped, the verdict on the last thing that came back in that phase
// (a silence when nothing did), and every request that was answered, in order.
struct Exchanges {
    StopReason reason = StopReason::None;
    std::optional<Request> stoppedAt;
    Verdict lastAnswer;
    std::vector<Request> answered;
};

// Progress bar value at wait step k of block b (blocks) or at wait step k (single writes).
// An empty rule leaves the bar unchanged.
using BlockProgressRule = std::function<int(int b, int k)>;
using StepProgressRule = std::function<int(int k)>;

// How a WriteRegisters step treats an earlier failure and its own silence.
struct WriteStepRules {
    // Run although StopFlag is set (the PLIX close of the write-enable register), also after
    // cancel(): it then closes what the operation opened, sent once and waited for in full.
    bool runWhenStopped = false;
    // Send once: a silence is neither repeated nor reported (the close after a failed open).
    bool sendOnce = false;
};

inline constexpr int kWaitStepMs = 15;
inline constexpr int kBlockWaitSteps = 16;

// The master's side of the Modbus exchange: purge, send, wait a fixed number of 15 ms
// steps, take what arrived and judge it. One ModbusLink serves one device operation.
//
// An answer is accepted only when it is intact and of exactly the expected shape (judgeAnswer:
// the framing's check, then the PDU's):
//   - a damaged frame (bad CRC) is line noise, whatever its first bytes say, and counts as
//     silence, as a Modbus slave treats a damaged request;
//   - a frame from our slave with the expected function code but the wrong length is
//     incomplete or overrun, and counts as silence too, so no stale byte is ever copied;
//   - an intact frame from another slave id, with another function code, or an exception
//     answer is rejected: "Response Error !!".
// Silences use up the phase's retry budget as a silent device does.
class ModbusLink {
public:
    using StepHook = std::function<void(std::optional<int> barValue)>;
    using TrafficObserver = std::function<void(const Traffic&)>;
    // Told the moment a step fails for want of an answer or for a wrong one (not when the
    // operation is cancelled), before anything else is sent: the moment the user learns of it.
    // The operation stops at the first; a step that runs after it (the PLIX close of the
    // write-enable) may fail again and is told again, with its own reason.
    using StopObserver = std::function<void(StopReason failure, const Exchanges&)>;

    ModbusLink(ModelBuffers& buffers, SerialPort& port, Clock& clock, StepHook stepHook = {},
        TrafficObserver observer = {}, StopObserver stopObserver = {});

    // Per-operation state, named as the device forms know it: whether the operation has
    // stopped, and the silences of the current phase.
    bool StopFlag() const { return m_state != State::Going; }
    int SilenceCount = 0;
    std::uint8_t SlaveId = 1;

    // Going again: StopFlag and SilenceCount back to their start values, nothing answered yet.
    void beginOperation();

    const Exchanges& exchanges() const { return m_exchanges; }
    StopReason stopReason() const { return m_exchanges.reason; }
    // Ends the operation at the next wait step (for a step hook that sees a request to stop):
    // the wait in progress ends and the stop observer is not told; nothing more is sent but a
    // step that closes what the operation opened (WriteStepRules::runWhenStopped).
    void cancel();
    bool cancelled() const { return m_state == State::Cancelled || m_state == State::WindingUp; }

    // Fast answers: a read or a probe ends as soon as a complete, intact answer of the expected
    // shape is in (or a gateway's word that its device is silent), instead of after its whole
    // wait. A silent wait still lasts its full length, and writes keep their fixed waits.
    void setFastAnswers(bool fast) { m_fastAnswers = fast; }

    // The framing the frames travel in: the port's.
    const Framing& framing() const { return m_framing; }
    // The next request's PDU in the RequestBuffer, and where a function-16 request's data goes.
    std::span<std::uint8_t> requestPdu() { return m_framing.requestPdu(m_buffers.RequestBuffer); }
    std::span<std::uint8_t> writeData() { return writeRequestData(requestPdu()); }
    // Puts the framing around the request's PDU of `length` bytes; returns the frame's length.
    int frameRequest(std::uint8_t slave, int length) { return m_framing.wrap(m_buffers.RequestBuffer, slave, length); }

    // Sends the frame of frameLength bytes in the RequestBuffer and judges the answer.
    ExchangeResult ComExchange(
        int frameLength, std::uint8_t function, int waitSteps, const StepProgressRule& progressRule = {});

    // One phase of function-3 reads into the DeviceImage (SilenceCount starts at 0).
    // Returns false when the operation is stopped.
    bool ReadBlocks(int startAddress, int blockCount, int blockSize, int lastSize, int imageOffset,
        const BlockProgressRule& rule = {});
    // One phase of function-16 writes with data from the DeviceImage.
    bool WriteBlocks(int startAddress, int blockCount, int blockSize, int lastSize, int imageOffset,
        const BlockProgressRule& rule = {});
    // One function-16 write whose byteCount data bytes are already at writeData(),
    // repeated on silence up to the third (SilenceCount starts at 0).
    StepResult WriteRegisters(
        int startAddress, int byteCount, int waitSteps, const StepProgressRule& rule = {}, WriteStepRules rules = {});

    // Building blocks, shared with the ID search.
    // Sends the first frameLength bytes of the RequestBuffer; returns the send time.
    std::int64_t send(int frameLength);
    // Waits steps x 15 ms for the answer to the request in the RequestBuffer, sent to `slave`
    // at sentAtNs, takes what arrived, judges it and tells the traffic observer (silence
    // included). With fast answers, a wait that `mayEndEarly` ends as soon as a complete,
    // intact answer of the expected shape is in. A cancelled wait reports nothing.
    Verdict awaitAnswer(
        std::int64_t sentAtNs, int steps, const StepProgressRule& rule, std::uint8_t slave, bool mayEndEarly);

    ModelBuffers& buffers() { return m_buffers; }
    SerialPort& port() { return m_port; }

private:
    // Where the operation stands. Stopped and Cancelled send nothing more but a closing step;
    // while that step runs after a cancel (WindingUp), its wait is not cut short.
    enum class State { Going, Stopped, Cancelled, WindingUp };

    // The one wait: steps x 15 ms after sentAtNs against absolute deadlines, the step hook
    // called at the start of each step with the rule's value (or nothing). With `answered`,
    // the bytes are looked at a tenth of a millisecond apart and the wait ends as soon as it
    // says the answer is in. False when a cancel ended the wait.
    bool wait(
        std::int64_t sentAtNs, int steps, const StepProgressRule& rule, const std::function<bool()>& answered = {});
    bool runBlocks(int blockCount, int blockSize, int lastSize, std::uint8_t function, const BlockProgressRule& rule,
        const std::function<int(int b, int size)>& buildFrame, const std::function<void(int b, int size)>& onAccepted);
    // Sends the framed request again on silence until it is answered (onAccepted, when given,
    // runs at once), rejected, or silent for the phase's third time (the first time when sent
    // once); true when answered.
    bool exchangeWithRetries(int length, std::uint8_t function, int waitSteps, const StepProgressRule& rule,
        bool sendOnce, const std::function<void()>& onAccepted = {});
    void settleAfterRetry(int steps);
    // The steps of a wait for an answer, at least the port's answer window.
    int withWindow(int steps) const;
    // Stops the operation for `reason` at the request in the RequestBuffer (the first reason
    // counts) and tells the stop observer when `tell`.
    void stop(StopReason reason, bool tell = true);
    void answered();
    // Appends what arrived to the `kept` bytes of the ResponseBuffer; returns the new count,
    // which may exceed the buffer (the excess is discarded).
    std::size_t takeArrived(std::size_t kept);

    ModelBuffers& m_buffers;
    const Framing& m_framing; // the port's
    SerialPort& m_port;
    Clock& m_clock;
    StepHook m_stepHook;
    TrafficObserver m_observer;
    StopObserver m_stopObserver;
    State m_state = State::Going;
    Exchanges m_exchanges;
    bool m_fastAnswers = false;
};

// The progress bar shows 0..100; the rules of the exchanges compute beyond that.
inline int clampProgress(int v)
{
    return v < 0 ? 0 : (v > 100 ? 100 : v);
}

// Why a text is no slave id.
enum class SlaveIdError {
    NotAnInteger, // the toolkit's conversion error
    OutOfRange, // an integer outside 1..255 (0 would be a broadcast, 256 must not wrap to it)
};

// The slave id typed in the ModbusID box, or why it is none.
struct SlaveIdText {
    std::optional<std::uint8_t> id;
    SlaveIdError error = SlaveIdError::NotAnInteger;
};
SlaveIdText slaveIdFromText(const QString& text);

} // namespace tarnixw::link
