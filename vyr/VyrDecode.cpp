#include "VyrDecode.h"

#include "VyrPack.h"
#include "values/NumberText.h"

namespace tarnixw::vyr {

QString formatThousandths(std::int32_t raw)
{
    const float v = static_cast<float>(static_cast<long double>(raw) * 0.001L);
    return values::formatSignificant(v, 5, 3);
}

QString formatHysteresis(int raw)
{
    return values::formatSignificant(raw * 0.1, 2, 1);
}

namespace {

// The file's rule: the stored integer goes to single precision first, then x 0.001, held in
// single precision again.
QString formatFileThousandths(std::int32_t raw)
{
    const float single = static_cast<float>(raw);
    const float v = static_cast<float>(static_cast<long double>(single) * 0.001L);
    return values::formatSignificant(v, 5, 3);
}

// The screen of a record's values: as a Read shows the device's (`asRead`: thousandths from the
// integer, digits and hysteresis as signed bytes), or as Open File shows the file's
// (thousandths through single precision, digits and hysteresis as unsigned bytes).
Screen screenOf(const VYRParamSet& r, bool asRead)
{
    const auto thousandths = asRead ? formatThousandths : formatFileThousandths;
    Screen s = Screen::defaults();
    for (int k = 0; k < kAnalogChannels; ++k) {
        s.VYRChanInUse[k] = ((r.ChanInUseMask >> k) & 1) ? kOn : kOff;
        s.text(k, Column::SFrom) = QString::number(r.SFrom[k]);
        s.text(k, Column::STo) = QString::number(r.STo[k]);
        s.text(k, Column::DFrom) = thousandths(r.DFrom[k]);
        s.text(k, Column::DTo) = thousandths(r.DTo[k]);
        s.text(k, Column::HLimit) = thousandths(r.HLimit[k]);
        s.text(k, Column::LLimit) = thousandths(r.LLimit[k]);
        s.text(k, Column::SilenceT) = QString::number(r.analogSilence(k));
        s.text(k, Column::Digits) = QString::number(asRead ? std::int8_t(r.Digits[k]) : r.Digits[k]);
        s.text(k, Column::Hysteresis) = formatHysteresis(asRead ? std::int8_t(r.Hysteresis[k]) : r.Hysteresis[k]);
    }
    // A DI channel is in use exactly when one of its relay bits is set. A channel holding both
    // bits (never written by this tool) shows Close alone, so exactly one box is ticked as on
    // every channel in use. A negative silence time means the alarm is off; the box then
    // shows "-1".
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n) {
            const bool close = (r.DICloseMask[m] >> n) & 1;
            const bool open = (r.DIOpenMask[m] >> n) & 1;
            s.DIChanInUse[m][n] = close || open ? kOn : kOff;
            s.DICloseTicked[m][n] = close;
            s.DIOpenTicked[m][n] = open && !close;
            const std::int16_t silence = r.diSilence(m, n);
            s.DIAlarm[m][n] = silence >= 0 ? kOn : kOff;
            s.DISilenceT[m][n] = silence >= 0 ? QString::number(silence) : QStringLiteral("-1");
        }
    // DOMap [output][c][m] := bit `output` of the word of input c and DO module m.
    for (int c = 0; c < kDoInputs; ++c)
        for (int m = 0; m < kDoModules; ++m)
            for (int out = 0; out < kDoOutputs; ++out)
                s.DOMap[out][c][m] = std::int16_t((r.doMapMask(c, m) >> out) & 1);
    return s;
}

} // namespace

std::optional<Screen> decodeDeviceImage(std::span<const std::uint8_t> image)
{
    const std::optional<VYRParamSet> record = recordFromDeviceImage(image);
    if (!record)
        return std::nullopt;
    return screenOf(*record, true);
}

Screen screenFromRecord(const VYRParamSet& record)
{
    return screenOf(record, false);
}

} // namespace tarnixw::vyr
