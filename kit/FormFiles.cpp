#include "FormFiles.h"

#include "BusyGuard.h"
#include "Messages.h"

namespace tarnixw::kit {

FileDialogSpec configFileDialog(ConfigFileModel model, bool saving)
{
    FileDialogSpec spec;
    spec.filter = QStringLiteral("*.plx|*.plx|*.vyx|*.vyx|All Files|*.*");
    spec.selectedFilter = model == ConfigFileModel::Plix ? 0 : 1;
    if (saving)
        spec.defaultSuffix = model == ConfigFileModel::Plix ? QStringLiteral("plx") : QStringLiteral("vyx");
    return spec;
}

void sweepProgress(QProgressBar* bar)
{
    BarSweep sweep(bar);
    for (int i = 0; i < 100; ++i)
        sweep.set(i);
}

void saveConfiguration(
    ConfigFileModel model, QProgressBar* bar, const std::function<std::optional<QString>(const QString& path)>& write)
{
    const std::optional<QString> path = dialogs().saveFileName(configFileDialog(model, true));
    if (!path)
        return;
    if (const std::optional<QString> error = write(*path)) {
        dialogs().message(*error); // no "Save File Done.": the file was not written whole
        return;
    }
    sweepProgress(bar);
    dialogs().message(text::saveFileDone());
    BusyGuard::setBar(bar, 0);
}

void openConfiguration(
    ConfigFileModel model, QProgressBar* bar, const std::function<std::optional<QString>(const QString& path)>& load)
{
    const std::optional<QString> path = dialogs().openFileName(configFileDialog(model, false));
    if (!path)
        return;
    if (const std::optional<QString> error = load(*path)) {
        dialogs().message(*error);
        return;
    }
    dialogs().message(text::loadFileDone());
    BusyGuard::setBar(bar, 0);
}

} // namespace tarnixw::kit
