#include "SafeFile.h"

#include "DiskSync.h"
#include "words/Words.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace tarnixw::values {

namespace {

// The system's reason for a failed write. A write that the system cut short without one (a
// disk that filled up part way, a file size limit) leaves Qt's "Unknown error": said as what
// happened instead.
QString writeFailureReason(const QFileDevice& file)
{
    const QString reason = file.errorString();
    if (reason == QFile().errorString())
        return Words::diskTookPart();
    return reason;
}

} // namespace

std::optional<QString> saveFileSafely(const QString& path, const QByteArray& bytes)
{
    // Only a regular file is replaced: renaming over a device or a pipe would destroy it.
    const QFileInfo target(path);
    if (path.isEmpty() || (target.exists() && !target.isFile()))
        return Words::cannotOpenFile();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Words::cannotOpenFile();
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        const QString reason = writeFailureReason(file);
        file.cancelWriting();
        return Words::fileNotWrittenCompletely(reason);
    }
    // The rename must not become visible before the data is on disk, or a power cut could
    // leave an empty file where the old one was.
    if (!file.flush() || !syncToDisk(file.handle())) {
        const QString reason = writeFailureReason(file);
        file.cancelWriting();
        return Words::fileNotOnDisk(reason);
    }
    if (!file.commit())
        return Words::fileNotSaved(file.errorString());
    return std::nullopt;
}

FileBytes readFileExactly(const QString& path, qint64 expectedSize, const QString& modelName)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir())
        return FileBytes::failure(Words::cannotOpenFile(), FileProblem::CannotOpen);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileBytes::failure(Words::cannotOpenFile(), FileProblem::CannotOpen);
    // Read one byte more than wanted, so that a file growing or a device reporting no size
    // is still measured by what it really gives.
    const QByteArray data = file.read(expectedSize + 1);
    if (file.error() != QFileDevice::NoError)
        return FileBytes::failure(Words::cannotOpenFile(), FileProblem::CannotOpen);
    qint64 actual = data.size();
    if (actual > expectedSize)
        actual = qMax(file.size(), actual);
    if (actual != expectedSize)
        return FileBytes::failure(Words::wrongFileSize(actual, modelName, expectedSize), FileProblem::WrongSize);
    return FileBytes::of(data);
}

} // namespace tarnixw::values
