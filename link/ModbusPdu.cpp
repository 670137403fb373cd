#include "ModbusPdu.h"

#include <algorithm>
#include <cassert>

namespace tarnixw::link {

int PutLong(std::span<std::uint8_t> buf, int pos, std::uint32_t v)
{
    return PutShort(buf, PutShort(buf, pos, std::uint16_t(v >> 16)), std::uint16_t(v));
}

int PutShort(std::span<std::uint8_t> buf, int pos, std::uint16_t v)
{
    return PutByte(buf, PutByte(buf, pos, std::uint8_t(v >> 8)), std::uint8_t(v));
}

int PutByte(std::span<std::uint8_t> buf, int pos, std::uint8_t v)
{
    assert(pos >= 0 && std::size_t(pos) < buf.size());
    buf[pos] = v;
    return pos + 1;
}

std::int32_t GetLong(std::span<const std::uint8_t> buf, int pos)
{
    assert(pos >= 0 && std::size_t(pos) + 4 <= buf.size());
    const std::uint32_t v = (std::uint32_t(buf[pos]) << 24) | (std::uint32_t(buf[pos + 1]) << 16)
        | (std::uint32_t(buf[pos + 2]) << 8) | std::uint32_t(buf[pos + 3]);
    return static_cast<std::int32_t>(v);
}

std::int16_t GetShort(std::span<const std::uint8_t> buf, int pos)
{
    assert(pos >= 0 && std::size_t(pos) + 2 <= buf.size());
    return static_cast<std::int16_t>((std::uint16_t(buf[pos]) << 8) | buf[pos + 1]);
}

namespace {

// Function, address and quantity: the 5 bytes every request of this program starts with.
int putHead(std::span<std::uint8_t> pdu, std::uint8_t function, std::uint16_t address, std::uint16_t quantity)
{
    return PutShort(pdu, PutShort(pdu, PutByte(pdu, 0, function), address), quantity);
}

} // namespace

int putReadPdu(std::span<std::uint8_t> pdu, std::uint16_t address, std::uint16_t quantity)
{
    return putHead(pdu, kReadHolding, address, quantity);
}

int putWritePdu(std::span<std::uint8_t> pdu, std::uint16_t address, int byteCount)
{
    assert(byteCount >= 0 && byteCount <= 246 && byteCount % 2 == 0 && std::size_t(6 + byteCount) <= pdu.size());
    return PutByte(pdu, putHead(pdu, kWriteMultiple, address, std::uint16_t(byteCount / 2)), std::uint8_t(byteCount))
        + byteCount;
}

int putProbePdu(std::span<std::uint8_t> pdu)
{
    return putHead(pdu, kReadInput, kProbeRegister, 1);
}

std::span<std::uint8_t> writeRequestData(std::span<std::uint8_t> pdu)
{
    return pdu.subspan(6);
}

std::span<const std::uint8_t> readAnswerData(std::span<const std::uint8_t> pdu)
{
    return pdu.subspan(2);
}

std::optional<std::size_t> requestPduLength(std::span<const std::uint8_t> pdu)
{
    if (pdu.empty())
        return std::nullopt;
    switch (pdu[0]) {
    case kReadHolding:
    case kReadInput:
        return 5;
    case kWriteMultiple:
        return pdu.size() < 6 ? std::nullopt : std::optional<std::size_t>(6 + std::size_t(pdu[5]));
    default:
        return 0;
    }
}

Request requestOf(std::span<const std::uint8_t> pdu)
{
    return {.function = pdu.size() >= 1 ? pdu[0] : std::uint8_t(0),
        .address = pdu.size() >= 3 ? (int(pdu[1]) << 8) | pdu[2] : 0,
        .quantity = pdu.size() >= 5 ? (int(pdu[3]) << 8) | pdu[4] : 0};
}

int answerPduLength(std::span<const std::uint8_t> request)
{
    if (request.empty())
        return 0;
    return request[0] == kWriteMultiple ? 5 : 2 + 2 * requestOf(request).quantity;
}

Verdict checkPdu(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer)
{
    Verdict v;
    const std::uint8_t function = request.empty() ? 0 : request[0];
    const std::uint8_t answered = answer.empty() ? 0 : answer[0];
    const int length = answerPduLength(request);
    if (answered == (function | kExceptionBit) && answer.size() == 2) {
        constexpr std::uint8_t kGatewayPathUnavailable = 0x0A;
        constexpr std::uint8_t kGatewayTargetFailed = 0x0B;
        const bool gateway = answer[1] == kGatewayPathUnavailable || answer[1] == kGatewayTargetFailed;
        v.kind = gateway ? Verdict::Kind::GatewaySilent : Verdict::Kind::Exception;
        v.value = answer[1];
    } else if (answered != function) {
        v.kind = Verdict::Kind::OtherFunction;
        v.value = answered;
    } else if (int(answer.size()) != length) {
        v.kind = int(answer.size()) < length ? Verdict::Kind::Incomplete : Verdict::Kind::WrongLength;
    } else {
        const bool fits = function == kWriteMultiple ? std::equal(answer.begin() + 1, answer.end(), request.begin() + 1)
                                                     : answer[1] == 2 * requestOf(request).quantity;
        v.kind = fits ? Verdict::Kind::Answer : Verdict::Kind::Mismatch;
    }
    return v;
}

Verdict judgeAnswer(const Framing& framing, std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer,
    std::size_t received, std::uint8_t slave)
{
    Verdict v = framing.check(request, answer, received, slave);
    if (v.kind == Verdict::Kind::Answer) {
        const Verdict pdu = checkPdu(request.subspan(framing.header), framing.answerPdu(answer.first(received)));
        v.kind = pdu.kind;
        v.value = pdu.value;
    }
    return v;
}

} // namespace tarnixw::link
