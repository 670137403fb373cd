#pragma once

#include <QString>

namespace tarnixw::kit {

// A system message box without owner window and without icon, with one OK button and its own
// caption (the serial port errors). On Windows it is the system's own box (MessageBoxA); one
// implementation file per platform.
void showSystemBox(const QString& caption, const QString& text, const QString& detail);

} // namespace tarnixw::kit
