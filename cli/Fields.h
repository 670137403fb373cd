#pragma once

#include "Config.h"

#include "values/FieldChecks.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tarnixw::cli {

// Every value of a configuration file as one table per model: where the JSON format holds it,
// how a person names it and reads it, what its device field can hold and what the form's
// field check accepts. The JSON format, show, diff and the write checks all walk it.

// How a value is written and read.
enum class Format {
    Identity, // the index of the entry that holds it ("channel": 3); no value of the device
    Flag, // one bit: true / false
    Integer, // an integer, in the field's unit
    Thousandths, // an integer in thousandths, written with 3 decimals (P.V. and alarms)
    Tenths, // an integer in tenths, written with 1 decimal (hysteresis %)
};

// One step of a JSON path: a key of an object, or an index into an array.
struct PathStep {
    QString key;
    int index = -1;
};

struct Field {
    std::vector<PathStep> path; // where the JSON format holds it
    // >= 0: the field is whether this number is in the list of integers at `path` (the DO
    // mapping: the inputs of an output)
    int listItem = -1;
    QString label; // "AI 3 sensor to"
    Format format = Format::Integer;
    QString unit; // "mV", "min", "%" (shown after the number)
    // What the device field holds, in the integers of the file (an 8-bit field either reading).
    std::int64_t min = 0;
    std::int64_t max = 0;
    // The check the form makes when its box is left, run on the value's exact text; none: the
    // form has no box for it. A sensor From is followed by its To in the table.
    std::optional<values::FieldKind> check;
    bool onDevice = true; // false for the padding words, which only the file holds
    QString off = QStringLiteral("no"); // a flag's two states
    QString on = QStringLiteral("yes");
    std::function<std::int64_t(const Config&)> get;
    std::function<void(Config&, std::int64_t)> set;
};

// The table of a model, in the order of the JSON format.
const std::vector<Field>& fieldsOf(Model model);

// "analog_inputs[3].sensor_to_mV"
QString pathText(const std::vector<PathStep>& path);
// The value for a person, with its unit: "5000 mV", "100.000", "0.5 %", "on", "yes".
QString valueText(const Field& field, std::int64_t value);
// The value as a JSON number or literal: "100.000", "0.5", "true".
QString jsonText(const Field& field, std::int64_t value);

// The values the forms' checks would refuse or never produce, one line each with the form's
// own message ("AI 3 decimal digits: 7, which the form refuses: "Please input an integer
// number between 0 and 3.""): each box's check run on the value's exact text, a DI channel
// with both relay modes, PLIXARO mask bits other than the two channels'.
// Empty sensor ranges among them too (a channel whose sensor From equals its To).
QStringList outsideFormChecks(const Config& config);

// Each channel whose sensor range is empty (From = To): its scaling cannot be computed, so the
// configuration cannot be written. "AI 3: sensor from and to are both 1000 mV, ...".
QStringList emptySensorRanges(const Config& config);

} // namespace tarnixw::cli
