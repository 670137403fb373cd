#include "PortList.h"

#include "Platform.h"
#include "PortDiscovery.h"
#include "WinSerialPort.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tarnixw::link {

std::optional<RegistryValue> readRegistryValue(
    void* key, unsigned long index, unsigned long nameChars, unsigned long dataBytes)
{
    // A value name has at most 16,383 characters; the data grows to what Windows says it needs.
    constexpr DWORD kLongestName = 16384;
    std::vector<wchar_t> name(std::max<DWORD>(nameChars, 1) + 1);
    std::vector<BYTE> data(std::max<DWORD>(dataBytes, 1) + sizeof(wchar_t));
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD nameLength = DWORD(name.size());
        DWORD dataLength = DWORD(data.size() - sizeof(wchar_t));
        DWORD type = 0;
        const LONG rc = RegEnumValueW(
            static_cast<HKEY>(key), index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
        if (rc == ERROR_SUCCESS) {
            RegistryValue v;
            v.name.assign(name.data(), nameLength);
            v.type = type;
            v.data.assign(data.begin(), data.begin() + dataLength);
            return v;
        }
        if (rc != ERROR_MORE_DATA)
            return std::nullopt;
        name.resize(kLongestName + 1);
        data.resize(std::max<std::size_t>(std::size_t(dataLength) + sizeof(wchar_t), data.size() * 2));
    }
    return std::nullopt;
}

// The system's list of serial ports: the values of HARDWARE\DEVICEMAP\SERIALCOMM under the
// local machine, in enumeration order. Each value's name is the kernel's device name
// (\Device\Serial0) and its data the port's name (COM1). The key is opened read only and
// never created; when it cannot be opened the list cannot be read at all.
std::vector<PortEntry> PortList::scan(bool& ok) const
{
    std::vector<PortEntry> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(
            HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(m_sources.registryKey.utf16()), 0, KEY_READ, &key)
        != ERROR_SUCCESS) {
        ok = false;
        return out;
    }
    ok = true;
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &longestData,
            nullptr, nullptr)
        != ERROR_SUCCESS)
        count = 0;
    for (DWORD i = 0; i < count; ++i) {
        const std::optional<RegistryValue> value = readRegistryValue(key, i, longestName, longestData);
        if (!value)
            continue;
        PortEntry e;
        e.namedBySystem = true;
        e.deviceName = QString::fromStdWString(value->name);
        if (value->type == REG_SZ || value->type == REG_EXPAND_SZ) {
            // The stored string need not end in a null character.
            QString port = QString::fromWCharArray(
                reinterpret_cast<const wchar_t*>(value->data.data()), int(value->data.size() / sizeof(wchar_t)));
            while (port.endsWith(QChar(0)))
                port.chop(1);
            e.portName = port.trimmed();
        }
        e.stableName = e.portName; // Windows gives a device the same COM name every time
        if (const std::optional<int> n = trailingPortNumber(e.portName)) {
            e.number = *n;
            e.devicePath = QString::fromStdString(winDeviceName(*n));
        }
        // What the device name tells of the port: USB serial drivers name theirs so.
        if (e.deviceName.contains(QLatin1String("USB"), Qt::CaseInsensitive)
            || e.deviceName.contains(QLatin1String("VCP"), Qt::CaseInsensitive))
            e.kind = PortKind::Usb;
        out.push_back(e);
    }
    RegCloseKey(key);
    return out;
}

PortOpener& systemPortOpener()
{
    static WinPortOpener win;
    return win;
}

std::optional<QString> comPortDevice(int portNumber)
{
    // A network port of the user's file is found in the list. A serial port's name is built
    // from the number alone, as the port list of the form shows it; the system says whether
    // such a port exists when it is opened.
    if (const std::optional<PortEntry> entry = portNumber > 0 ? PortList::system().find(portNumber) : std::nullopt;
        entry && entry->kind == PortKind::Network)
        return entry->devicePath;
    return QString::fromStdString(winDeviceName(portNumber));
}

} // namespace tarnixw::link
