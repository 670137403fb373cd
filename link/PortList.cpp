#include "PortList.h"

#include "NetworkPorts.h"

#include <set>

namespace tarnixw::link {

namespace {
PortList* g_override = nullptr;
} // namespace

PortList::PortList(PortSources sources)
    : m_sources(std::move(sources))
{ }

std::optional<std::vector<PortEntry>> PortList::refresh()
{
    bool ok = true;
    std::vector<PortEntry> entries = scan(ok);
    if (!ok && entries.empty())
        return std::nullopt;
    // The network ports come after the serial ones, in the file's order.
    const NetworkPortFile network
        = readNetworkPorts(m_sources.networkFile.isEmpty() ? networkPortsFile() : m_sources.networkFile);
    m_networkProblems = network.problems;
    for (const NetworkPort& p : network.ports) {
        PortEntry e;
        e.deviceName = QStringLiteral("network:") + p.name;
        e.devicePath = p.address.text();
        e.stableName = p.name;
        e.kind = PortKind::Network;
        entries.push_back(std::move(e));
    }

    // Ports that are gone give their numbers back.
    std::map<QString, int> kept;
    for (const PortEntry& e : entries)
        if (auto it = m_numbers.find(e.deviceName); !e.namedBySystem && it != m_numbers.end())
            kept.insert(*it);
    m_numbers = std::move(kept);

    std::set<int> used;
    for (const auto& [name, number] : m_numbers)
        used.insert(number);
    for (const PortEntry& e : entries)
        if (e.namedBySystem)
            used.insert(e.number); // a network port takes none of the system's numbers
    for (PortEntry& e : entries) {
        if (e.namedBySystem)
            continue;
        auto it = m_numbers.find(e.deviceName);
        if (it == m_numbers.end()) {
            int n = 1;
            while (used.count(n))
                ++n;
            used.insert(n);
            it = m_numbers.emplace(e.deviceName, n).first;
        }
        e.number = it->second;
        e.portName = QStringLiteral("COM%1").arg(e.number);
    }
    return entries;
}

std::optional<PortEntry> PortList::find(int number)
{
    const auto entries = refresh();
    if (!entries)
        return std::nullopt;
    for (const PortEntry& e : *entries)
        if (e.number == number)
            return e;
    return std::nullopt;
}

PortList& PortList::system()
{
    if (g_override)
        return *g_override;
    static PortList list;
    return list;
}

PortList* PortList::setSystem(PortList* list)
{
    PortList* before = g_override;
    g_override = list;
    return before;
}

} // namespace tarnixw::link
