#pragma once

#include <cstdint>
#include <span>

// Byte order helpers private to the VYR model. The device stores every multi-byte value
// big-endian; the configuration file is the record's little-endian memory image. Callers
// check the bounds once per block, these helpers do not.
namespace tarnixw::vyr::bytes {

inline int putBE16(std::span<std::uint8_t> buf, int pos, std::uint16_t v)
{
    buf[pos] = std::uint8_t(v >> 8);
    buf[pos + 1] = std::uint8_t(v);
    return pos + 2;
}

inline int putBE32(std::span<std::uint8_t> buf, int pos, std::uint32_t v)
{
    buf[pos] = std::uint8_t(v >> 24);
    buf[pos + 1] = std::uint8_t(v >> 16);
    buf[pos + 2] = std::uint8_t(v >> 8);
    buf[pos + 3] = std::uint8_t(v);
    return pos + 4;
}

inline int putByte(std::span<std::uint8_t> buf, int pos, std::uint8_t v)
{
    buf[pos] = v;
    return pos + 1;
}

inline std::uint16_t getBE16(std::span<const std::uint8_t> buf, int pos)
{
    return std::uint16_t((unsigned(buf[pos]) << 8) | buf[pos + 1]);
}

inline std::uint32_t getBE32(std::span<const std::uint8_t> buf, int pos)
{
    return (std::uint32_t(buf[pos]) << 24) | (std::uint32_t(buf[pos + 1]) << 16) | (std::uint32_t(buf[pos + 2]) << 8)
        | std::uint32_t(buf[pos + 3]);
}

inline void putLE16(std::span<std::uint8_t> buf, int pos, std::uint16_t v)
{
    buf[pos] = std::uint8_t(v);
    buf[pos + 1] = std::uint8_t(v >> 8);
}

inline void putLE32(std::span<std::uint8_t> buf, int pos, std::uint32_t v)
{
    buf[pos] = std::uint8_t(v);
    buf[pos + 1] = std::uint8_t(v >> 8);
    buf[pos + 2] = std::uint8_t(v >> 16);
    buf[pos + 3] = std::uint8_t(v >> 24);
}

inline std::uint16_t getLE16(std::span<const std::uint8_t> buf, int pos)
{
    return std::uint16_t(buf[pos] | (unsigned(buf[pos + 1]) << 8));
}

inline std::uint32_t getLE32(std::span<const std::uint8_t> buf, int pos)
{
    return std::uint32_t(buf[pos]) | (std::uint32_t(buf[pos + 1]) << 8) | (std::uint32_t(buf[pos + 2]) << 16)
        | (std::uint32_t(buf[pos + 3]) << 24);
}

} // namespace tarnixw::vyr::bytes
