#include "Modbus.h"

#include "DeviceConstants.h"

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

int PutLong(std::span<std::uint8_t> buf, int pos, std::uint32_t v)
{
    assert(pos >= 0 && std::size_t(pos) + 4 <= buf.size());
    buf[pos] = std::uint8_t(v >> 24);
    buf[pos + 1] = std::uint8_t(v >> 16);
    buf[pos + 2] = std::uint8_t(v >> 8);
    buf[pos + 3] = std::uint8_t(v);
    return pos + 4;
}

int PutShort(std::span<std::uint8_t> buf, int pos, std::uint16_t v)
{
    assert(pos >= 0 && std::size_t(pos) + 2 <= buf.size());
    buf[pos] = std::uint8_t(v >> 8);
    buf[pos + 1] = std::uint8_t(v);
    return pos + 2;
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

namespace {

int putHeader(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint8_t function, std::uint16_t address,
    std::uint16_t quantity)
{
    int p = PutByte(buf, 0, slave);
    p = PutByte(buf, p, function);
    p = PutShort(buf, p, address);
    return PutShort(buf, p, quantity);
}

} // namespace

int buildReadFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::uint16_t quantity)
{
    return appendCrc(buf, putHeader(buf, slave, kReadHolding, address, quantity));
}

int completeWriteFrame(std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, int byteCount)
{
    assert(byteCount >= 0 && byteCount <= 246 && byteCount % 2 == 0);
    int p = putHeader(buf, slave, kWriteMultiple, address, std::uint16_t(byteCount / 2));
    PutByte(buf, p, std::uint8_t(byteCount));
    return appendCrc(buf, 7 + byteCount);
}

int buildWriteFrame(
    std::span<std::uint8_t> buf, std::uint8_t slave, std::uint16_t address, std::span<const std::uint8_t> data)
{
    assert(data.size() + 9 <= buf.size());
    for (std::size_t i = 0; i < data.size(); ++i)
        buf[7 + i] = data[i];
    return completeWriteFrame(buf, slave, address, int(data.size()));
}

int buildProbeFrame(std::span<std::uint8_t> buf, std::uint8_t slave)
{
    return appendCrc(buf, putHeader(buf, slave, kReadInput, device::kProbeRegister, 1));
}

std::int64_t lineTimeNs(std::size_t bytes, int baud)
{
    if (baud <= 0)
        return 0;
    return std::int64_t(bytes) * 10 * 1'000'000'000 / baud;
}

ModelBuffers ModelBuffers::vyr()
{
    return {std::vector<std::uint8_t>(2048), std::vector<std::uint8_t>(2048), std::vector<std::uint8_t>(1218)};
}

ModelBuffers ModelBuffers::plix()
{
    return {std::vector<std::uint8_t>(1024), std::vector<std::uint8_t>(1024), std::vector<std::uint8_t>(94)};
}

Request requestOf(std::span<const std::uint8_t> frame)
{
    Request r;
    r.function = frame.size() >= 2 ? frame[1] : 0;
    r.address = frame.size() >= 4 ? (int(frame[2]) << 8) | frame[3] : 0;
    r.quantity = frame.size() >= 6 ? (int(frame[4]) << 8) | frame[5] : 0;
    return r;
}

namespace {

// The length of the answer the request asks for.
int expectedLength(std::span<const std::uint8_t> request)
{
    if (request.size() < 2)
        return 0;
    return request[1] == kWriteMultiple ? 8 : 5 + 2 * requestOf(request).quantity;
}

} // namespace

Verdict judgeAnswer(std::span<const std::uint8_t> request, std::span<const std::uint8_t> answer, std::size_t received,
    std::uint8_t slave)
{
    Verdict v;
    v.received = int(std::min<std::size_t>(received, 1'000'000));
    v.expected = expectedLength(request);
    const std::uint8_t function = request.size() >= 2 ? request[1] : 0;
    if (received == 0)
        return v; // silence
    if (received > answer.size()) {
        v.kind = Verdict::Kind::Overrun;
        return v;
    }
    const std::span<const std::uint8_t> frame = answer.first(received);
    if (!hasValidCrc(frame)) {
        // Nothing can be said of a damaged frame but what it looks like: a frame from our slave
        // with our function that is shorter than the answer was cut off.
        const bool ours = frame.size() >= 2 && frame[0] == slave && frame[1] == function;
        v.kind = ours && v.received < v.expected ? Verdict::Kind::Incomplete : Verdict::Kind::Damaged;
        return v;
    }
    if (frame[0] != slave) {
        v.kind = Verdict::Kind::OtherSlave;
        v.value = frame[0];
        return v;
    }
    if (frame[1] == (function | kExceptionBit) && frame.size() == 5) {
        v.kind = Verdict::Kind::Exception;
        v.value = frame[2];
        return v;
    }
    if (frame[1] != function) {
        v.kind = Verdict::Kind::OtherFunction;
        v.value = frame[1];
        return v;
    }
    if (v.received != v.expected) {
        v.kind = v.received < v.expected ? Verdict::Kind::Incomplete : Verdict::Kind::WrongLength;
        return v;
    }
    const bool fits = function == kWriteMultiple ? std::equal(frame.begin() + 2, frame.begin() + 6, request.begin() + 2)
                                                 : frame[2] == 2 * requestOf(request).quantity;
    v.kind = fits ? Verdict::Kind::Answer : Verdict::Kind::Mismatch;
    return v;
}

} // namespace tarnixw::link
