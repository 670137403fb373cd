#include "Config.h"

#include "JsonFormat.h"

#include "values/SafeFile.h"
#include "words/Words.h"

#include <QFileInfo>

namespace tarnixw::cli {

std::optional<FileKind> fileKindOf(const QString& path, const Models& models)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return FileKind{};
    if (const DeviceModel* m = models::modelOfExtension(models, suffix))
        return FileKind{m};
    return std::nullopt;
}

bool fitsModel(FileKind kind, const DeviceModel& model)
{
    return kind.json() || kind.model == &model;
}

QString kindsOfModel(const DeviceModel& model)
{
    return Words::cliKindsOfModel(model.name(), model.extension());
}

QString fileKinds(const Models& models)
{
    QStringList kinds;
    for (const DeviceModel* m : models)
        kinds << QLatin1Char('.') + m->extension();
    return kinds.join(QStringLiteral(", ")) + Words::cliOr() + QStringLiteral(".json");
}

QString whyNotReadable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return Words::cliItIsAFolder();
    // Said the same way on every system (Windows words it "The system cannot find the file specified.").
    if (!info.exists())
        return Words::cliNoSuchFile();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        return Words::cliCannotBeRead();
    // The system's reason: no such file, permission denied, too many levels of links, ...
    QString reason = file.errorString();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}

Loaded loadConfig(const QString& path, const Models& models)
{
    const std::optional<FileKind> kind = fileKindOf(path, models);
    if (!kind)
        return Loaded::failure(Words::labelled(path, Words::cliKindNotTold(fileKinds(models))), Exit::Usage);
    if (kind->json()) {
        // A configuration file is small; anything far larger is no configuration.
        constexpr qint64 kLargest = 4 * 1024 * 1024;
        QFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
            return Loaded::failure(
                QStringLiteral("%1: %2 (%3)").arg(path, Words::cannotOpenFile(), whyNotReadable(path)),
                Exit::FileError);
        const QByteArray text = file.read(kLargest + 1);
        if (file.error() != QFileDevice::NoError || text.size() > kLargest)
            return Loaded::failure(
                Words::labelled(path, text.size() > kLargest ? Words::cliTooLarge() : Words::cannotOpenFile()),
                Exit::FileError);
        JsonImport imported = configFromJson(text, models);
        if (!imported.config)
            return Loaded::failure(
                Words::labelled(path, Words::cliNotAConfiguration(imported.errors.join(QStringLiteral("\n  ")))),
                Exit::Invalid);
        return Loaded::of(*imported.config);
    }
    const DeviceModel& model = *kind->model;
    const values::FileBytes file = values::readFileExactly(path, model.fileSize(), model.name());
    if (!file.value)
        return Loaded::failure(file.kind == values::FileProblem::CannotOpen
                ? QStringLiteral("%1: %2 (%3)").arg(path, file.error, whyNotReadable(path))
                : Words::labelled(path, file.error),
            Exit::FileError);
    return Loaded::of({&model, *file.value});
}

std::optional<QString> saveConfig(const QString& path, const Configuration& config, const Models& models)
{
    const std::optional<FileKind> kind = fileKindOf(path, models);
    const QByteArray bytes = kind && kind->json() ? configToJson(config) : config.bytes;
    if (const std::optional<QString> error = values::saveFileSafely(path, bytes))
        return Words::labelled(path, *error);
    return std::nullopt;
}

// Why a configuration could not be saved at `path`, in the system's words; empty when it can.
QString whyNotWritable(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir())
        return Words::cliItIsAFolder();
    if (!folder.exists())
        return Words::cliNoSuchFolder(folder.filePath());
    if (!folder.isDir())
        return Words::cliNotAFolder(folder.filePath());
    if (!folder.isWritable() || (file.exists() && !file.isWritable()))
        return Words::cliPermissionDenied();
    return {};
}

} // namespace tarnixw::cli
