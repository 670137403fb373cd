#include "ModbusLink.h"

#include "values/NumberText.h"

#include <algorithm>
#include <cassert>

namespace tarnixw::link {

ModbusLink::ModbusLink(ModelBuffers& buffers, SerialPort& port, Clock& clock, StepHook stepHook,
    TrafficObserver observer, StopObserver stopObserver)
    : m_buffers(buffers)
    , m_framing(port.framing())
    , m_port(port)
    , m_clock(clock)
    , m_stepHook(std::move(stepHook))
    , m_observer(std::move(observer))
    , m_stopObserver(std::move(stopObserver))
{ }

void ModbusLink::beginOperation()
{
    m_state = State::Going;
    SilenceCount = 0;
    m_exchanges = {};
}

void ModbusLink::stop(StopReason reason, bool tell)
{
    if (m_exchanges.reason == StopReason::None) {
        m_exchanges.reason = reason;
        m_exchanges.stoppedAt = requestOf(requestPdu());
    }
    if (m_state == State::Going)
        m_state = State::Stopped;
    if (tell && m_stopObserver)
        m_stopObserver(reason, m_exchanges);
}

void ModbusLink::cancel()
{
    // A closing step that runs after a cancel waits for its answer in full, however often the
    // step hook asks again.
    if (m_state != State::WindingUp)
        m_state = State::Cancelled;
    m_exchanges.reason = StopReason::Cancelled;
    m_exchanges.stoppedAt = requestOf(requestPdu());
}

void ModbusLink::answered()
{
    m_exchanges.answered.push_back(requestOf(requestPdu()));
}

std::int64_t ModbusLink::send(int frameLength)
{
    assert(frameLength > 0 && std::size_t(frameLength) <= m_buffers.RequestBuffer.size());
    const std::span<const std::uint8_t> frame(m_buffers.RequestBuffer.data(), std::size_t(frameLength));
    // A port that vanished writes nothing, and a write that gives up (a handshake never
    // granted) ends early; the wait then ends in silence like a dead device.
    m_port.write(frame);
    // The answer window starts when the write returns: a native UART's write returns once the
    // bytes have left, which takes a 73-byte frame 76 ms at 9600 baud. The record says so too.
    const std::int64_t sentAt = m_clock.nowNs();
    if (m_observer)
        m_observer(
            Traffic{sentAt, Traffic::Direction::Sent, {frame.begin(), frame.end()}, {}, requestOf(requestPdu())});
    return sentAt;
}

bool ModbusLink::wait(
    std::int64_t sentAtNs, int steps, const StepProgressRule& rule, const std::function<bool()>& answered)
{
    constexpr std::int64_t stepNs = std::int64_t(kWaitStepMs) * 1'000'000;
    constexpr std::int64_t pollNs = 100'000;
    for (int k = 0; k < steps; ++k) {
        if (m_stepHook)
            m_stepHook(rule ? std::optional<int>(rule(k)) : std::nullopt);
        if (m_state == State::Cancelled)
            return false;
        // Deadlines count from the send, so time spent in the hook does not add up.
        const std::int64_t deadline = sentAtNs + (k + 1) * stepNs;
        if (!answered) {
            m_clock.sleepUntilNs(deadline);
            continue;
        }
        for (;;) {
            if (answered())
                return true;
            const std::int64_t now = m_clock.nowNs();
            if (now >= deadline)
                break;
            m_clock.sleepUntilNs(std::min(deadline, now + pollNs));
        }
    }
    return true;
}

int ModbusLink::withWindow(int steps) const
{
    // A network port may ask for a longer window (a slow or distant link): every wait for an
    // answer follows it, the ID search's probes and the closing steps too.
    const int windowMs = m_port.answerWindowMs();
    return windowMs > 0 ? std::max(steps, (windowMs + kWaitStepMs - 1) / kWaitStepMs) : steps;
}

std::size_t ModbusLink::takeArrived(std::size_t kept)
{
    std::vector<std::uint8_t>& buf = m_buffers.ResponseBuffer;
    std::size_t total = kept;
    std::size_t stored = std::min(kept, buf.size());
    std::vector<std::uint8_t> overflow;
    for (std::size_t avail = m_port.bytesAvailable(); avail > 0; avail = m_port.bytesAvailable()) {
        std::size_t got = 0;
        if (stored < buf.size()) {
            got = m_port.read(std::span<std::uint8_t>(buf.data() + stored, std::min(avail, buf.size() - stored)));
            stored += got;
        } else {
            // More than the buffer holds: drain and drop the rest, the frame is unusable anyway.
            overflow.resize(avail);
            got = m_port.read(overflow);
        }
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

Verdict ModbusLink::awaitAnswer(
    std::int64_t sentAtNs, int steps, const StepProgressRule& rule, std::uint8_t slave, bool mayEndEarly)
{
    const std::vector<std::uint8_t>& buf = m_buffers.ResponseBuffer;
    const auto judge
        = [&](std::size_t received) { return judgeAnswer(m_framing, m_buffers.RequestBuffer, buf, received, slave); };
    std::size_t received = 0;
    bool complete = false;
    steps = withWindow(steps);
    // With fast answers the bytes are taken as they come and the wait ends at the first
    // complete answer; the step hook still runs at every 15 ms step that begins.
    std::function<bool()> answered;
    if (m_fastAnswers && mayEndEarly)
        answered = [&] {
            received = takeArrived(received);
            // A gateway's word that its device is silent is as final as an answer.
            const Verdict v = received > 0 ? judge(received) : Verdict{};
            complete = v.accepted() || v.kind == Verdict::Kind::GatewaySilent;
            return complete;
        };
    if (!wait(sentAtNs, steps, rule, answered))
        return {};
    if (!complete)
        received = takeArrived(received);
    Verdict verdict = judge(received);
    if (verdict.kind == Verdict::Kind::Silence && m_port.connectionLost())
        verdict.kind = Verdict::Kind::Disconnected;
    // What came back before the operation stopped tells why it stopped; a closing step after it
    // does not change that.
    if ((verdict.received > 0 || verdict.kind == Verdict::Kind::Disconnected) && m_state == State::Going)
        m_exchanges.lastAnswer = verdict;
    if (m_observer) {
        const std::size_t stored = std::min(received, buf.size());
        m_observer(Traffic{
            m_clock.nowNs(), Traffic::Direction::Received, {buf.begin(), buf.begin() + long(stored)}, verdict, {}});
    }
    return verdict;
}

ExchangeResult ModbusLink::ComExchange(
    int frameLength, [[maybe_unused]] std::uint8_t function, int waitSteps, const StepProgressRule& progressRule)
{
    // Whatever is still on the line (a late answer to an earlier request) is not this answer.
    m_port.purge();
    const std::int64_t sentAt = send(frameLength);
    assert(requestPdu()[0] == function); // the answer is judged by the request's function
    // Only an intact frame of exactly the expected shape is an answer (see the class comment).
    // Only reads may end their wait early: writes keep their fixed waits.
    const Verdict verdict = awaitAnswer(sentAt, waitSteps, progressRule, SlaveId, requestPdu()[0] == kReadHolding);
    if (!verdict.accepted() && verdict.received > 0)
        m_port.purge();
    return verdict.accepted() ? ExchangeResult::Accepted
                              : (verdict.rejected() ? ExchangeResult::Rejected : ExchangeResult::Silent);
}

namespace {

StepProgressRule forBlock(const BlockProgressRule& rule, int b)
{
    if (!rule)
        return {};
    return [&rule, b](int k) { return rule(b, k); };
}

} // namespace

bool ModbusLink::runBlocks(int blockCount, int blockSize, int lastSize, std::uint8_t function,
    const BlockProgressRule& rule, const std::function<int(int b, int size)>& buildFrame,
    const std::function<void(int b, int size)>& onAccepted)
{
    SilenceCount = 0;
    if (!StopFlag())
        m_exchanges.lastAnswer = {};
    for (int b = 0; b < blockCount && !StopFlag(); ++b) {
        const int size = b == blockCount - 1 ? lastSize : blockSize;
        const int length = buildFrame(b, size);
        exchangeWithRetries(length, function, kBlockWaitSteps, forBlock(rule, b), false, [&] { onAccepted(b, size); });
    }
    return !StopFlag();
}

bool ModbusLink::exchangeWithRetries(int length, std::uint8_t function, int waitSteps, const StepProgressRule& rule,
    bool sendOnce, const std::function<void()>& onAccepted)
{
    for (bool retried = false;; retried = true) {
        const ExchangeResult r = ComExchange(length, function, waitSteps, rule);
        if (cancelled())
            return false;
        if (r == ExchangeResult::Accepted) {
            answered();
            if (onAccepted)
                onAccepted();
            if (retried)
                settleAfterRetry(waitSteps); // a late answer to the first try must not meet the next request
            return true;
        }
        if (r == ExchangeResult::Rejected) {
            stop(StopReason::ResponseError);
            return false;
        }
        // A step sent once reports no silence: the operation has stopped already.
        if (sendOnce || ++SilenceCount >= 3) {
            stop(StopReason::NoResponse, !sendOnce);
            return false;
        }
    }
}

void ModbusLink::settleAfterRetry(int steps)
{
    // A block that was answered only on a repeat may have been answered late the first time as
    // well: that answer can still be on its way. A read answer carries no address, so it would
    // pass for the next block's data. One more answer window, then a purge, keeps it out.
    wait(m_clock.nowNs(), withWindow(steps), {});
    m_port.purge();
}

bool ModbusLink::ReadBlocks(
    int startAddress, int blockCount, int blockSize, int lastSize, int imageOffset, const BlockProgressRule& rule)
{
    return runBlocks(
        blockCount, blockSize, lastSize, kReadHolding, rule,
        [&](int b, int size) {
            assert(size > 0 && size % 2 == 0
                && std::size_t(imageOffset + b * blockSize + size) <= m_buffers.DeviceImage.size());
            return frameRequest(SlaveId,
                putReadPdu(requestPdu(), std::uint16_t(startAddress + b * blockSize), std::uint16_t(size / 2)));
        },
        [&](int b, int size) {
            std::copy_n(readAnswerData(m_framing.answerPdu(m_buffers.ResponseBuffer)).begin(), size,
                m_buffers.DeviceImage.begin() + imageOffset + b * blockSize);
        });
}

bool ModbusLink::WriteBlocks(
    int startAddress, int blockCount, int blockSize, int lastSize, int imageOffset, const BlockProgressRule& rule)
{
    return runBlocks(
        blockCount, blockSize, lastSize, kWriteMultiple, rule,
        [&](int b, int size) {
            const int imagePos = imageOffset + b * blockSize;
            assert(size > 0 && size % 2 == 0 && std::size_t(imagePos + size) <= m_buffers.DeviceImage.size());
            std::copy_n(m_buffers.DeviceImage.begin() + imagePos, size, writeData().begin());
            return frameRequest(SlaveId, putWritePdu(requestPdu(), std::uint16_t(startAddress + b * blockSize), size));
        },
        [](int, int) {});
}

StepResult ModbusLink::WriteRegisters(
    int startAddress, int byteCount, int waitSteps, const StepProgressRule& rule, WriteStepRules rules)
{
    if (StopFlag() && !rules.runWhenStopped)
        return StepResult::Skipped;
    const int length = frameRequest(SlaveId, putWritePdu(requestPdu(), std::uint16_t(startAddress), byteCount));
    // After cancel() the step closes what the operation opened: sent once, its answer waited for
    // in full whatever the step hook says meanwhile, and nothing reported.
    if (cancelled()) {
        m_state = State::WindingUp;
        if (ComExchange(length, kWriteMultiple, waitSteps, rule) == ExchangeResult::Accepted)
            answered();
        m_state = State::Cancelled;
        return StepResult::Failed;
    }
    SilenceCount = 0;
    if (!StopFlag())
        m_exchanges.lastAnswer = {};
    return exchangeWithRetries(length, kWriteMultiple, waitSteps, rule, rules.sendOnce) ? StepResult::Accepted
                                                                                        : StepResult::Failed;
}

SlaveIdText slaveIdFromText(const QString& text)
{
    const std::optional<std::int32_t> v = values::parseInteger(text);
    if (!v)
        return {std::nullopt, SlaveIdError::NotAnInteger};
    if (*v < 1 || *v > 255)
        return {std::nullopt, SlaveIdError::OutOfRange};
    return {static_cast<std::uint8_t>(*v)};
}

} // namespace tarnixw::link
