#include "WinSerialPort.h"
#include "words/Words.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace tarnixw::link {

namespace {

HANDLE handleOf(void* h)
{
    return static_cast<HANDLE>(h);
}

// The system's own words for an error code, without the trailing line break.
std::string systemReason(DWORD code)
{
    char* text = nullptr;
    const DWORD n
        = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = n && text ? std::string(text, n) : Words::systemError(code).toStdString();
    if (text)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    return reason;
}

DWORD baudOf(int baud)
{
    switch (baud) {
    case 9600:
        return CBR_9600;
    case 38400:
        return CBR_38400;
    case 115200:
        return CBR_115200;
    default:
        return CBR_19200;
    }
}

} // namespace

PortErrorKind classifyPortError(unsigned long code)
{
    switch (code) {
    case ERROR_DEVICE_REMOVED: // the adapter was pulled
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND: // what USB serial drivers answer once their device is gone
    case ERROR_ACCESS_DENIED: // the same, from other drivers
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
        return PortErrorKind::Gone;
    case ERROR_OPERATION_ABORTED: // fAbortOnError: every call fails until the error is cleared
    case ERROR_GEN_FAILURE: // a device error on the line, not the device leaving
        return PortErrorKind::LineError;
    default:
        return PortErrorKind::Other;
    }
}

PortTimeouts portTimeoutsFor(int baud)
{
    PortTimeouts t;
    t.readInterval = MAXDWORD; // with both read totals 0: return at once with what is there
    const int bitsPerByte = 10; // 8N1
    t.writeTotalMultiplier = static_cast<unsigned long>((bitsPerByte * 1000 + baud - 1) / std::max(baud, 1));
    t.writeTotalConstant = 1000;
    return t;
}

namespace {

// The program-wide claim on a device: a named mutex that exists while a Tarnixw program holds
// the port. Nothing when another holds it.
std::optional<HANDLE> claimDevice(const std::string& devicePath)
{
    std::string name = "Global\\tarnixw-port-";
    for (const char c : devicePath)
        name += (c == '\\' || c == '/' || c == ':') ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
    const HANDLE claim = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!claim)
        return HANDLE(nullptr); // no claim to be had: the share mode alone decides
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return std::nullopt;
    }
    return claim;
}

} // namespace

std::string winDeviceName(int portNumber)
{
    return "\\\\.\\COM" + std::to_string(portNumber);
}

WinSerialPort::WinSerialPort(void* handle, void* claim)
    : m_handle(handle)
    , m_claim(claim)
{ }

WinSerialPort::~WinSerialPort()
{
    close();
}

void WinSerialPort::failed()
{
    switch (classifyPortError(GetLastError())) {
    case PortErrorKind::Gone:
        m_vanished = true;
        break;
    case PortErrorKind::LineError: {
        // Clears the error, so the next call works; the exchange at hand counts as silent.
        DWORD errors = 0;
        COMSTAT status{};
        ClearCommError(handleOf(m_handle), &errors, &status);
        break;
    }
    case PortErrorKind::Other:
        break;
    }
}

void WinSerialPort::purge()
{
    if (m_handle && !m_vanished
        && !PurgeComm(handleOf(m_handle), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        failed();
}

void WinSerialPort::purgeReceive()
{
    // The receive abort only, as a form closing with the port open does.
    if (m_handle && !m_vanished && !PurgeComm(handleOf(m_handle), PURGE_RXABORT))
        failed();
}

long WinSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!m_handle || m_vanished)
        return -1;
    // A write whose handshake is never granted gives up at the write timeout, short.
    DWORD written = 0;
    if (!WriteFile(handleOf(m_handle), bytes.data(), DWORD(bytes.size()), &written, nullptr)) {
        failed();
        return written ? long(written) : -1;
    }
    return long(written);
}

