#pragma once

#include "Modbus.h"
#include "ModbusLink.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tarnixw::link {

// Who answered the ID probe on the bus at one rate.
struct BusScan {
    std::vector<ProbeAnswer> answers; // in the order they came, each slave once
    std::vector<std::uint8_t> damaged; // slaves whose answer came damaged, each once
    bool noise = false; // bytes came that no slave can be told from
};

// Probes slaves first..last on the link's open port, each with a wait of `steps` 15 ms steps
// that ends as soon as that slave's own answer is in (with fast answers). Nothing is purged
// between probes: an answer that comes late is read during a later wait and told by its slave
// id, and after the last probe the wait goes on for `tailSteps` more to gather the latest.
// `probed` is told each slave as its wait ends. When the link is cancelled: what was found.
// Over Modbus TCP, where every answer is told by its transaction, each probe waits for its own
// answer (steps + tailSteps at most).
BusScan scanBus(
    ModbusLink& link, int first, int last, int steps, int tailSteps, const std::function<void(int slave)>& probed = {});

} // namespace tarnixw::link
