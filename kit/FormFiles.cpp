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

namespace {

// Asks for the file's name (a cancel ends it quietly), saves or opens it with `action` and says
// what came of it.
void fileOperation(const DeviceForm& form, const FileAction& action, bool saving)
{
    QProgressBar* const bar = form.ProgressBar1();
    const FileDialogSpec spec = configFileDialog(form.session().models, form.description(), saving);
    const std::optional<QString> path = saving ? dialogs().saveFileName(spec) : dialogs().openFileName(spec);
    if (!path)
        return;
    if (const std::optional<QString> error = action(*path)) {
        dialogs().message(*error); // no "Done": the file was not written or read whole
        return;
    }
    if (saving)
        sweepProgress(bar);
    dialogs().message(saving ? text::saveFileDone() : text::loadFileDone());
    BusyGuard::setBar(bar, 0);
}

} // namespace

void saveConfiguration(const DeviceForm& form, const FileAction& write)
{
    fileOperation(form, write, true);
}

void openConfiguration(const DeviceForm& form, const FileAction& load)
{
    fileOperation(form, load, false);
}

} // namespace tarnixw::kit