std::optional<PortTimeouts> WinSerialPort::timeouts() const
{
    COMMTIMEOUTS t{};
    if (!m_handle || !GetCommTimeouts(handleOf(m_handle), &t))
        return std::nullopt;
    return PortTimeouts{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
        t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
}

std::size_t WinSerialPort::bytesAvailable()
{
    if (!m_handle || m_vanished)
        return 0;
    // Also clears a line error; its bits are not looked at.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(m_handle), &errors, &status)) {
        if (classifyPortError(GetLastError()) == PortErrorKind::Gone)
            m_vanished = true;
        return 0;
    }
    return std::size_t(status.cbInQue);
}

std::size_t WinSerialPort::read(std::span<std::uint8_t> out)
{
    if (!m_handle || m_vanished || out.empty())
        return 0;
    // Never more than the driver holds (the read timeouts return at once anyway).
    const std::size_t waiting = bytesAvailable();
    const DWORD want = DWORD(std::min(out.size(), waiting));
    if (want == 0)
        return 0;
    DWORD got = 0;
    if (!ReadFile(handleOf(m_handle), out.data(), want, &got, nullptr))
        failed();
    return std::size_t(got);
}

void WinSerialPort::close()
{
    if (!m_handle)
        return;
    CloseHandle(handleOf(m_handle));
    m_handle = nullptr;
    if (m_claim) {
        CloseHandle(handleOf(m_claim));
        m_claim = nullptr;
    }
}

OpenResult WinPortOpener::open(const std::string& devicePath, int baud)
{
    OpenResult r;
    // Exclusive (no sharing), only a port that exists, no overlapped input and output.
    const HANDLE h
        = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        r.detail = systemReason(e);
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME)
            r.error = OpenError::NoSuchPort;
        else if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION)
            r.error = OpenError::Busy; // what Windows answers when another program holds the port
        else
            r.error = OpenError::Other;
        return r;
    }
    const std::optional<HANDLE> claim = claimDevice(devicePath);
    if (!claim) {
        CloseHandle(h);
        r.error = OpenError::Busy;
        r.detail = Words::portHeldByAnotherTarnixw().toStdString();
        return r;
    }
    // "COM SETUP ERROR!!!": the port and the claim on it are let go again.
    const auto setupFailed = [&](std::string detail) {
        r.error = OpenError::SetupFailed;
        r.detail = std::move(detail);
        CloseHandle(h);
        if (*claim)
            CloseHandle(*claim);
        return std::move(r);
    };
    // Exactly four fields change; flow control and the rest stay as the driver reported them.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    DCB applied{};
    applied.DCBlength = sizeof applied;
    bool set = GetCommState(h, &dcb) != 0;
    if (set) {
        dcb.BaudRate = baudOf(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        set = SetCommState(h, &dcb) != 0;
    }
    const DWORD setError = set ? 0 : GetLastError();
    // A driver may take the call and keep other settings: read them back.
    if (!set || !GetCommState(h, &applied) || applied.BaudRate != dcb.BaudRate || applied.ByteSize != 8
        || applied.Parity != NOPARITY || applied.StopBits != ONESTOPBIT)
        return setupFailed(set ? Words::lineSettingsRefused().toStdString() : systemReason(setError));
    // Reads return at once; a write gives up rather than wait for ever on a handshake.
    const PortTimeouts wanted = portTimeoutsFor(baud);
    COMMTIMEOUTS timeouts{wanted.readInterval, wanted.readTotalMultiplier, wanted.readTotalConstant,
        wanted.writeTotalMultiplier, wanted.writeTotalConstant};
    if (!SetCommTimeouts(h, &timeouts))
        return setupFailed(Words::timeoutsRefused(QString::fromStdString(systemReason(GetLastError()))).toStdString());
    // Bytes that reached the port before this open (a late answer to a program that has ended
    // since) are no answer to anything this operation sends: it starts with empty queues.
    PurgeComm(h, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    r.port = std::make_unique<WinSerialPort>(h, *claim);
    return r;
}

} // namespace tarnixw::link
