#pragma once

#include "DeviceForm.h"
#include "Dialogs.h"

#include <QString>
#include <functional>
#include <optional>

class QProgressBar;

namespace tarnixw::kit {

// The configuration files of every model share one pair of dialogs: the filter names each
// model's files in the order of `models` ("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*"; `own` alone
// when the list is empty), with own's entry selected when the dialog opens; when saving, a name
// typed without extension gets own's ("plx", "vyx"). The open dialog adds no extension.
FileDialogSpec configFileDialog(const models::Models& models, const models::DeviceModel& own, bool saving);

// The quick sweep of the bar after a file was written or read: 0, 1, ..., 99 with no pause.
void sweepProgress(QProgressBar* bar);

// Save File once the screen has been captured: asks for the name (a cancel ends it quietly),
// writes the file with `write` (which returns the text to show when it fails), then sweeps
// the bar, says "Save File Done." and sets the bar back to 0.
using FileAction = std::function<std::optional<QString>(const QString& path)>;
void saveConfiguration(const DeviceForm& form, const FileAction& write);

// Open File: asks for the name (a cancel ends it quietly), reads the file and shows it with
// `load` (which moves the bar as it goes, or returns the text to show when it refuses the file
// and leaves everything as it was), then says "Load File Done." and sets the bar back to 0.
void openConfiguration(const DeviceForm& form, const FileAction& load);

} // namespace tarnixw::kit
