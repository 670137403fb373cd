#include "PlixDescription.h"

#include "PlixModel.h"

#include "model/Fields.h"
#include "model/Table.h"
#include "words/Words.h"

#include <tuple>

namespace tarnixw::plix {

namespace {

using models::Format;
using models::PathStep;
using models::Place;
using Kind = values::FieldKind;

std::vector<models::Field> plixFields()
{
    namespace o = offset;
    models::FieldTable b;
    const auto key = models::FieldTable::key;
    const auto at = models::FieldTable::at;
    const auto join = models::FieldTable::join;
    for (int ch = 0; ch < kChannelCount; ++ch) {
        b.setGroup(0, ch);
        const std::vector<PathStep> path{key("channels"), at(ch)};
        const QString name = QStringLiteral("CH%1 ").arg(ch);
        b.identity(join(path, {key("channel")}), ch);
        b.bit(join(path, {key("enabled")}), name + "enabled", o::kEnableMask, ch);
        const auto add = [&](const char* jsonKey, const char* label, Format format, int at, int bytes,
                             std::optional<Kind> check = std::nullopt, const char* unit = "") {
            b.value(join(path, {key(jsonKey)}), name + label, format, Place{at + bytes * ch, bytes, true}, check, unit);
        };
        add("sensor_from_mV", "sensor from", Format::Integer, o::kSensorFrom, 4, Kind::Sensor, "mV");
        add("sensor_to_mV", "sensor to", Format::Integer, o::kSensorTo, 4, Kind::Sensor, "mV");
        add("pv_from", "P.V. from", Format::Thousandths, o::kPvFrom, 4, Kind::PV);
        add("pv_to", "P.V. to", Format::Thousandths, o::kPvTo, 4, Kind::PV);
        add("alarm_low", "alarm low", Format::Thousandths, o::kLowAlarm, 4);
        add("alarm_high", "alarm high", Format::Thousandths, o::kHighAlarm, 4);
        add("silence_time_min", "silence time", Format::Integer, o::kSilenceTime, 2, Kind::Silence, "min");
        add("decimal_digits", "decimal digits", Format::Integer, o::kDecimalDigits, 1, Kind::DecimalDigits);
        add("hysteresis_percent", "hysteresis", Format::Tenths, o::kHysteresis, 1, Kind::Hysteresis, "%");
        for (const auto& [jsonKey, label, at] :
            {std::tuple{"slope", "slope", o::kSlope}, std::tuple{"offset", "offset", o::kOffset},
                std::tuple{"constant", "constant 1000", o::kConstThousand}})
            b.value(join(path, {key("calibration"), key(jsonKey)}), name + label, Format::Integer,
                Place{at + 4 * ch, 4, true});
    }
    b.setGroup(-1, -1);
    const std::vector<PathStep> fixed{key("fixed_words")};
    for (const auto& [jsonKey, label, place] :
        {std::tuple{"unused_mask_bits", "enable mask bits 2..15", Place{o::kEnableMask, 2, false, 2, 14}},
            std::tuple{"zero_word", "fixed word 0", Place{o::kConstZero16, 2, false}},
            std::tuple{"three_word", "fixed word 3", Place{o::kConstThree16, 2, false}},
            std::tuple{"zero_long_a", "fixed long 0 (a)", Place{o::kConstZeroA, 4, true}},
            std::tuple{"zero_long_b", "fixed long 0 (b)", Place{o::kConstZeroB, 4, true}}})
        b.value(join(fixed, {key(jsonKey)}), QString::fromLatin1(label), Format::Integer, place);
    // The two-byte gaps between the fields: the file keeps them, the device never sees them.
    for (const int gap : {6, 58, 98})
        b.value(join(fixed, {PathStep{QStringLiteral("padding_at_%1").arg(gap), -1}}),
             QStringLiteral("padding word at %1").arg(gap), Format::Integer, Place{gap, 2, false})
            .onDevice
            = false;
    return b.fields;
}

QString report(const PLIXParamSet& p)
{
    const DecodedSet d = decodeParamSet(p);
    QString out = QStringLiteral("PLIXARO configuration\n\n");
    models::Table t({"", "CH0", "CH1"});
    t.add({"enabled", models::Table::yesNo(d.flags.ch0Enabled), models::Table::yesNo(d.flags.ch1Enabled)});
    const std::pair<Parameter, const char*> rows[] = {
        {Parameter::SensorFrom, "sensor from mV"},
        {Parameter::SensorTo, "sensor to mV"},
        {Parameter::PvFrom, "P.V. from"},
        {Parameter::PvTo, "P.V. to"},
        {Parameter::LowAlarm, "alarm low"},
        {Parameter::HighAlarm, "alarm high"},
        {Parameter::SilenceTime, "silence time min"},
        {Parameter::DecimalDigits, "decimal digits"},
        {Parameter::Hysteresis, "hysteresis %"},
    };
    for (const auto& [kind, label] : rows)
        t.add({QString::fromLatin1(label), d.texts[fieldOf(0, kind)], d.texts[fieldOf(1, kind)]});
    t.add({"slope (last Write)", QString::number(p.slope(0)), QString::number(p.slope(1))});
    t.add({"offset (last Write)", QString::number(p.offsetValue(0)), QString::number(p.offsetValue(1))});
    return out + t.text();
}

class Description final : public models::DeviceModel {
public:
    QString name() const override { return kModelName; }
    QString key() const override { return QStringLiteral("plix"); }
    QString extension() const override { return QStringLiteral("plx"); }
    int fileSize() const override { return kFileSize; }

