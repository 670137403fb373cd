#pragma once

#include "Result.h"

#include <QString>
#include <optional>

namespace tarnixw::values {

// The checks an analog parameter box makes when the user leaves it, shared by both models.
// They are pure: the form passes the texts in, shows the message when the check fails (and
// puts the focus back), and replaces the box's text with the rewritten one when one is given.

enum class FieldKind {
    Sensor, // integer, -10000..10000 mV, cross-checked with the channel's other limit
    PV, // number, -999..9999, rewritten "0.000"
    AlarmRange, // number, any value, rewritten "0.000"
    Silence, // integer, -32767..32767
    DecimalDigits, // integer, 0..3
    Hysteresis, // number, 0..5, rewritten "0.0"
};

// Why a check failed: one of its own messages (the box is held), or the toolkit's conversion
// error, shown in the error box: the handler just ends, the box is not held.
enum class CheckFailure { Refused, ToolkitError };
// A passed check gives the text the box is to show instead when its kind rewrites it.
using FieldCheckResult = Result<std::optional<QString>, CheckFailure>;

// Whether the kind's text must be an integer (otherwise any number).
bool isIntegerKind(FieldKind kind);

// "please input an integer number." or "please input a floating point number."
QString conversionMessage(FieldKind kind);

// Conversion, range test and rewrite of one box. For FieldKind::Sensor this is the range test
// of a sensor-from box only; use checkSensorFrom / checkSensorTo for the full sensor check.
FieldCheckResult checkField(FieldKind kind, const QString& text);

// The wording of the sensor checks, which differs between the two models, and how each
// comparison reads the partner box.
struct SensorCheckRules {
    QString fromRangeMessage; // range failure in a from box
    QString toRangeMessage; // range failure in a to box
    QString fromAboveToMessage; // from value greater than the partner to value
    QString toBelowFromMessage; // to value smaller than the partner from value
    QString toLabel; // caption of the to box ("To(mV):")
    QString fromLabel; // caption of the from box ("From(mV):")
    bool fromReadsPartnerAsNumber = false; // leaving a from box reads the to box as a number, not an integer
    bool toReadsPartnerAsNumber = false; // leaving a to box reads the from box as a number, not an integer
};
SensorCheckRules plixSensorRules();
SensorCheckRules vyrSensorRules();

// Leaving a sensor-from box: integer, range, then not above the partner to box.
// Equal from and to pass. A partner box that does not hold what the comparison reads ends the
// check with the toolkit's conversion error ("'abc' is not a valid integer value").
FieldCheckResult checkSensorFrom(const QString& text, const QString& partnerToText, const SensorCheckRules& rules);
// Leaving a sensor-to box: integer, range, then not below the partner from box.
FieldCheckResult checkSensorTo(const QString& text, const QString& partnerFromText, const SensorCheckRules& rules);

// A box's text as Write sends it, shared by Write and Save File of both models: a number,
// multiplied by `scale` and held in single precision, that fits a device field of `bits` once
// truncated (values::toUserField); otherwise the message naming the box by `label`.
Result<float> deviceValue(const QString& label, const QString& text, long double scale, int bits);

} // namespace tarnixw::values
