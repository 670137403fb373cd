#pragma once

// Helpers shared by the fuzz targets.

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarnixw::fuzz {

// A broken promise of the code under test: report it and abort, so libFuzzer keeps the input.
[[noreturn]] inline void fail(const char* what, const QString& detail = {})
{
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s %s\n", what, qPrintable(detail));
    std::abort();
}

#define TARNIXW_FUZZ_CHECK(cond, detail)                                                                               \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::tarnixw::fuzz::fail(#cond, (detail));                                                                    \
    } while (0)

// Reads the input front to back; past the end every read gives zeros.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size)
        : m_data(data)
        , m_size(size)
    { }

    bool atEnd() const { return m_pos >= m_size; }
    std::size_t remaining() const { return m_pos < m_size ? m_size - m_pos : 0; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    std::uint16_t u16()
    {
        const std::uint16_t hi = byte();
        return std::uint16_t((hi << 8) | byte());
    }
    std::uint32_t u32()
    {
        const std::uint32_t hi = u16();
        return (hi << 16) | u16();
    }
    // Up to n bytes from the current position.
    const std::uint8_t* take(std::size_t n, std::size_t& got)
    {
        got = n < remaining() ? n : remaining();
        const std::uint8_t* p = m_data + m_pos;
        m_pos += got;
        return p;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

} // namespace tarnixw::fuzz
