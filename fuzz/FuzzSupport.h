#pragma once

// Helpers shared by the fuzz targets.

#include "link/Dialogs.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace tarnixw::fuzz {

// Dialogs that show nothing and answer every file dialog with "cancel"; they count what
// would have been shown, so a target can tell that an operation reported its outcome.
class SilentDialogs final : public link::Dialogs {
public:
    void message(const QString&, const QString& = {}) override { ++messages; }
    void systemMessage(const QString&, const QString&, const QString& = {}) override { ++messages; }
    void error(const QString&) override { ++errors; }
    std::optional<QString> openFileName(const link::FileDialogSpec&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const link::FileDialogSpec&) override { return std::nullopt; }

    int messages = 0;
    int errors = 0;
};

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
