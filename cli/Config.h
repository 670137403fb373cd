#pragma once

#include "ExitCode.h"

#include "model/DeviceModel.h"
#include "values/Result.h"

#include <QString>
#include <optional>

namespace tarnixw::cli {

using models::Configuration;
using models::DeviceModel;
using models::Models;

// A kind of configuration file, told by the name's extension (in any case): a model's binary
// file, or the JSON format (any model, named in the file).
struct FileKind {
    const DeviceModel* model = nullptr; // nullptr: JSON
    bool json() const { return model == nullptr; }
};
std::optional<FileKind> fileKindOf(const QString& path, const Models& models);
// Whether a configuration of this model can be saved as a file of this kind.
bool fitsModel(FileKind kind, const DeviceModel& model);
// "a VYRANTA configuration is saved as .vyx or .json"
QString kindsOfModel(const DeviceModel& model);
// ".vyx, .plx or .json"
QString fileKinds(const Models& models);

// A configuration read from a file, or why not (the message, and the exit code to give).
using Loaded = values::Result<Configuration, Exit>;

// A binary file of the right size for its extension, or a JSON file (the model named in it).
Loaded loadConfig(const QString& path, const Models& models);
// Why a file cannot be opened for reading, in the system's words ("no such file or
// directory", "permission denied", "it is a folder").
QString whyNotReadable(const QString& path);
// Why a configuration could not be saved at `path`, in the system's words; empty when it can.
QString whyNotWritable(const QString& path);
// Writes the configuration as the file's extension says (the caller has checked that it fits
// the model), never leaving a half-written file; the message when it fails.
std::optional<QString> saveConfig(const QString& path, const Configuration& config, const Models& models);

} // namespace tarnixw::cli
