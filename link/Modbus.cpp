#include "Modbus.h"

#include <algorithm>
#include <cassert>

namespace tarnixw::link {

std::uint16_t ModbusCrc16(std::span<const std::uint8_t> bytes)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0xA001) : std::uint16_t(crc >> 1);
    }
    return crc;
}

int appendCrc(std::span<std::uint8_t> buf, int length)
{
    assert(length >= 0 && std::size_t(length) + 2 <= buf.size());
    const std::uint16_t crc = ModbusCrc16(buf.first(std::size_t(length)));
    buf[length] = std::uint8_t(crc & 0xFF);
    buf[length + 1] = std::uint8_t(crc >> 8);
    return length + 2;
}

bool hasValidCrc(std::span<const std::uint8_t> frame)
{
    if (frame.size() < 4)
        return false;
    const std::uint16_t crc = ModbusCrc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

int wrapRtu(std::span<std::uint8_t> frame, std::uint8_t slave, int pduLength)
{
    return appendCrc(frame, PutByte(frame, 0, slave) + pduLength);
}

Verdict checkRtu(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave)
{
    const std::span<const std::uint8_t> requestPdu = request.subspan(std::min<std::size_t>(request.size(), 1));
    Verdict v;
    v.received = int(std::min<std::size_t>(received, 1'000'000));
    v.expected = request.size() < 2 ? 0 : 3 + answerPduLength(requestPdu);
    if (received == 0)
        return v; // silence
    if (received > answer.size()) {
        v.kind = Verdict::Kind::Overrun;
        return v;
    }
    const std::span<const std::uint8_t> frame = answer.first(received);
    if (!hasValidCrc(frame)) {
        const bool ours = frame.size() >= 2 && frame[0] == slave && frame[1] == requestOf(requestPdu).function;
        v.kind = ours && v.received < v.expected ? Verdict::Kind::Incomplete : Verdict::Kind::Damaged;
    } else if (frame[0] != slave) {
        v.kind = Verdict::Kind::OtherSlave;
        v.value = frame[0];
    } else {
        v.kind = Verdict::Kind::Answer;
    }
    return v;
}

std::optional<std::span<const std::uint8_t>> rtuPduFor(std::span<const std::uint8_t> frame, std::uint8_t slave)
{
    if (!hasValidCrc(frame) || frame[0] != slave)
        return std::nullopt;
    return kRtuFraming.answerPdu(frame);
}

std::vector<std::uint8_t> rtuFrame(std::uint8_t slave, std::span<const std::uint8_t> pdu)
{
    std::vector<std::uint8_t> frame(pdu.size() + 3);
    std::copy(pdu.begin(), pdu.end(), frame.begin() + 1);
    wrapRtu(frame, slave, int(pdu.size()));
    return frame;
}

std::optional<std::size_t> rtuRequestLength(std::span<const std::uint8_t> bytes)
{
    const std::optional<std::size_t> pdu = requestPduLength(bytes.subspan(std::min<std::size_t>(bytes.size(), 1)));
    return pdu && *pdu > 0 ? std::optional<std::size_t>(*pdu + 3) : pdu;
}

ProbeBytes rtuProbeAnswers(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kAnswer = 7;
    constexpr std::size_t kException = 5;
    ProbeBytes out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::span<const std::uint8_t> rest = bytes.subspan(i);
        const bool exception = rest.size() > 1 && rest[1] == (kReadInput | kExceptionBit);
        const std::size_t length = exception ? kException : kAnswer;
        // Whether the bytes so far are those of an answer's start.
        const bool looksLike
            = (rest.size() < 2 || rest[1] == kReadInput || exception) && (exception || rest.size() < 3 || rest[2] == 2);
        if (rest.size() < length && looksLike) {
            out.partial = rest.size();
            break;
        }
        if (looksLike && hasValidCrc(rest.first(length))) {
            ProbeAnswer a{rest[0], std::nullopt};
            if (!exception)
                a.value = std::uint16_t((rest[3] << 8) | rest[4]);
            out.answers.push_back(a);
            i += length;
        } else if (looksLike) {
            out.damaged.push_back(rest[0]);
            i += length;
        } else {
            out.noise = true; // a byte that starts nothing: look again from the next
            ++i;
        }
    }
    return out;
}

int buildReadFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::uint16_t quantity)
{
    return wrapRtu(buf, slave, putReadPdu(buf.subspan(1), address, quantity));
}

int buildWriteFrame(
    std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::span<const std::uint8_t> data)
{
    assert(data.size() + 9 <= buf.size());
    std::copy(data.begin(), data.end(), writeRequestData(buf.subspan(1)).begin());
    return wrapRtu(buf, slave, putWritePdu(buf.subspan(1), address, int(data.size())));
}

std::int64_t lineTimeNs(std::size_t bytes, int baud)
{
    if (baud <= 0)
        return 0;
    return std::int64_t(bytes) * 10 * 1'000'000'000 / baud;
}

ModelBuffers ModelBuffers::sized(std::size_t request, std::size_t response, std::size_t image)
{
    return {std::vector<std::uint8_t>(request), std::vector<std::uint8_t>(response), std::vector<std::uint8_t>(image)};
}

} // namespace tarnixw::link
