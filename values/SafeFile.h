#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnixw::values {

// The message shown when a configuration file cannot be opened (either way).
QString cannotOpenFileMessage();

// The message for a configuration file of the wrong length, for instance
// "This file is 1204 bytes long; a PLIXARO configuration file has exactly 100 bytes."
QString wrongFileSizeMessage(qint64 actualSize, const QString& modelName, qint64 expectedSize);

// Writes `bytes` to `path` without ever leaving a half-written file behind: the bytes go to a
// temporary file beside the target, which is flushed to disk and then renamed over the target.
// Returns nothing on success, otherwise the text to show; on failure an existing file at
// `path` is left exactly as it was.
std::optional<QString> saveFileSafely(const QString& path, const QByteArray& bytes);

// The whole content of a configuration file that must be exactly `expectedSize` bytes long,
// or the message: cannotOpenFileMessage() when the file cannot be opened for reading (a
// directory counts as that), otherwise wrongFileSizeMessage(actual, modelName, expectedSize).
using FileBytes = Result<QByteArray>;
FileBytes readFileExactly(const QString& path, qint64 expectedSize, const QString& modelName);

} // namespace tarnixw::values
