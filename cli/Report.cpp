#include "Report.h"

#include "Fields.h"
#include "Table.h"

#include "plix/PlixModel.h"
#include "vyr/VyrFile.h"

namespace tarnixw::cli {

namespace {

QString yesNo(bool v)
{
    return v ? QStringLiteral("yes") : QStringLiteral("no");
}

QString showVyr(const vyr::VYRParamSet& record)
{
    using vyr::Column;
    const vyr::Screen s = vyr::screenFromRecord(record);
    QString out = QStringLiteral("VYRANTA configuration\n\nAnalog inputs\n");
    Table analog(
        {"AI", "in use", "from mV", "to mV", "from", "to", "low", "high", "digits", "silence", "hysteresis %"});
    analog.addHeaderLine({"", "", "sensor", "", "P.V.", "", "alarm", ""});
    for (int k = 0; k < vyr::kAnalogChannels; ++k) {
        QStringList row{QString::number(k), yesNo(s.VYRChanInUse[k] != 0)};
        for (const Column c : {Column::SFrom, Column::STo, Column::DFrom, Column::DTo, Column::LLimit, Column::HLimit,
                 Column::Digits, Column::SilenceT, Column::Hysteresis})
            row << s.text(k, c);
        analog.add(row);
    }
    out += analog.text();

    out += QStringLiteral("\nScaling, as the last Write computed it\n");
    Table scaling({"AI", "gain", "offset", "chan zero", "gain base"});
    for (int k = 0; k < vyr::kAnalogChannels; ++k)
        scaling.add({QString::number(k), QString::number(record.Gain[k]), QString::number(record.Offset[k]),
            QString::number(record.ChanZero[k]), QString::number(record.GainBase[k])});
    out += scaling.text();

    // A DI channel out of use shows no relay mode, silence or alarm, as on the form.
    out += QStringLiteral("\nDigital inputs\n");
    QStringList caption{""};
    QStringList header{"channel"};
    for (int m = 0; m < vyr::kDiModules; ++m) {
        caption << QStringLiteral("module %1").arg(m) << ""
                << "";
        header << "relay"
               << "silence"
               << "alarm";
    }
    Table di(header);
    di.addHeaderLine(caption);
    for (int n = 0; n < vyr::kDiChannels; ++n) {
        QStringList row{QString::number(n)};
        for (int m = 0; m < vyr::kDiModules; ++m) {
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
    for (int m = 0; m < vyr::kDoModules; ++m) {
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
        for (int r = 0; r < vyr::kDoOutputs; ++r) {
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

QString showPlix(const plix::PLIXParamSet& p)
{
    using plix::Parameter;
    const plix::DecodedSet d = plix::decodeParamSet(p);
    QString out = QStringLiteral("PLIXARO configuration\n\n");
    Table t({"", "CH0", "CH1"});
    t.add({"enabled", yesNo(d.flags.ch0Enabled), yesNo(d.flags.ch1Enabled)});
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
        t.add({QString::fromLatin1(label), d.texts[plix::fieldOf(0, kind)], d.texts[plix::fieldOf(1, kind)]});
    t.add({"slope (last Write)", QString::number(p.slope(0)), QString::number(p.slope(1))});
    t.add({"offset (last Write)", QString::number(p.offsetValue(0)), QString::number(p.offsetValue(1))});
    return out + t.text();
}

} // namespace

QString showConfig(const Config& config)
{
    return config.model == Model::Vyr ? showVyr(config.vyr) : showPlix(config.plix);
}

QStringList differences(const Config& a, const Config& b, bool deviceOnly)
{
    if (a.model != b.model)
        return {QStringLiteral("model: %1 → %2").arg(modelName(a.model), modelName(b.model))};
    QStringList out;
    for (const Field& f : fieldsOf(a.model)) {
        if (f.format == Format::Identity || (deviceOnly && !f.onDevice))
            continue;
        const std::int64_t va = f.get(a);
        const std::int64_t vb = f.get(b);
        if (va != vb)
            out << QStringLiteral("%1: %2 → %3").arg(f.label, valueText(f, va), valueText(f, vb));
    }
    return out;
}

} // namespace tarnixw::cli