    const std::vector<models::Field>& fields() const override
    {
        static const std::vector<models::Field> table = plixFields();
        return table;
    }
    const std::vector<models::Family>& families() const override
    {
        static const std::vector<models::Family> list{{QStringLiteral("CH"), kChannelCount, QStringLiteral("CH%1"),
            QStringLiteral("CH%1"), QStringLiteral("both channels")}};
        return list;
    }
    values::SensorCheckRules sensorRules() const override { return values::plixSensorRules(); }
    QStringList otherRefusals(const models::Configuration& c) const override
    {
        const unsigned mask = paramSetOf(c).enableMask();
        if (mask & ~3u)
            return {Words::plixUnusedMaskBits(mask >> 2)};
        return {};
    }
    std::vector<models::FixedValue> fixedValues() const override
    {
        namespace o = offset;
        return {{Place{o::kConstZero16, 2, false}, 0}, {Place{o::kConstThree16, 2, false}, 3},
            {Place{o::kConstThousand, 4, true}, 1000}, {Place{o::kConstThousand + 4, 4, true}, 1000}};
    }

    models::Configuration defaults() const override
    {
        PLIXParamSet p;
        captureForSave(Texts::defaults(), ChannelFlags{}, p);
        return configurationOf(p);
    }
    values::Result<models::Configuration> fromRead(std::span<const std::uint8_t> image) const override
    {
        using R = values::Result<models::Configuration>;
        const std::optional<DecodedSet> shown = decodeDeviceImage(image);
        if (!shown)
            return R::failure(Words::deviceImageIncomplete());
        PLIXParamSet p;
        if (const std::optional<QString> refused = captureForSave(shown->texts, shown->flags, p))
            return R::failure(*refused);
        return R::of(configurationOf(p));
    }
    models::Configuration fromDeviceImage(std::span<const std::uint8_t> image) const override
    {
        return configurationOf(paramSetFromDeviceImage(image).value_or(PLIXParamSet{}));
    }
    values::Result<models::Configuration> readyForWrite(const models::Configuration& c) const override
    {
        const WriteImage w = paramSetForWrite(paramSetOf(c));
        if (!w.ok())
            return values::Result<models::Configuration>::failure(w.error);
        return values::Result<models::Configuration>::of(configurationOf(*w.value));
    }

    std::vector<models::MemoryBlock> memory() const override
    {
        return {{kBlockAAddress, kBlockASize}, {kBlockBAddress, kBlockBSize}};
    }
    link::ModelBuffers buffers() const override { return plix::buffers(); }
    bool read(link::ModbusLink& bus) const override { return readBlocks(bus); }
    void write(link::ModbusLink& bus, const models::Configuration& ready) const override
    {
        const PLIXParamSet p = paramSetOf(ready);
        writeBlocks(
            bus, [&](std::span<std::uint8_t> data, int pos) { layBlockA(p, data, pos); },
            [&](std::span<std::uint8_t> data, int pos) { layBlockB(p, data, pos); }, [] {});
    }
    std::vector<std::uint8_t> writtenImage(const models::Configuration& ready) const override
    {
        const PLIXParamSet p = paramSetOf(ready);
        std::vector<std::uint8_t> image(kDeviceImageSize);
        layBlockB(p, image, layBlockA(p, image, 0));
        return image;
    }
    std::optional<models::WriteGate> writeGate() const override
    {
        return models::WriteGate{kWriteEnableRegister, kWriteEnableValue, kWriteDisableValue};
    }
    std::uint16_t probeValue() const override { return 0x0002; }

    QString report(const models::Configuration& c) const override { return plix::report(paramSetOf(c)); }
};

} // namespace

const models::DeviceModel& description()
{
    static const Description d;
    return d;
}

PLIXParamSet paramSetOf(const models::Configuration& c)
{
    PLIXParamSet p;
    p.assign(c.bytes);
    return p;
}

models::Configuration configurationOf(const PLIXParamSet& paramSet)
{
    return {&description(), paramSet.toBytes()};
}

} // namespace tarnixw::plix
