#include "Fields.h"

#include "plix/PlixFields.h"

#include <limits>
#include <tuple>
#include <type_traits>

namespace tarnixw::cli {

namespace {

using values::FieldKind;

PathStep key(const char* name)
{
    return {QString::fromLatin1(name), -1};
}
PathStep at(int index)
{
    return {QString(), index};
}

// Collects the fields of one model under a path prefix.
class Builder {
public:
    std::vector<Field> fields;

    // A value held in the VYR record (`ref` gives a reference to it); its type gives the
    // field's width and reading.
    template <typename Ref> Field& member(std::vector<PathStep> path, QString label, Format format, Ref ref)
    {
        using T = std::remove_reference_t<decltype(ref(std::declval<Config&>()))>;
        Field& f = add(std::move(path), std::move(label), format);
        if constexpr (sizeof(T) == 1) {
            f.min = -128; // either reading of the byte; the file's is unsigned
            f.max = 255;
        } else {
            f.min = std::is_signed_v<T> ? std::int64_t(std::numeric_limits<T>::min()) : 0;
            f.max = std::int64_t(std::numeric_limits<T>::max());
        }
        f.get = [ref](const Config& c) { return std::int64_t(ref(const_cast<Config&>(c))); };
        f.set = [ref](Config& c, std::int64_t v) { ref(c) = T(v); };
        return f;
    }

    // Bit `bit` of a 16-bit word of the VYR record.
    template <typename Ref> Field& bit(std::vector<PathStep> path, QString label, Ref ref, int bit)
    {
        Field& f = add(std::move(path), std::move(label), Format::Flag);
        f.max = 1;
        f.get = [ref, bit](const Config& c) { return std::int64_t((ref(const_cast<Config&>(c)) >> bit) & 1); };
        f.set = [ref, bit](Config& c, std::int64_t v) {
            std::uint16_t& w = ref(c);
            w = std::uint16_t((w & ~(1u << bit)) | (unsigned(v != 0) << bit));
        };
        return f;
    }

    // A value of the PLIXARO image at a byte offset, of `bytes` width, signed or not.
    Field& image(std::vector<PathStep> path, QString label, Format format, int offset, int bytes, bool isSigned)
    {
        Field& f = add(std::move(path), std::move(label), format);
        if (bytes == 1) {
            f.min = -128;
            f.max = 255;
        } else {
            const int bits = 8 * bytes;
            f.min = isSigned ? -(std::int64_t(1) << (bits - 1)) : 0;
            f.max = isSigned ? (std::int64_t(1) << (bits - 1)) - 1 : (std::int64_t(1) << bits) - 1;
        }
        f.get = [offset, bytes, isSigned](const Config& c) -> std::int64_t {
            const plix::PLIXParamSet& p = c.plix;
            if (bytes == 1)
                return p.u8(offset);
            if (bytes == 2)
                return isSigned ? std::int64_t(p.i16(offset)) : std::int64_t(p.u16(offset));
            return p.i32(offset);
        };
        f.set = [offset, bytes](Config& c, std::int64_t v) {
            plix::PLIXParamSet& p = c.plix;
            if (bytes == 1)
                p.setU8(offset, std::uint8_t(v));
            else if (bytes == 2)
                p.setU16(offset, std::uint16_t(v));
            else
                p.setI32(offset, std::int32_t(v));
        };
        return f;
    }

