#include "Traffic.h"

#include "Modbus.h"
#include "words/Words.h"

#include <algorithm>

namespace tarnixw::link {

QString exceptionName(int code)
{
    static const std::pair<int, QString (*)()> kNames[]
        = {{1, Words::illegalFunction}, {2, Words::illegalDataAddress}, {3, Words::illegalDataValue},
            {4, Words::serverDeviceFailure}, {5, Words::acknowledge}, {6, Words::serverDeviceBusy},
            {8, Words::memoryParityError}, {10, Words::gatewayPathUnavailable}, {11, Words::gatewayTargetFailed}};
    for (const auto& [known, name] : kNames)
        if (known == code)
            return name();
    return Words::unknownException();
}

QString describeVerdict(const Verdict& v)
{
    switch (v.kind) {
    case Verdict::Kind::Answer:
        return Words::verdictAnswer();
    case Verdict::Kind::Silence:
        return Words::verdictSilence();
    case Verdict::Kind::Damaged:
        return Words::verdictDamaged();
    case Verdict::Kind::Incomplete:
        return Words::verdictIncomplete(v.received, v.expected);
    case Verdict::Kind::WrongLength:
        return Words::verdictWrongLength(v.received, v.expected);
    case Verdict::Kind::Overrun:
        return Words::verdictOverrun(v.received);
    case Verdict::Kind::OtherSlave:
        return Words::verdictOtherSlave(v.value);
    case Verdict::Kind::Exception:
        return Words::verdictException(v.value, exceptionName(v.value));
    case Verdict::Kind::OtherFunction:
        return Words::verdictOtherFunction(v.value);
    case Verdict::Kind::Mismatch:
        return Words::verdictMismatch();
    case Verdict::Kind::GatewaySilent:
        return Words::verdictGatewaySilent(v.value, exceptionName(v.value));
    case Verdict::Kind::Disconnected:
        return Words::verdictDisconnected();
    }
    return {};
}

QString describeRequest(const Request& request)
{
    const QString registers = request.quantity == 1 ? Words::oneRegister() : Words::registers(request.quantity);
    switch (request.function) {
    case 0:
        return Words::requestFrame();
    case kReadHolding:
        return Words::requestRead(registers, request.address);
    case kWriteMultiple:
        return Words::requestWrite(registers, request.address);
    case kReadInput:
        return Words::requestIdProbe();
    default:
        return Words::requestFunction(request.function);
    }
}

QString hexBytes(std::span<const std::uint8_t> bytes)
{
    return QString::fromLatin1(
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()))
            .toHex(' ')
            .toUpper());
}

QString formatTrafficLine(const Traffic& t, std::int64_t operationStartNs)
{
    const double ms = double(t.timeNs - operationStartNs) / 1e6;
    const bool sent = t.direction == Traffic::Direction::Sent;
    const QString bytes = t.bytes.empty() ? Words::nothingReceived() : hexBytes(t.bytes);
    return QStringLiteral("%1 ms  %2  %3  %4")
        .arg(ms, 9, 'f', 1)
        .arg(sent ? QStringLiteral("->") : QStringLiteral("<-"), bytes,
            sent ? describeRequest(t.request) : describeVerdict(t.verdict));
}

QString formatOperationLine(const TrafficOperation& op)
{
    QString line = QStringLiteral("==== %1  %2").arg(op.name, op.port);
    if (!op.device.isEmpty() && op.device != op.port)
        line += QStringLiteral(" (%1)").arg(op.device);
    line += QStringLiteral("  ") + Words::baud(op.baud);
    if (op.windowMs > 0)
        line += QStringLiteral("  ") + Words::answerWindow(op.windowMs);
    if (op.slave > 0)
        line += QStringLiteral("  ") + Words::slave(op.slave);
    if (!op.messages.isEmpty())
        line += QStringLiteral("  ->  ") + op.messages.join(QStringLiteral(" | "));
    else if (!op.ended)
        line += QStringLiteral("  ...");
    return line;
}

TrafficLog::TrafficLog(int capacity)
    : m_capacity(std::max(1, capacity))
{ }

void TrafficLog::beginOperation(TrafficOperation op)
{
    m_operations.push_back(std::move(op));
    append(false);
    m_currentRow = size() - 1;
}

TrafficOperation* TrafficLog::current()
{
    return m_operations.empty() ? nullptr : &m_operations.back();
}

void TrafficLog::updateCurrent()
{
    if (m_currentRow >= 0 && m_view)
        m_view->changed(m_currentRow);
}

void TrafficLog::addFrame(const Traffic& t)
{
    if (m_operations.empty())
        beginOperation({});
    ++m_frames;
    append(true, t);
    trim();
}

void TrafficLog::append(bool isFrame, const Traffic& frame)
{
    if (m_view)
        m_view->aboutToAppend(size());
    // Every row belongs to the operation being recorded.
    m_entries.push_back({m_firstOperation + int(m_operations.size()) - 1, isFrame, frame});
    if (m_view)
        m_view->appended();
}

void TrafficLog::trim()
{
    // The rows to drop from the front: up to and including the oldest frames over capacity.
    int removed = 0;
    for (int over = m_frames - m_capacity; over > 0 && removed < size(); ++removed)
        if (m_entries[std::size_t(removed)].isFrame)
            --over;
    if (removed == 0)
        return;
    if (m_view)
        m_view->aboutToDropFront(removed);
    const auto end = m_entries.begin() + removed;
    const int frames = int(std::count_if(m_entries.begin(), end, [](const Entry& e) { return e.isFrame; }));
    m_frames -= frames;
    m_dropped += frames;
    m_entries.erase(m_entries.begin(), end);
    m_currentRow = m_currentRow >= removed ? m_currentRow - removed : -1;
    // Operations none of whose rows is left go too (never the one being recorded).
    const int firstKept
        = m_entries.empty() ? m_firstOperation + int(m_operations.size()) - 1 : m_entries.front().operation;
    while (m_firstOperation < firstKept && m_operations.size() > 1) {
        m_operations.pop_front();
        ++m_firstOperation;
    }
    if (m_view)
        m_view->droppedFront();
}

void TrafficLog::clear()
{
    if (m_view)
        m_view->aboutToClear();
    m_entries.clear();
    // The operation being recorded goes on; its frames from now on are kept.
    if (m_operations.size() > 1) {
        m_firstOperation += int(m_operations.size()) - 1;
        m_operations.erase(m_operations.begin(), m_operations.end() - 1);
    }
    m_currentRow = -1;
    m_frames = 0;
    m_dropped = 0;
    if (m_view)
        m_view->cleared();
}

const TrafficOperation& TrafficLog::operationOf(const Entry& e) const
{
    return m_operations[std::size_t(e.operation - m_firstOperation)];
}

QString TrafficLog::lineAt(int row) const
{
    const Entry& e = at(row);
    const TrafficOperation& op = operationOf(e);
    return e.isFrame ? formatTrafficLine(e.frame, op.startNs) : formatOperationLine(op);
}

QStringList TrafficLog::lines() const
{
    QStringList out;
    out.reserve(size());
    for (int row = 0; row < size(); ++row)
        out << lineAt(row);
    return out;
}

} // namespace tarnixw::link
