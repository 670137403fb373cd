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
    // Over Modbus TCP each probe has its own answer, told by its transaction: it is judged
    // alone, and the gateway says for itself when the device behind it is silent.
    if (&link.framing() != &kRtuFraming) {
        for (int slave = first; slave <= last; ++slave) {
            const std::int64_t sentAt
                = link.send(link.frameRequest(std::uint8_t(slave), putProbePdu(link.requestPdu())));
            const Verdict v = link.awaitAnswer(sentAt, steps + tailSteps, {}, std::uint8_t(slave), true);
            if (link.cancelled())
                return scan;
            if (v.accepted() || v.kind == Verdict::Kind::Exception) {
                const std::span<const std::uint8_t> pdu
                    = link.framing().answerPdu(std::span(link.buffers().ResponseBuffer).first(std::size_t(v.received)));
                scan.answers.push_back({std::uint8_t(slave),
                    v.accepted() ? std::optional<std::uint16_t>(std::uint16_t(GetShort(readAnswerData(pdu), 0)))
                                 : std::nullopt});
            } else if (v.kind == Verdict::Kind::Damaged || v.kind == Verdict::Kind::Incomplete) {
                scan.damaged.push_back(std::uint8_t(slave));
            }
            if (probed)
                probed(slave);
        }
        return scan;
    }
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
