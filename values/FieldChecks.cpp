#include "FieldChecks.h"

#include "NumberText.h"
#include "words/Words.h"

namespace tarnixw::values {

namespace {

FieldCheckResult fail(const QString& message)
{
    FieldCheckResult r;
    r.ok = false;
    r.message = message;
    return r;
}

FieldCheckResult pass(std::optional<QString> rewritten = std::nullopt)
{
    FieldCheckResult r;
    r.rewritten = std::move(rewritten);
    return r;
}

// The box's own value: integers for the integer kinds, numbers for the others.
std::optional<long double> convert(FieldKind kind, const QString& text)
{
    if (isIntegerKind(kind)) {
        const auto i = parseInteger(text);
        if (!i)
            return std::nullopt;
        return static_cast<long double>(*i);
    }
    return parseNumber(text);
}

std::optional<long double> readPartner(const QString& text, bool asNumber)
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
    const auto value = convert(kind, text);
    if (!value)
        return fail(conversionMessage(kind));
    const long double v = *value;
    switch (kind) {
    case FieldKind::Sensor:
        if (outside(v, -10000, 10000))
            return fail(Words::sensorRange());
        return pass();
    case FieldKind::PV:
        if (outside(v, -999, 9999))
            return fail(Words::pvRange());
        return pass(formatDecimals(v, 3));
    case FieldKind::AlarmRange:
        return pass(formatDecimals(v, 3));
    case FieldKind::Silence:
        if (outside(v, -32767, 32767))
            return fail(Words::silenceRange());
        return pass();
    case FieldKind::DecimalDigits:
        if (outside(v, 0, 3))
            return fail(Words::digitsRange());
        return pass();
    case FieldKind::Hysteresis:
        if (outside(v, 0, 5))
            return fail(Words::hysteresisRange());
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

// The partner box is converted without a check first, as the comparison reads it: a text that
// is no number ends the handler with the toolkit's conversion error.
FieldCheckResult partnerNotConverted(const QString& partnerText, bool readsAsNumber)
{
    FieldCheckResult r = fail(readsAsNumber ? Words::notANumber(partnerText) : Words::notAnInteger(partnerText));
    r.toolkitError = true;
    return r;
}

} // namespace

FieldCheckResult checkSensorFrom(const QString& text, const QString& partnerToText, const SensorCheckRules& rules)
{
    const auto value = parseInteger(text);
    if (!value)
        return fail(conversionMessage(FieldKind::Sensor));
    if (outside(*value, -10000, 10000))
        return fail(rules.fromRangeMessage);
    const auto to = readPartner(partnerToText, rules.fromReadsPartnerAsNumber);
    if (!to)
        return partnerNotConverted(partnerToText, rules.fromReadsPartnerAsNumber);
    if (*value > *to)
        return fail(rules.fromAboveToMessage);
    return pass();
}

FieldCheckResult checkSensorTo(const QString& text, const QString& partnerFromText, const SensorCheckRules& rules)
{
    const auto value = parseInteger(text);
    if (!value)
        return fail(conversionMessage(FieldKind::Sensor));
    if (outside(*value, -10000, 10000))
        return fail(rules.toRangeMessage);
    const auto from = readPartner(partnerFromText, rules.toReadsPartnerAsNumber);
    if (!from)
        return partnerNotConverted(partnerFromText, rules.toReadsPartnerAsNumber);
    if (*from > *value)
        return fail(rules.toBelowFromMessage);
    return pass();
}

} // namespace tarnixw::values
