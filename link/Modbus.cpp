#include "Modbus.h"

#include "DeviceConstants.h"

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

} // namespace tarnixw::link
