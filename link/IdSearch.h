#pragma once

#include "ModbusLink.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace tarnixw::link {

// What the ID search shows on its form while it runs.
struct IdSearchUi {
    // The wait for this candidate has just ended ("Searching... ID: n" on the button).
    std::function<void(int candidate)> showSearching;
    // The progress bar after each candidate (the caller clamps to 0..100).
    std::function<void(int value)> setProgress;
    // A device answered: this id goes into the ModbusID box, and the user is told ("ID  =  n")
    // before the bar moves on.
    std::function<void(int id)> setFoundId;
};

// The bar by the candidate as it is after its turn: candidate x 100 / 255. (A form may have a
// rule of its own.)
int idSearchProgress(int candidate);

// Probes ids 1..255 on the link's open port, one 16-step wait each, and stops at the first
// id whose answer is a complete, intact probe answer (id, 4, byte count 2, one register,
// CRC: 7 bytes). Anything else (another id, another function, an exception answer, a damaged
// or late answer) is passed over. Nothing is purged before a probe, so a late answer is read
// during the next candidate's turn and passed over there. Opening and closing the port and
// restoring the button and bar are the form's. Returns the id found; nothing when no device
// answered or when the link was cancelled during a wait (link.cancelled() tells which). With
// fast answers a probe ends as soon as its answer is in. A network port whose server closed the
// connection ends the search at once.
std::optional<std::uint8_t> IdSearch(
    ModbusLink& link, const IdSearchUi& ui, const std::function<int(int)>& progressRule);

} // namespace tarnixw::link