    void identity(std::vector<PathStep> path, int index)
    {
        Field& f = add(std::move(path), QString(), Format::Identity);
        f.min = f.max = index;
        f.get = [index](const Config&) { return std::int64_t(index); };
        f.set = [](Config&, std::int64_t) {};
    }

private:
    Field& add(std::vector<PathStep> path, QString label, Format format)
    {
        Field& f = fields.emplace_back();
        f.path = std::move(path);
        f.label = std::move(label);
        f.format = format;
        return f;
    }
};

std::vector<PathStep> join(std::vector<PathStep> a, std::initializer_list<PathStep> b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- VYRANTA ------------------------------------------------------------------------------

// References into the VYR record: a scalar member, or element i of an array member.
template <typename T> auto vyrRef(T vyr::VYRParamSet::*member)
{
    return [member](Config& c) -> T& { return c.vyr.*member; };
}
template <typename T, std::size_t N> auto vyrRef(std::array<T, N> vyr::VYRParamSet::*member, int i)
{
    return [member, i](Config& c) -> T& { return (c.vyr.*member)[std::size_t(i)]; };
}

std::vector<Field> vyrFields()
{
    using V = vyr::VYRParamSet;
    Builder b;
    for (int k = 0; k < vyr::kAnalogChannels; ++k) {
        const std::vector<PathStep> ch{key("analog_inputs"), at(k)};
        const QString ai = QStringLiteral("AI %1 ").arg(k);
        b.identity(join(ch, {key("channel")}), k);
        b.bit(join(ch, {key("in_use")}), ai + "in use", vyrRef(&V::ChanInUseMask), k);
        const auto mv = [&](const char* name, const char* label, std::array<std::int32_t, 16> V::*member) {
            Field& f = b.member(join(ch, {key(name)}), ai + label, Format::Integer, vyrRef(member, k));
            f.unit = QStringLiteral("mV");
            f.check = FieldKind::Sensor;
        };
        mv("sensor_from_mV", "sensor from", &V::SFrom);
        mv("sensor_to_mV", "sensor to", &V::STo);
        b.member(join(ch, {key("pv_from")}), ai + "P.V. from", Format::Thousandths, vyrRef(&V::DFrom, k)).check
            = FieldKind::PV;
        b.member(join(ch, {key("pv_to")}), ai + "P.V. to", Format::Thousandths, vyrRef(&V::DTo, k)).check
            = FieldKind::PV;
        b.member(join(ch, {key("alarm_low")}), ai + "alarm low", Format::Thousandths, vyrRef(&V::LLimit, k));
        b.member(join(ch, {key("alarm_high")}), ai + "alarm high", Format::Thousandths, vyrRef(&V::HLimit, k));
        b.member(join(ch, {key("decimal_digits")}), ai + "decimal digits", Format::Integer, vyrRef(&V::Digits, k)).check
            = FieldKind::DecimalDigits;
        b.member(join(ch, {key("silence_time")}), ai + "silence time", Format::Integer, vyrRef(&V::SilenceT, 4 * k))
            .check
            = FieldKind::Silence;
        Field& h = b.member(
            join(ch, {key("hysteresis_percent")}), ai + "hysteresis", Format::Tenths, vyrRef(&V::Hysteresis, k));
        h.unit = QStringLiteral("%");
        h.check = FieldKind::Hysteresis;
        const std::vector<PathStep> cal = join(ch, {key("calibration")});
        b.member(join(cal, {key("chan_zero")}), ai + "chan zero", Format::Integer, vyrRef(&V::ChanZero, k));
        b.member(join(cal, {key("gain")}), ai + "gain", Format::Integer, vyrRef(&V::Gain, k));
        b.member(join(cal, {key("offset")}), ai + "offset", Format::Integer, vyrRef(&V::Offset, k));
        b.member(join(cal, {key("gain_base")}), ai + "gain base", Format::Integer, vyrRef(&V::GainBase, k));
    }
    for (int m = 0; m < vyr::kDiModules; ++m) {
        const std::vector<PathStep> module{key("digital_inputs"), at(m)};
        b.identity(join(module, {key("module")}), m);
        for (int n = 0; n < vyr::kDiChannels; ++n) {
            const std::vector<PathStep> ch = join(module, {key("channels"), at(n)});
            const QString di = QStringLiteral("DI module %1, channel %2 ").arg(m).arg(n);
            b.identity(join(ch, {key("channel")}), n);
            const auto relay = [&](const char* name, const QString& label, std::array<std::uint16_t, 3> V::*mask) {
                Field& f = b.bit(join(ch, {key(name)}), di + label, vyrRef(mask, m), n);
                f.off = QStringLiteral("off");
                f.on = QStringLiteral("on");
            };
            relay("close", QStringLiteral("relay Close"), &V::DICloseMask);
            relay("open", QStringLiteral("relay Open"), &V::DIOpenMask);
            b.member(join(ch, {key("silence_time")}), di + "silence time", Format::Integer,
                 vyrRef(&V::SilenceT, 4 * n + m + 1))
                .check
                = FieldKind::Silence;
        }
    }
    for (int m = 0; m < vyr::kDoModules; ++m) {
        const std::vector<PathStep> module{key("do_modules"), at(m)};
        b.identity(join(module, {key("module")}), m);
        for (int r = 0; r < vyr::kDoOutputs; ++r) {
            const std::vector<PathStep> out = join(module, {key("outputs"), at(r)});
            b.identity(join(out, {key("output")}), r);
            // 3072 cells: the path and the label's start are made once per output.
            const std::vector<PathStep> inputs = join(out, {key("inputs")});
            const QString label = QStringLiteral("DO module %1, output %2, input ").arg(m).arg(r);
            const QString off = QStringLiteral("off");
            const QString on = QStringLiteral("on");
            for (int c = 0; c < vyr::kDoInputs; ++c) {
                Field& f = b.bit(inputs, label + QString::number(c), vyrRef(&V::DOMapMask, 3 * c + m), r);
                f.listItem = c;
                f.off = off;
                f.on = on;
            }
        }
    }
    const std::vector<PathStep> fixed{key("fixed_words")};
    b.member(join(fixed, {key("fixed_zero")}), QStringLiteral("fixed word 0"), Format::Integer, vyrRef(&V::FixedZero));
    b.member(join(fixed, {key("fixed_ff")}), QStringLiteral("fixed word 255"), Format::Integer, vyrRef(&V::FixedFF));
    b.member(join(fixed, {key("padding")}), QStringLiteral("padding word"), Format::Integer, vyrRef(&V::Reserved))
        .onDevice
        = false;
    return b.fields;
}

// ---- PLIXARO ------------------------------------------------------------------------------

std::vector<Field> plixFields()
{
    namespace o = plix::offset;
    Builder b;
    for (int ch = 0; ch < plix::kChannelCount; ++ch) {
        const std::vector<PathStep> path{key("channels"), at(ch)};
        const QString name = QStringLiteral("CH%1 ").arg(ch);
        b.identity(join(path, {key("channel")}), ch);
        Field& enabled
            = b.image(join(path, {key("enabled")}), name + "enabled", Format::Flag, o::kEnableMask, 2, false);
        enabled.max = 1;
        enabled.get = [ch](const Config& c) { return std::int64_t((c.plix.enableMask() >> ch) & 1); };
        enabled.set = [ch](Config& c, std::int64_t v) {
            const unsigned mask = c.plix.enableMask();
            c.plix.setEnableMask(std::uint16_t((mask & ~(1u << ch)) | (unsigned(v != 0) << ch)));
        };
        const auto add = [&](const char* jsonKey, const char* label, Format format, int offset, int bytes) -> Field& {
            return b.image(join(path, {key(jsonKey)}), name + label, format, offset + bytes * ch, bytes, true);
        };
        for (const auto& [jsonKey, label, at] : {std::tuple{"sensor_from_mV", "sensor from", o::kSensorFrom},
                 std::tuple{"sensor_to_mV", "sensor to", o::kSensorTo}}) {
            Field& f = add(jsonKey, label, Format::Integer, at, 4);
            f.unit = QStringLiteral("mV");
            f.check = FieldKind::Sensor;
        }
        add("pv_from", "P.V. from", Format::Thousandths, o::kPvFrom, 4).check = FieldKind::PV;
        add("pv_to", "P.V. to", Format::Thousandths, o::kPvTo, 4).check = FieldKind::PV;
        add("alarm_low", "alarm low", Format::Thousandths, o::kLowAlarm, 4);
        add("alarm_high", "alarm high", Format::Thousandths, o::kHighAlarm, 4);
        Field& silence = add("silence_time_min", "silence time", Format::Integer, o::kSilenceTime, 2);
        silence.unit = QStringLiteral("min");
        silence.check = FieldKind::Silence;
        add("decimal_digits", "decimal digits", Format::Integer, o::kDecimalDigits, 1).check = FieldKind::DecimalDigits;
        Field& h = add("hysteresis_percent", "hysteresis", Format::Tenths, o::kHysteresis, 1);
        h.unit = QStringLiteral("%");
        h.check = FieldKind::Hysteresis;
        const std::vector<PathStep> cal = join(path, {key("calibration")});
        b.image(join(cal, {key("slope")}), name + "slope", Format::Integer, o::kSlope + 4 * ch, 4, true);
        b.image(join(cal, {key("offset")}), name + "offset", Format::Integer, o::kOffset + 4 * ch, 4, true);
        b.image(
            join(cal, {key("constant")}), name + "constant 1000", Format::Integer, o::kConstThousand + 4 * ch, 4, true);
    }
    const std::vector<PathStep> fixed{key("fixed_words")};
    Field& high = b.image(join(fixed, {key("unused_mask_bits")}), QStringLiteral("enable mask bits 2..15"),
        Format::Integer, o::kEnableMask, 2, false);
    high.max = 0x3FFF;
    high.get = [](const Config& c) { return std::int64_t(c.plix.enableMask() >> 2); };
    high.set = [](Config& c, std::int64_t v) {
        c.plix.setEnableMask(std::uint16_t((c.plix.enableMask() & 3u) | (unsigned(v) << 2)));
    };
    b.image(
        join(fixed, {key("zero_word")}), QStringLiteral("fixed word 0"), Format::Integer, o::kConstZero16, 2, false);
    b.image(
        join(fixed, {key("three_word")}), QStringLiteral("fixed word 3"), Format::Integer, o::kConstThree16, 2, false);
    b.image(join(fixed, {key("zero_long_a")}), QStringLiteral("fixed long 0 (a)"), Format::Integer, o::kConstZeroA, 4,
        true);
    b.image(join(fixed, {key("zero_long_b")}), QStringLiteral("fixed long 0 (b)"), Format::Integer, o::kConstZeroB, 4,
        true);
    // The two-byte gaps between the fields: the file keeps them, the device never sees them.
    for (const int gap : {6, 58, 98})
        b.image(join(fixed, {PathStep{QStringLiteral("padding_at_%1").arg(gap), -1}}),
             QStringLiteral("padding word at %1").arg(gap), Format::Integer, gap, 2, false)
            .onDevice
            = false;
    return b.fields;
}

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

} // namespace

const std::vector<Field>& fieldsOf(Model model)
{
    // Each table is built when first needed: a PLIXARO run never pays for the VYRANTA one.
    if (model == Model::Vyr) {
        static const std::vector<Field> vyr = vyrFields();
        return vyr;
    }
    static const std::vector<Field> plix = plixFields();
    return plix;
}

QString pathText(const std::vector<PathStep>& path)
{
    QString out;
    for (const PathStep& s : path) {
        if (s.index >= 0) {
            out += QStringLiteral("[%1]").arg(s.index);
        } else {
            if (!out.isEmpty())
                out += QLatin1Char('.');
            out += s.key;
        }
    }
    return out;
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

QStringList emptySensorRanges(const Config& config)
{
    QStringList out;
    const auto empty = [&](const QString& channel, std::int64_t from, std::int64_t to) {
        if (from == to)
            out << QStringLiteral("%1: sensor from and to are both %2 mV, so the channel's scaling cannot be computed")
                       .arg(channel)
                       .arg(from);
    };
    if (config.model == Model::Vyr) {
        for (int k = 0; k < vyr::kAnalogChannels; ++k)
            empty(QStringLiteral("AI %1").arg(k), config.vyr.SFrom[std::size_t(k)], config.vyr.STo[std::size_t(k)]);
    } else {
        for (int ch = 0; ch < plix::kChannelCount; ++ch)
            empty(QStringLiteral("CH%1").arg(ch), config.plix.sensorFrom(ch), config.plix.sensorTo(ch));
    }
    return out;
}

QStringList outsideFormChecks(const Config& config)
{
    QStringList out;
    const auto refused = [&](const Field& f, std::int64_t v, const QString& message) {
        out << QStringLiteral("%1: %2, which the form refuses: \"%3\"").arg(f.label, valueText(f, v), message);
    };
    const std::vector<Field>& fields = fieldsOf(config.model);
    const values::SensorCheckRules rules
        = config.model == Model::Vyr ? values::vyrSensorRules() : values::plixSensorRules();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        if (!f.check)
            continue;
        const std::int64_t v = f.get(config);
        if (*f.check != FieldKind::Sensor) {
            if (const values::FieldCheckResult r = values::checkField(*f.check, jsonText(f, v)); !r.ok)
                refused(f, v, r.message);
            continue;
        }
        // A signal range: its From, then its To, each compared with the other as the form
        // compares them. A From above its To is named once, at the From.
        if (i + 1 >= fields.size() || fields[i + 1].check != FieldKind::Sensor)
            continue;
        const Field& to = fields[++i];
        const std::int64_t toValue = to.get(config);
        const QString fromText = jsonText(f, v);
        const QString toText = jsonText(to, toValue);
        if (const values::FieldCheckResult r = values::checkSensorFrom(fromText, toText, rules); !r.ok)
            refused(f, v, r.message);
        if (const values::FieldCheckResult r = values::checkSensorTo(toText, fromText, rules);
            !r.ok && r.message != rules.toBelowFromMessage)
            refused(to, toValue, r.message);
    }
    if (config.model == Model::Vyr) {
        const vyr::VYRParamSet& r = config.vyr;
        for (int m = 0; m < vyr::kDiModules; ++m)
            for (int n = 0; n < vyr::kDiChannels; ++n)
                if ((r.DICloseMask[m] >> n) & (r.DIOpenMask[m] >> n) & 1)
                    out << QStringLiteral("DI module %1, channel %2: relay Close and Open are both on; the form "
                                          "shows Close alone and never writes both")
                               .arg(m)
                               .arg(n);
    } else if (config.plix.enableMask() & ~3u) {
        out << QStringLiteral("enable mask bits 2..15: %1, which the form never writes")
                   .arg(config.plix.enableMask() >> 2);
    }
    return out + emptySensorRanges(config);
}

} // namespace tarnixw::cli
