#pragma once

#include <cstdint>
#include <span>

// Little-endian helpers private to the VYR model: the configuration file is the record's
// memory image, least significant byte first (the device's big-endian values go through the
// link's Put and Get operations). Callers check the bounds once per block, these do not.
namespace tarnixw::vyr::bytes {

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
