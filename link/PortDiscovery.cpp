#include "PortDiscovery.h"

#include "PortList.h"

namespace tarnixw::link {

PortListReader systemPortListReader()
{
    return []() -> std::optional<std::vector<PortListValue>> {
        const auto entries = PortList::system().refresh();
        if (!entries)
            return std::nullopt;
        std::vector<PortListValue> values;
        values.reserve(entries->size());
        for (const PortEntry& e : *entries)
            values.push_back({e.deviceName, e.portName});
        return values;
    };
}

std::optional<int> trailingPortNumber(const QString& portName)
{
    qsizetype start = portName.size();
    while (start > 0 && portName[start - 1].isDigit() && portName[start - 1].unicode() < 128)
        --start;
    if (start == portName.size())
        return std::nullopt;
    // Leading zeros and absurd lengths: the value must be a port number the program can use.
    bool ok = false;
    const int n = portName.mid(start).right(9).toInt(&ok);
    if (!ok || n <= 0 || portName.size() - start > 9)
        return std::nullopt;
    return n;
}

CablePort findCablePort(const PortListReader& reader)
{
    const auto values = reader();
    if (!values)
        return {CablePort::Finding::NoList};
    if (values->empty())
        return {CablePort::Finding::NoPorts};
    // The cable is taken to be the "Device" listed last. A value whose port name does not end
    // in a number names no port and is passed over.
    std::optional<int> port;
    for (const PortListValue& v : *values) {
        if (!v.name.contains(QLatin1String("Device")))
            continue;
        if (const auto n = trailingPortNumber(v.data))
            port = n;
    }
    if (!port)
        return {CablePort::Finding::NoDevicePort};
    return {CablePort::Finding::Found, *port};
}

} // namespace tarnixw::link
