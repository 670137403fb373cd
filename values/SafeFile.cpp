#include "SafeFile.h"

#include "DiskSync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnixw::values {

QString cannotOpenFileMessage()
{
    return QStringLiteral("Can not open file !!");
}

QString wrongFileSizeMessage(qint64 actualSize, const QString& modelName, qint64 expectedSize)
{
    return QStringLiteral("This file is %1 %2 long; a %3 configuration file has exactly %4 bytes.")
        .arg(actualSize)
        .arg(actualSize == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"))
        .arg(modelName)
        .arg(expectedSize);
}

namespace {

// The system's reason for a failed write. A write that the system cut short without one (a
// disk that filled up part way, a file size limit) leaves Qt's "Unknown error": said as what
// happened instead.
QString writeFailureReason(const QFileDevice& file)
{
    const QString reason = file.errorString();
    if (reason == QFile().errorString())
        return QStringLiteral("the disk took only part of the bytes");
    return reason;
}

} // namespace

std::optional<QString> saveFileSafely(const QString& path, const QByteArray& bytes)
{
    // Only a regular file is replaced: renaming over a device or a pipe would destroy it.
    const QFileInfo target(path);
    if (path.isEmpty() || (target.exists() && !target.isFile()))
        return cannotOpenFileMessage();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotOpenFileMessage();
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString reason = writeFailureReason(file);
        file.cancelWriting();
        return QStringLiteral("The file could not be written completely (%1); the previous file was left unchanged.")
            .arg(reason);
    }
    // The rename must not become visible before the data is on disk, or a power cut could
    // leave an empty file where the old one was.
    if (!file.flush() || !syncToDisk(file.handle())) {
        const QString reason = writeFailureReason(file);
        file.cancelWriting();
        return QStringLiteral("The file could not be written to disk (%1); the previous file was left unchanged.")
            .arg(reason);
    }
    if (!file.commit())
        return QStringLiteral("The file could not be saved (%1); the previous file was left unchanged.")
            .arg(file.errorString());
    return std::nullopt;
}

FileBytes readFileExactly(const QString& path, qint64 expectedSize, const QString& modelName)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir())
        return FileBytes::failure(cannotOpenFileMessage());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileBytes::failure(cannotOpenFileMessage());
    // Read one byte more than wanted, so that a file growing or a device reporting no size
    // is still measured by what it really gives.
    const QByteArray data = file.read(expectedSize + 1);
    if (file.error() != QFileDevice::NoError)
        return FileBytes::failure(cannotOpenFileMessage());
    qint64 actual = data.size();
    if (actual > expectedSize)
        actual = qMax(file.size(), actual);
    if (actual != expectedSize)
        return FileBytes::failure(wrongFileSizeMessage(actual, modelName, expectedSize));
    return FileBytes::of(data);
}

} // namespace tarnixw::values
