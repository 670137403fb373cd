#include "FieldChecks.h"

#include "Fixed.h"
#include "NumberText.h"
#include "words/Words.h"

namespace tarnixw::values {

namespace {

using R = FieldCheckResult;

FieldCheckResult pass(std::optional<QString> rewritten = std::nullopt)
{
    return R::of(std::move(rewritten));
}

// A box's text read as a number, or as an integer: the integer kinds read their own box as
// one, and a sensor comparison reads the partner box as its rules say.
std::optional<long double> readText(const QString& text, bool asNumber)
{
    if (asNumber)
        return parseNumber(text);
    const auto i = parseInteger(text);
    if (!i)
        return std::nullopt;
    return static_cast<long double>(*i);
}

// Bounds are inclusive: the value at a bound passes.
bool outside(long double v, long double lo, long double hi)
{
    return v < lo || v > hi;
}

} // namespace

bool isIntegerKind(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Sensor:
    case FieldKind::Silence:
    case FieldKind::DecimalDigits:
        return true;
    case FieldKind::PV:
    case FieldKind::AlarmRange:
    case FieldKind::Hysteresis:
        return false;
    }
    return false;
}

QString conversionMessage(FieldKind kind)
{
    return isIntegerKind(kind) ? Words::inputAnInteger() : Words::inputANumber();
}

FieldCheckResult checkField(FieldKind kind, const QString& text)
{
    const auto value = readText(text, !isIntegerKind(kind));
    if (!value)
        return R::failure(conversionMessage(kind));
    const long double v = *value;
    switch (kind) {
    case FieldKind::Sensor:
        if (outside(v, -10000, 10000))
            return R::failure(Words::sensorRange());
        return pass();
    case FieldKind::PV:
        if (outside(v, -999, 9999))
            return R::failure(Words::pvRange());
        return pass(formatDecimals(v, 3));
    case FieldKind::AlarmRange:
        return pass(formatDecimals(v, 3));
    case FieldKind::Silence:
        if (outside(v, -32767, 32767))
            return R::failure(Words::silenceRange());
        return pass();
    case FieldKind::DecimalDigits:
        if (outside(v, 0, 3))
            return R::failure(Words::digitsRange());
        return pass();
    case FieldKind::Hysteresis:
        if (outside(v, 0, 5))
            return R::failure(Words::hysteresisRange());
        return pass(formatDecimals(v, 1));
    }
    return pass();
}

SensorCheckRules plixSensorRules()
{
    SensorCheckRules r;
    r.toLabel = Words::plixSensorToCaption();
    r.fromLabel = Words::plixSensorFromCaption();
    r.fromRangeMessage = Words::sensorRange();
    // The PLIX to boxes have always shown their range message without a full stop.
    r.toRangeMessage = Words::sensorRangeNoFullStop();
    r.fromAboveToMessage = Words::mustBeLessThan(r.toLabel);
    r.toBelowFromMessage = Words::mustBeLargerThan(r.fromLabel);
    r.fromReadsPartnerAsNumber = false;
    r.toReadsPartnerAsNumber = true;
    return r;
}

SensorCheckRules vyrSensorRules()
{
    SensorCheckRules r;
    r.toLabel = Words::vyrSensorToCaption();
    r.fromLabel = Words::vyrSensorFromCaption();
    r.fromRangeMessage = Words::sensorRange();
    r.toRangeMessage = r.fromRangeMessage;
    r.fromAboveToMessage = Words::mustBeLessThan(r.toLabel);
    r.toBelowFromMessage = Words::mustBeLargerThan(r.fromLabel);
    r.fromReadsPartnerAsNumber = false;
    r.toReadsPartnerAsNumber = false;
    return r;
}

namespace {

// Leaving a sensor box: integer, range, then the comparison with the channel's other limit.
// The partner box is converted without a check first, as the comparison reads it: a text that
// is no number ends the handler with the toolkit's conversion error.
FieldCheckResult checkSensor(const QString& text, const QString& partnerText, const SensorCheckRules& rules, bool from)
{
    const auto value = parseInteger(text);
    if (!value)
        return R::failure(conversionMessage(FieldKind::Sensor));
    if (outside(*value, -10000, 10000))
        return R::failure(from ? rules.fromRangeMessage : rules.toRangeMessage);
    const bool asNumber = from ? rules.fromReadsPartnerAsNumber : rules.toReadsPartnerAsNumber;
    const auto partner = readText(partnerText, asNumber);
    if (!partner)
        return R::failure(
            asNumber ? Words::notANumber(partnerText) : Words::notAnInteger(partnerText), CheckFailure::ToolkitError);
    if (from ? *value > *partner : *partner > *value)
        return R::failure(from ? rules.fromAboveToMessage : rules.toBelowFromMessage);
    return pass();
}

} // namespace

FieldCheckResult checkSensorFrom(const QString& text, const QString& partnerToText, const SensorCheckRules& rules)
{
    return checkSensor(text, partnerToText, rules, true);
}

FieldCheckResult checkSensorTo(const QString& text, const QString& partnerFromText, const SensorCheckRules& rules)
{
    return checkSensor(text, partnerFromText, rules, false);
}

Result<float> deviceValue(const QString& label, const QString& text, long double scale, int bits)
{
    const auto number = parseNumber(text);
    if (!number)
        return Result<float>::failure(Words::labelled(label, Words::notANumber(text)));
    const auto single = toSingle(*number * scale);
    if (!single || !toUserField(*single, bits))
        return Result<float>::failure(Words::labelled(label, Words::valueOutOfDeviceRange(text)));
    return Result<float>::of(*single);
}

} // namespace tarnixw::values
