#include "IdSearch.h"

#include "Dialogs.h"

namespace tarnixw::link {

int vyrIdSearchProgress(int candidate)
{
    return (candidate / 5) * 2;
}

int plixIdSearchProgress(int candidate)
{
    return candidate * 100 / 255;
}

namespace {

bool isProbeAnswer(std::span<const std::uint8_t> frame, int candidate)
{
    return frame.size() == 7 && frame[0] == candidate && frame[1] == kReadInput && frame[2] == 2 && hasValidCrc(frame);
}

} // namespace

std::optional<std::uint8_t> IdSearch(
    ModbusLink& link, const IdSearchUi& ui, const std::function<int(int)>& progressRule)
{
    int candidate = 1;
    std::optional<std::uint8_t> found;
    ModelBuffers& buffers = link.buffers();
    const auto answered = [&](std::size_t received) {
        return received > 0 && received <= buffers.ResponseBuffer.size()
            && isProbeAnswer(std::span<const std::uint8_t>(buffers.ResponseBuffer.data(), received), candidate);
    };
    while (candidate <= 255 && !found) {
        const int length = buildProbeFrame(buffers.RequestBuffer, std::uint8_t(candidate));
        const std::int64_t sentAt = link.send(length);
        const std::size_t received = link.awaitAnswer(sentAt, kBlockWaitSteps, {}, answered);
        if (link.cancelled())
            return std::nullopt;
        if (ui.showSearching)
            ui.showSearching(candidate);
        const bool accepted = answered(received);
        if (accepted) {
            found = std::uint8_t(candidate);
            if (ui.setFoundId)
                ui.setFoundId(candidate);
            dialogs().message(QStringLiteral("ID  =  %1").arg(candidate));
        } else {
            ++candidate;
        }
        if (ui.setProgress && progressRule)
            ui.setProgress(progressRule(candidate));
    }
    if (candidate > 255)
        dialogs().message(QStringLiteral("Can not Find Device ID !!"));
    return found;
}

} // namespace tarnixw::link
