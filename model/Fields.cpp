#include "Fields.h"

namespace tarnixw::models {

namespace {

QString decimalText(std::int64_t v, int decimals)
{
    const std::int64_t scale = decimals == 3 ? 1000 : 10;
    const bool negative = v < 0;
    const std::uint64_t a = negative ? 0 - std::uint64_t(v) : std::uint64_t(v);
    return QStringLiteral("%1%2.%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(a / std::uint64_t(scale))
        .arg(a % std::uint64_t(scale), decimals, 10, QLatin1Char('0'));
}

// The group name of a field ("AI 3"), empty when it has none.
QString groupOf(const Configuration& config, const Field& f)
{
    return f.family < 0 ? QString() : config.model->groupName(f.family, f.member);
}

} // namespace

std::vector<PathStep> FieldTable::join(std::vector<PathStep> path, std::initializer_list<PathStep> more)
{
    path.insert(path.end(), more.begin(), more.end());
    return path;
}

Field& FieldTable::add(std::vector<PathStep> path, QString label, Format format)
{
    Field& f = fields.emplace_back();
    f.path = std::move(path);
    f.label = std::move(label);
    f.format = format;
    f.family = m_family;
    f.member = m_member;
    return f;
}

Field& FieldTable::value(std::vector<PathStep> path, QString label, Format format, Place place,
    std::optional<values::FieldKind> check, const char* unit)
{
    Field& f = add(std::move(path), std::move(label), format);
    f.place = place;
    f.check = check;
    f.unit = QString::fromUtf8(unit);
    if (place.bit >= 0) {
        f.max = (std::int64_t(1) << place.bits) - 1;
    } else if (place.bytes == 1) {
        f.min = -128; // either reading of the byte; the file's is unsigned
        f.max = 255;
    } else {
        const int bits = 8 * place.bytes;
        f.min = place.isSigned ? -(std::int64_t(1) << (bits - 1)) : 0;
        f.max = place.isSigned ? (std::int64_t(1) << (bits - 1)) - 1 : (std::int64_t(1) << bits) - 1;
    }
    return f;
}

Field& FieldTable::bit(std::vector<PathStep> path, QString label, int offset, int bit)
{
    return value(std::move(path), std::move(label), Format::Flag, Place{offset, 2, false, bit, 1});
}

void FieldTable::identity(std::vector<PathStep> path, int index)
{
    Field& f = add(std::move(path), QString(), Format::Identity);
    f.min = f.max = index;
}

QString jsonText(const Field& field, std::int64_t value)
{
    switch (field.format) {
    case Format::Flag:
        return value ? QStringLiteral("true") : QStringLiteral("false");
    case Format::Thousandths:
        return decimalText(value, 3);
    case Format::Tenths:
        return decimalText(value, 1);
    case Format::Identity:
    case Format::Integer:
        break;
    }
    return QString::number(value);
}

QString valueText(const Field& field, std::int64_t value)
{
    if (field.format == Format::Flag)
        return value ? field.on : field.off;
    const QString number = jsonText(field, value);
    return field.unit.isEmpty() ? number : number + QLatin1Char(' ') + field.unit;
}

QStringList emptySensorRanges(const Configuration& config)
{
    QStringList out;
    const std::vector<Field>& fields = config.model->fields();
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        const Field& from = fields[i];
        if (from.check != values::FieldKind::Sensor || fields[i + 1].check != values::FieldKind::Sensor)
            continue;
        const std::int64_t v = from.get(config);
        if (v == fields[++i].get(config))
            out << QStringLiteral("%1: sensor from and to are both %2 mV, so the channel's scaling cannot be computed")
                       .arg(groupOf(config, from))
                       .arg(v);
    }
    return out;
}

QStringList outsideFormChecks(const Configuration& config)
{
    QStringList out;
    const auto refused = [&](const Field& f, std::int64_t v, const QString& message) {
        out << QStringLiteral("%1: %2, which the form refuses: \"%3\"").arg(f.label, valueText(f, v), message);
    };
    const std::vector<Field>& fields = config.model->fields();
    const values::SensorCheckRules rules = config.model->sensorRules();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (!f.check)
            continue;
        const std::int64_t v = f.get(config);
        if (*f.check != values::FieldKind::Sensor) {
            if (const values::FieldCheckResult r = values::checkField(*f.check, jsonText(f, v)); !r.ok())
                refused(f, v, r.error);
            continue;
        }
        // A signal range: its From, then its To, each compared with the other as the form
        // compares them. A From above its To is named once, at the From.
        if (i + 1 >= fields.size() || fields[i + 1].check != values::FieldKind::Sensor)
            continue;
        const Field& to = fields[++i];
        const std::int64_t toValue = to.get(config);
        const QString fromText = jsonText(f, v);
        const QString toText = jsonText(to, toValue);
        if (const values::FieldCheckResult r = values::checkSensorFrom(fromText, toText, rules); !r.ok())
            refused(f, v, r.error);
        if (const values::FieldCheckResult r = values::checkSensorTo(toText, fromText, rules);
            !r.ok() && r.error != rules.toBelowFromMessage)
            refused(to, toValue, r.error);
    }
    return out + config.model->otherRefusals(config) + emptySensorRanges(config);
}

bool fixedValuesHold(const Configuration& config)
{
    for (const FixedValue& fixed : config.model->fixedValues()) {
        Field f;
        f.place = fixed.place;
        if (f.get(config) != fixed.value)
            return false;
    }
    return true;
}

} // namespace tarnixw::models
