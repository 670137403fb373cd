#include "IdSearch.h"

namespace tarnixw::link {

int idSearchProgress(int candidate)
{
    return candidate * 100 / 255;
}

std::optional<std::uint8_t> IdSearch(
    ModbusLink& link, const IdSearchUi& ui, const std::function<int(int)>& progressRule)
{
    int candidate = 1;
    std::optional<std::uint8_t> found;
    while (candidate <= 255 && !found) {
        const std::int64_t sentAt
            = link.send(link.frameRequest(std::uint8_t(candidate), putProbePdu(link.requestPdu())));
        // Only the intact 7-byte answer of this candidate counts (id, 4, byte count 2, one
        // register, CRC); with fast answers the wait ends as soon as it is in.
        const Verdict answer = link.awaitAnswer(sentAt, kBlockWaitSteps, {}, std::uint8_t(candidate), true);
        if (link.cancelled())
            return std::nullopt;
        // The server behind a network port closed the connection: no id can answer any more.
        if (answer.kind == Verdict::Kind::Disconnected)
            break;
        if (ui.showSearching)
            ui.showSearching(candidate);
        if (answer.accepted()) {
            found = std::uint8_t(candidate);
            if (ui.setFoundId)
                ui.setFoundId(candidate);
        } else {
            ++candidate;
        }
        if (ui.setProgress && progressRule)
            ui.setProgress(progressRule(candidate));
    }
    return found;
}

} // namespace tarnixw::link
