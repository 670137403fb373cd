#pragma once

#include "ExitCode.h"

#include "plix/PlixParamSet.h"
#include "vyr/VyrParamSet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnixw::cli {

enum class Model { Vyr, Plix };

// "VYRANTA", "PLIXARO": how files, messages and the JSON format name the models.
QString modelName(Model model);

// A configuration of either model exactly as its configuration file holds it: the VYR record
// or the PLIX parameter image, every byte of it (padding and calibration included).
struct Config {
    Model model = Model::Vyr;
    vyr::VYRParamSet vyr;
    plix::PLIXParamSet plix;

    // The binary configuration file (.vyx, 1204 bytes; .plx, 100 bytes).
    QByteArray fileBytes() const;
    bool operator==(const Config&) const = default;
};

// The kinds of configuration file, told by the name's extension (in any case).
enum class FileKind { Vyx, Plx, Json };
std::optional<FileKind> fileKindOf(const QString& path);
// Whether a configuration of this model can be saved as a file of this kind.
bool fitsModel(FileKind kind, Model model);
// "a VYRANTA configuration is saved as .vyx or .json"
QString kindsOfModel(Model model);

// A configuration read from a file, or why not (the message and the exit code to give).
struct Loaded {
    std::optional<Config> config;
    QString error;
    Exit exit = Exit::Done;
};

// A binary file of the right size for its extension, or a JSON file (the model named in it).
Loaded loadConfig(const QString& path);
// Why a file cannot be opened for reading, in the system's words ("no such file or
// directory", "permission denied", "it is a folder").
QString whyNotReadable(const QString& path);
// The binary image of a model's configuration file, of exactly the right size.
Loaded configFromFileBytes(Model model, std::span<const std::uint8_t> bytes);
// Writes the configuration as the file's extension says (the caller has checked that it fits
// the model), never leaving a half-written file; the message when it fails.
std::optional<QString> saveConfig(const QString& path, const Config& config);

// The file Save File writes right after the program starts: the screens' designed defaults,
// calibration fields zero.
Config templateConfig(Model model);

// The file Save File writes right after a Read that brought this DeviceImage, in a freshly
// started program: the image decoded into the screen as Read shows it, captured as Save File
// captures it (calibration fields zero). Refused with Save File's message when the screen
// holds a value that cannot be saved.
Loaded configFromRead(Model model, std::span<const std::uint8_t> deviceImage);

} // namespace tarnixw::cli
