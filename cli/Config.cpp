#include "Config.h"

#include "JsonFormat.h"

#include "plix/PlixModel.h"
#include "values/SafeFile.h"
#include "vyr/VyrDecode.h"
#include "vyr/VyrFile.h"

#include <QFileInfo>

namespace tarnixw::cli {

QString modelName(Model model)
{
    return model == Model::Vyr ? QStringLiteral("VYRANTA") : QStringLiteral("PLIXARO");
}

QByteArray Config::fileBytes() const
{
    return model == Model::Vyr ? vyr::fileBytes(vyr) : plix.toBytes();
}

std::optional<FileKind> fileKindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("vyx"))
        return FileKind::Vyx;
    if (suffix == QLatin1String("plx"))
        return FileKind::Plx;
    if (suffix == QLatin1String("json"))
        return FileKind::Json;
    return std::nullopt;
}

bool fitsModel(FileKind kind, Model model)
{
    return kind == FileKind::Json || (kind == FileKind::Vyx) == (model == Model::Vyr);
}

QString kindsOfModel(Model model)
{
    return QStringLiteral("a %1 configuration is saved as %2 or .json")
        .arg(modelName(model), model == Model::Vyr ? QStringLiteral(".vyx") : QStringLiteral(".plx"));
}

Loaded configFromFileBytes(Model model, std::span<const std::uint8_t> bytes)
{
    Loaded r;
    Config c;
    c.model = model;
    if (model == Model::Vyr) {
        r.error = vyr::loadRecord(bytes, c.vyr);
    } else if (!c.plix.assign(QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())))) {
        r.error = values::wrongFileSizeMessage(qint64(bytes.size()), plix::kModelName, plix::kFileSize);
    }
    if (!r.error.isEmpty()) {
        r.exit = Exit::FileError;
        return r;
    }
    r.config = c;
    return r;
}

QString whyNotReadable(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("it is a folder");
    // Said the same way on every system (Windows words it "The system cannot find the file specified.").
    if (!info.exists())
        return QStringLiteral("no such file or directory");
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        return QStringLiteral("it cannot be read");
    // The system's reason: no such file, permission denied, too many levels of links, ...
    QString reason = file.errorString();
    while (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return reason;
}

Loaded loadConfig(const QString& path)
{
    Loaded r;
    const std::optional<FileKind> kind = fileKindOf(path);
    if (!kind) {
        r.error = QStringLiteral("%1: the name does not tell the kind of file; configuration files end in .vyx, "
                                 ".plx or .json")
                      .arg(path);
        r.exit = Exit::Usage;
        return r;
    }
    if (*kind == FileKind::Json) {
        // A configuration file is small; anything far larger is no configuration.
        constexpr qint64 kLargest = 4 * 1024 * 1024;
        QFile file(path);
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
            r.error = QStringLiteral("%1: %2 (%3)").arg(path, values::cannotOpenFileMessage(), whyNotReadable(path));
            r.exit = Exit::FileError;
            return r;
        }
        const QByteArray text = file.read(kLargest + 1);
        if (file.error() != QFileDevice::NoError || text.size() > kLargest) {
            r.error = text.size() > kLargest ? QStringLiteral("%1: too large for a configuration file").arg(path)
                                             : QStringLiteral("%1: %2").arg(path, values::cannotOpenFileMessage());
            r.exit = Exit::FileError;
            return r;
        }
        JsonImport imported = configFromJson(text);
        if (!imported.config) {
            r.error = QStringLiteral("%1: not a valid configuration:\n  %2").arg(path, imported.errors.join("\n  "));
            r.exit = Exit::Invalid;
            return r;
        }
        r.config = imported.config;
        return r;
    }
    const Model model = *kind == FileKind::Vyx ? Model::Vyr : Model::Plix;
    const qint64 size = model == Model::Vyr ? vyr::fileoffset::Size : plix::kFileSize;
    const values::FileBytes file = values::readFileExactly(path, size, modelName(model));
    if (!file.value) {
        r.error = file.error == values::cannotOpenFileMessage()
            ? QStringLiteral("%1: %2 (%3)").arg(path, file.error, whyNotReadable(path))
            : QStringLiteral("%1: %2").arg(path, file.error);
        r.exit = Exit::FileError;
        return r;
    }
    r = configFromFileBytes(model,
        std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(file.value->constData()), std::size_t(file.value->size())));
    return r;
}

std::optional<QString> saveConfig(const QString& path, const Config& config)
{
    const std::optional<FileKind> kind = fileKindOf(path);
    const QByteArray bytes = kind == FileKind::Json ? configToJson(config) : config.fileBytes();
    if (const std::optional<QString> error = values::saveFileSafely(path, bytes))
        return QStringLiteral("%1: %2").arg(path, *error);
    return std::nullopt;
}

Config templateConfig(Model model)
{
    Config c;
    c.model = model;
    // What Save File captures from a freshly built screen; the defaults always convert.
    if (model == Model::Vyr)
        vyr::recordScreen(vyr::Screen::defaults(), c.vyr);
    else
        plix::captureForSave(plix::Texts::defaults(), plix::ChannelFlags{}, c.plix);
    return c;
}

Loaded configFromRead(Model model, std::span<const std::uint8_t> deviceImage)
{
    Loaded r;
    Config c;
    c.model = model;
    QString error;
    if (model == Model::Vyr) {
        const std::optional<vyr::Screen> screen = vyr::decodeDeviceImage(deviceImage);
        error = screen ? vyr::recordScreen(*screen, c.vyr) : QStringLiteral("The device image is incomplete.");
    } else {
        const std::optional<plix::DecodedSet> shown = plix::decodeDeviceImage(deviceImage);
        if (!shown)
            error = QStringLiteral("The device image is incomplete.");
        else if (const std::optional<QString> refused = plix::captureForSave(shown->texts, shown->flags, c.plix))
            error = *refused;
    }
    if (!error.isEmpty()) {
        r.error = error;
        r.exit = Exit::Invalid;
        return r;
    }
    r.config = c;
    return r;
}

} // namespace tarnixw::cli
