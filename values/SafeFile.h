#pragma once

#include "Result.h"
#include "words/Words.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnixw::values {

// Writes `bytes` to `path` without ever leaving a half-written file behind: the bytes go to a
// temporary file beside the target, which is flushed to disk and then renamed over the target.
// Returns nothing on success, otherwise the text to show; on failure an existing file at
// `path` is left exactly as it was.
std::optional<QString> saveFileSafely(const QString& path, const QByteArray& bytes);

// The whole content of a configuration file that must be exactly `expectedSize` bytes long,
// or the message: Words::cannotOpenFile() when the file cannot be opened for reading (a
// directory counts as that), otherwise Words::wrongFileSize(actual, modelName, expectedSize).
enum class FileProblem { None, CannotOpen, WrongSize };
using FileBytes = Result<QByteArray, FileProblem>;
FileBytes readFileExactly(const QString& path, qint64 expectedSize, const QString& modelName);

} // namespace tarnixw::values
