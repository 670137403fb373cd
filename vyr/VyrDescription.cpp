#include "VyrDescription.h"

#include "VyrDecode.h"
#include "VyrFile.h"
#include "VyrPack.h"
#include "VyrTransfer.h"

#include "model/Fields.h"
#include "model/Table.h"
#include "values/FieldChecks.h"
#include "words/Words.h"

namespace tarnixw::vyr {

namespace {

using models::Format;
using models::PathStep;
using models::Place;
using Kind = values::FieldKind;
namespace f = fileoffset;

enum Family { AnalogInput, DiModule, DoModule };

// Places in the file: a 32-bit, 16-bit or 8-bit field, and element j of the silence table (4
// channel-major words per analog channel).
constexpr auto long32 = [](int offset) { return Place{offset, 4, true}; };
constexpr auto word = [](int offset) { return Place{offset, 2, false}; };
constexpr auto byte8 = [](int offset) { return Place{offset, 1, false}; };
constexpr auto silence = [](int j) { return Place{f::SilenceT + 2 * j, 2, true}; };

std::vector<models::Field> vyrFields()
{
    models::FieldTable b;
    const auto key = models::FieldTable::key;
    const auto at = models::FieldTable::at;
    const auto join = models::FieldTable::join;
    for (int k = 0; k < kAnalogChannels; ++k) {
        b.setGroup(AnalogInput, k);
        const std::vector<PathStep> ch{key("analog_inputs"), at(k)};
        const QString ai = QStringLiteral("AI %1 ").arg(k);
        const auto in = [&](const char* name) { return join(ch, {key(name)}); };
        b.identity(in("channel"), k);
        b.bit(in("in_use"), ai + "in use", f::ChanInUseMask, k);
        b.value(
            in("sensor_from_mV"), ai + "sensor from", Format::Integer, long32(f::SFrom + 4 * k), Kind::Sensor, "mV");
        b.value(in("sensor_to_mV"), ai + "sensor to", Format::Integer, long32(f::STo + 4 * k), Kind::Sensor, "mV");
        b.value(in("pv_from"), ai + "P.V. from", Format::Thousandths, long32(f::DFrom + 4 * k), Kind::PV);
        b.value(in("pv_to"), ai + "P.V. to", Format::Thousandths, long32(f::DTo + 4 * k), Kind::PV);
        b.value(in("alarm_low"), ai + "alarm low", Format::Thousandths, long32(f::LLimit + 4 * k));
        b.value(in("alarm_high"), ai + "alarm high", Format::Thousandths, long32(f::HLimit + 4 * k));
        b.value(
            in("decimal_digits"), ai + "decimal digits", Format::Integer, byte8(f::Digits + k), Kind::DecimalDigits);
        b.value(in("silence_time"), ai + "silence time", Format::Integer, silence(4 * k), Kind::Silence);
        b.value(in("hysteresis_percent"), ai + "hysteresis", Format::Tenths, byte8(f::Hysteresis + k), Kind::Hysteresis,
            "%");
        for (const auto& [name, label, offset] :
            {std::tuple{"chan_zero", "chan zero", f::ChanZero}, std::tuple{"gain", "gain", f::Gain},
                std::tuple{"offset", "offset", f::Offset}, std::tuple{"gain_base", "gain base", f::GainBase}})
            b.value(join(ch, {key("calibration"), key(name)}), ai + label, Format::Integer, long32(offset + 4 * k));
    }
    for (int m = 0; m < kDiModules; ++m) {
        b.setGroup(DiModule, m);
        const std::vector<PathStep> module{key("digital_inputs"), at(m)};
        b.identity(join(module, {key("module")}), m);
        for (int n = 0; n < kDiChannels; ++n) {
            const std::vector<PathStep> ch = join(module, {key("channels"), at(n)});
            const QString di = QStringLiteral("DI module %1, channel %2 ").arg(m).arg(n);
            b.identity(join(ch, {key("channel")}), n);
            for (const auto& [name, label, mask] :
                {std::tuple{"close", "relay Close", f::DICloseMask}, std::tuple{"open", "relay Open", f::DIOpenMask}}) {
                models::Field& relay = b.bit(join(ch, {key(name)}), di + label, mask + 2 * m, n);
                relay.off = QStringLiteral("off");
                relay.on = QStringLiteral("on");
            }
            b.value(join(ch, {key("silence_time")}), di + "silence time", Format::Integer, silence(4 * n + m + 1),
                Kind::Silence);
        }
    }
    for (int m = 0; m < kDoModules; ++m) {
        b.setGroup(DoModule, m);
        const std::vector<PathStep> module{key("do_modules"), at(m)};
        b.identity(join(module, {key("module")}), m);
        for (int r = 0; r < kDoOutputs; ++r) {
            const std::vector<PathStep> out = join(module, {key("outputs"), at(r)});
            b.identity(join(out, {key("output")}), r);
            // 3072 cells: the path and the label's start are made once per output.
            const std::vector<PathStep> inputs = join(out, {key("inputs")});
            const QString label = QStringLiteral("DO module %1, output %2, input ").arg(m).arg(r);
            const QString off = QStringLiteral("off");
            const QString on = QStringLiteral("on");
            for (int c = 0; c < kDoInputs; ++c) {
                // The word of input c and module m is element 3c + m.
                models::Field& cell = b.bit(inputs, label + QString::number(c), f::DOMapMask + 2 * (3 * c + m), r);
                cell.listItem = c;
                cell.off = off;
                cell.on = on;
            }
        }
    }
    b.setGroup(-1, -1);
    const std::vector<PathStep> fixed{key("fixed_words")};
    b.value(join(fixed, {key("fixed_zero")}), QStringLiteral("fixed word 0"), Format::Integer, word(f::FixedZero));
    b.value(join(fixed, {key("fixed_ff")}), QStringLiteral("fixed word 255"), Format::Integer, word(f::FixedFF));
    b.value(join(fixed, {key("padding")}), QStringLiteral("padding word"), Format::Integer, word(f::Reserved)).onDevice
        = false;
    return b.fields;
}

QString report(const VYRParamSet& record)
{
    using models::Table;
    const Screen s = screenFromRecord(record);
    QString out = QStringLiteral("VYRANTA configuration\n\nAnalog inputs\n");
    Table analog(
        {"AI", "in use", "from mV", "to mV", "from", "to", "low", "high", "digits", "silence", "hysteresis %"});
    analog.addHeaderLine({"", "", "sensor", "", "P.V.", "", "alarm", ""});
    for (int k = 0; k < kAnalogChannels; ++k) {
        QStringList row{QString::number(k), models::Table::yesNo(s.VYRChanInUse[k] != 0)};
        for (const Column c : {Column::SFrom, Column::STo, Column::DFrom, Column::DTo, Column::LLimit, Column::HLimit,
                 Column::Digits, Column::SilenceT, Column::Hysteresis})
            row << s.text(k, c);
        analog.add(row);
    }
    out += analog.text();

    out += QStringLiteral("\nScaling, as the last Write computed it\n");
    Table scaling({"AI", "gain", "offset", "chan zero", "gain base"});
    for (int k = 0; k < kAnalogChannels; ++k)
        scaling.add({QString::number(k), QString::number(record.Gain[k]), QString::number(record.Offset[k]),
            QString::number(record.ChanZero[k]), QString::number(record.GainBase[k])});
    out += scaling.text();

    // A DI channel out of use shows no relay mode, silence or alarm, as on the form.
    out += QStringLiteral("\nDigital inputs\n");
    QStringList caption{""};
    QStringList header{"channel"};
    for (int m = 0; m < kDiModules; ++m) {
        caption << QStringLiteral("module %1").arg(m) << QString() << QString();
        header << QStringList{"relay", "silence", "alarm"};
    }
    Table di(header);
    di.addHeaderLine(caption);
    for (int n = 0; n < kDiChannels; ++n) {
        QStringList row{QString::number(n)};
        for (int m = 0; m < kDiModules; ++m) {
            if (s.DIChanInUse[m][n] == 0) {
                row << QStringLiteral("-") << QString() << QString();
                continue;
            }
            row << (s.DICloseTicked[m][n] ? QStringLiteral("Close") : QStringLiteral("Open")) << s.DISilenceT[m][n]
                << (s.DIAlarm[m][n] ? QStringLiteral("ON") : QStringLiteral("OFF"));
        }
        di.add(row);
    }
    out += di.text();

    // Inputs 0..15 are the analog channels, 16 + 16m + n channel n of DI module m.
    for (int m = 0; m < kDoModules; ++m) {
        out += QStringLiteral("\nDO module %1: the inputs that drive each output (x)\n").arg(m);
        QStringList tens{""};
        QStringList units{"output"};
        QStringList groups{""};
        for (int g = 0; g < 4; ++g) {
            QString t, u;
            for (int c = 16 * g; c < 16 * g + 16; ++c) {
                t += QChar(u'0' + c / 10);
                u += QChar(u'0' + c % 10);
            }
            tens << t;
            units << u;
            groups << (g == 0 ? QStringLiteral("AI") : QStringLiteral("DI module %1").arg(g - 1)).leftJustified(16);
        }
        Table grid(units);
        grid.addHeaderLine(tens);
        grid.addHeaderLine(groups);
        for (int r = 0; r < kDoOutputs; ++r) {
            QStringList row{QString::number(r)};
            for (int g = 0; g < 4; ++g) {
                QString cells;
                for (int c = 16 * g; c < 16 * g + 16; ++c)
                    cells += s.DOMap[r][c][m] ? QLatin1Char('x') : QLatin1Char('.');
                row << cells;
            }
            grid.add(row);
        }
        out += grid.text();
    }
    return out;
}

class Description final : public models::DeviceModel {
public:
    QString name() const override { return Words::vyrModelName(); }
    QString key() const override { return QStringLiteral("vyr"); }
    QString extension() const override { return QStringLiteral("vyx"); }
    int fileSize() const override { return fileoffset::Size; }

