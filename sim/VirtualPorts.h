#pragma once

#include "link/PortList.h"
#include "values/Result.h"

#include <QString>

namespace tarnixw::sim {

// Where simulated devices publish their pseudo-terminals as named links: the program's own
// virtual-port directory ($XDG_RUNTIME_DIR/tarnixw/ports/ when XDG_RUNTIME_DIR is set, else
// /tmp/tarnixw-<uid>/ports/).
using link::virtualPortDirectory;

// Creates the directory (and its tarnixw parent) with mode 0700 if missing; its path, or why it
// cannot be made or belongs to another user.
values::Result<QString> ensureVirtualPortDirectory();

} // namespace tarnixw::sim
