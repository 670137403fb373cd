#pragma once

#include "Dialogs.h"

#include <QString>
#include <functional>
#include <optional>

class QProgressBar;

namespace tarnixw::kit {

// The configuration files of both models share one pair of dialogs.
enum class ConfigFileModel { Plix, Vyr };

// The filter "*.plx|*.plx|*.vyx|*.vyx|All Files|*.*" with the model's own entry selected when
// the dialog opens; when saving, a name typed without extension gets the model's ("plx",
// "vyx"). The open dialog adds no extension.
FileDialogSpec configFileDialog(ConfigFileModel model, bool saving);

// The quick sweep of the bar after a file was written or read: 0, 1, ..., 99 with no pause.
void sweepProgress(QProgressBar* bar);

// Save File once the screen has been captured: asks for the name (a cancel ends it quietly),
// writes the file with `write` (which returns the text to show when it fails), then sweeps
// the bar, says "Save File Done." and sets the bar back to 0.
void saveConfiguration(
    ConfigFileModel model, QProgressBar* bar, const std::function<std::optional<QString>(const QString& path)>& write);

// Open File: asks for the name (a cancel ends it quietly), reads the file and shows it with
// `load` (which moves the bar as it goes, or returns the text to show when it refuses the file
// and leaves everything as it was), then says "Load File Done." and sets the bar back to 0.
void openConfiguration(
    ConfigFileModel model, QProgressBar* bar, const std::function<std::optional<QString>(const QString& path)>& load);

} // namespace tarnixw::kit
