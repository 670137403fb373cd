#include "FormFiles.h"

#include "BusyGuard.h"
#include "Messages.h"

namespace tarnixw::kit {

FileDialogSpec configFileDialog(const models::Models& models, const models::DeviceModel& own, bool saving)
{
    FileDialogSpec spec;
    const models::Models offered = models.empty() ? models::Models{&own} : models;
    for (std::size_t i = 0; i < offered.size(); ++i) {
        spec.filter += QStringLiteral("*.%1|*.%1|").arg(offered[i]->extension());
        if (offered[i] == &own)
            spec.selectedFilter = int(i);
    }
    spec.filter += QStringLiteral("All Files|*.*");
    if (saving)
        spec.defaultSuffix = own.extension();
    return spec;
}

void sweepProgress(QProgressBar* bar)
{
    BarSweep sweep(bar);
    for (int i = 0; i < 100; ++i)
        sweep.set(i);
}

void saveConfiguration(const DeviceForm& form, const FileAction& write)
{
    QProgressBar* const bar = form.ProgressBar1();
    const std::optional<QString> path
        = dialogs().saveFileName(configFileDialog(form.session().models, form.description(), true));
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

void openConfiguration(const DeviceForm& form, const FileAction& load)
{
    QProgressBar* const bar = form.ProgressBar1();
    const std::optional<QString> path
        = dialogs().openFileName(configFileDialog(form.session().models, form.description(), false));
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