    const std::vector<models::Field>& fields() const override
    {
        // Built when first needed: a PLIXARO run never pays for it.
        static const std::vector<models::Field> table = vyrFields();
        return table;
    }
    const std::vector<models::Family>& families() const override
    {
        static const std::vector<models::Family> list{
            {QStringLiteral("AI"), kAnalogChannels, QStringLiteral("AI %1"), QStringLiteral("AI %1"), {}},
            {QStringLiteral("DI module"), kDiModules, QStringLiteral("DI module %1"), QStringLiteral("DI modules %1"),
                QStringLiteral("the DI modules")},
            {QStringLiteral("DO module"), kDoModules, QStringLiteral("DO module %1"), QStringLiteral("DO modules %1"),
                QStringLiteral("the DO modules")},
        };
        return list;
    }
    values::SensorCheckRules sensorRules() const override { return values::vyrSensorRules(); }
    QStringList otherRefusals(const models::Configuration& c) const override
    {
        QStringList out;
        const VYRParamSet r = recordOf(c);
        for (int m = 0; m < kDiModules; ++m)
            for (int n = 0; n < kDiChannels; ++n)
                if ((r.DICloseMask[m] >> n) & (r.DIOpenMask[m] >> n) & 1)
                    out << Words::vyrBothRelayModes(m, n);
        return out;
    }
    std::vector<models::FixedValue> fixedValues() const override
    {
        return {{word(f::FixedZero), 0}, {word(f::FixedFF), 255}};
    }

