#pragma once

#include "Config.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace tarnixw::cli {

// The JSON format of a configuration (docs/json-format.md): {"format": 1, "model": ...} and
// every value of the configuration file by name, with its unit in the name, in the order of
// the model's field table. Values are exact: thousandths with 3 decimals, tenths with 1,
// integers as integers, so a file converts to JSON and back byte for byte.
QByteArray configToJson(const Configuration& config);

// Exactly one of `config` and `errors` is set. Each error names the JSON path and the value:
// text that is no JSON, a format or model it does not know, unknown and missing keys, values of
// the wrong type, values that do not fit their device field or hold more decimals than it.
struct JsonImport {
    std::optional<Configuration> config;
    QStringList errors;
};
JsonImport configFromJson(const QByteArray& text, const Models& models);

} // namespace tarnixw::cli
