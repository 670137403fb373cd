#include "BusScan.h"

#include <algorithm>

namespace tarnixw::link {

BusScan scanBus(
    ModbusLink& link, int first, int last, int steps, int tailSteps, const std::function<void(int slave)>& probed)
{
    BusScan scan;
    // Bytes of an answer that was still arriving when a wait ended.
    std::vector<std::uint8_t> carried;
    const auto take = [&](const Verdict& v, bool atEnd) {
        const std::vector<std::uint8_t>& buf = link.buffers().ResponseBuffer;
        const std::size_t stored = std::min(std::size_t(v.received), buf.size());
        scan.noise = scan.noise || stored < std::size_t(v.received);
        carried.insert(carried.end(), buf.begin(), buf.begin() + long(stored));
        const ProbeBytes found = rtuProbeAnswers(carried);
        for (const ProbeAnswer& a : found.answers)
            if (std::none_of(scan.answers.begin(), scan.answers.end(),
                    [&](const ProbeAnswer& known) { return known.slave == a.slave; }))
                scan.answers.push_back(a);
        for (const std::uint8_t slave : found.damaged)
            if (std::find(scan.damaged.begin(), scan.damaged.end(), slave) == scan.damaged.end())
                scan.damaged.push_back(slave);
        // The start of an answer that never ended is noise.
        scan.noise = scan.noise || found.noise || (atEnd && found.partial > 0);
        carried.erase(carried.begin(), carried.end() - long(found.partial));
    };
    std::int64_t lastSentAt = 0;
    for (int slave = first; slave <= last; ++slave) {
        lastSentAt = link.send(link.frameRequest(std::uint8_t(slave), putProbePdu(link.requestPdu())));
        const Verdict v = link.awaitAnswer(lastSentAt, steps, {}, std::uint8_t(slave), true);
        if (link.cancelled())
            return scan;
        take(v, false);
        if (probed)
            probed(slave);
    }
    // The last probe's wait, drawn out for the answers still on their way.
    if (last >= first && tailSteps > 0) {
        const Verdict v = link.awaitAnswer(lastSentAt, steps + tailSteps, {}, std::uint8_t(last), false);
        if (!link.cancelled())
            take(v, true);
    }
    return scan;
}

} // namespace tarnixw::link