    models::Configuration defaults() const override
    {
        // What Save File captures from a freshly built screen; the defaults always convert.
        VYRParamSet r;
        recordScreen(Screen::defaults(), r);
        return configurationOf(r);
    }
    values::Result<models::Configuration> fromRead(std::span<const std::uint8_t> image) const override
    {
        using R = values::Result<models::Configuration>;
        const std::optional<Screen> screen = decodeDeviceImage(image);
        if (!screen)
            return R::failure(Words::deviceImageIncomplete());
        VYRParamSet r;
        if (const std::optional<QString> error = recordScreen(*screen, r))
            return R::failure(*error);
        return R::of(configurationOf(r));
    }
    models::Configuration fromDeviceImage(std::span<const std::uint8_t> image) const override
    {
        return configurationOf(recordFromDeviceImage(image).value_or(VYRParamSet{}));
    }
    values::Result<models::Configuration> readyForWrite(const models::Configuration& c) const override
    {
        const WriteRecord w = recordForWrite(recordOf(c), [this](int k) { return groupName(AnalogInput, k); });
        if (!w.ok())
            return values::Result<models::Configuration>::failure(w.error);
        return values::Result<models::Configuration>::of(configurationOf(*w.value));
    }

    std::vector<models::MemoryBlock> memory() const override
    {
        return {{kArea1Address, imageoffset::Area1Size}, {kArea2Address, imageoffset::Area2Size}};
    }
    link::ModelBuffers buffers() const override { return vyr::buffers(); }
    bool read(link::ModbusLink& bus) const override { return readParamAreas(bus); }
    void write(link::ModbusLink& bus, const models::Configuration& ready) const override
    {
        const VYRParamSet r = recordOf(ready);
        writeParamAreas(
            bus, [&](std::span<std::uint8_t> image) { return layParamArea1(image, 0, r).has_value(); },
            [&](std::span<std::uint8_t> image) { return layParamArea2(image, 0, r).has_value(); });
    }
    std::vector<std::uint8_t> writtenImage(const models::Configuration& ready) const override
    {
        // The 16 bytes after area 1 go out as the fresh buffers hold them: zeros.
        const VYRParamSet r = recordOf(ready);
        std::vector<std::uint8_t> image(imageoffset::Size);
        layParamArea1(image, 0, r);
        layParamArea2(image, imageoffset::Area2, r);
        return image;
    }
    std::uint16_t probeValue() const override { return 0x0001; }

    QString report(const models::Configuration& c) const override { return vyr::report(recordOf(c)); }
};

} // namespace

const models::DeviceModel& description()
{
    static const Description d;
    return d;
}

VYRParamSet recordOf(const models::Configuration& c)
{
    return VYRParamSet::fromFileBytes(std::span<const std::uint8_t, fileoffset::Size>(
        reinterpret_cast<const std::uint8_t*>(c.bytes.constData()), std::size_t(fileoffset::Size)));
}

models::Configuration configurationOf(const VYRParamSet& record)
{
    return {&description(), fileBytes(record)};
}

} // namespace tarnixw::vyr
