#include "VyrDecode.h"

#include "link/Modbus.h"
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

void applyRelayBits(Screen& screen, int module, std::uint16_t closeWord, std::uint16_t openWord)
{
    for (int n = 0; n < kDiChannels; ++n) {
        const bool close = (closeWord >> n) & 1;
        const bool open = (openWord >> n) & 1;
        const bool inUse = close || open;
        screen.DIChanInUse[module][n] = inUse ? kOn : kOff;
        screen.DICloseTicked[module][n] = close;
        screen.DIOpenTicked[module][n] = open && !close;
    }
}

void applyDiSilence(Screen& screen, int module, int channel, std::int16_t silence)
{
    const bool on = silence >= 0;
    screen.DIAlarm[module][channel] = on ? kOn : kOff;
    screen.DISilenceT[module][channel] = on ? QString::number(silence) : QStringLiteral("-1");
}

void applyDoWord(Screen& screen, int input, int module, std::uint16_t word)
{
    for (int r = 0; r < kDoOutputs; ++r)
        screen.DOMap[r][input][module] = std::int16_t((word >> r) & 1);
}

std::optional<Screen> decodeDeviceImage(std::span<const std::uint8_t> image)
{
    namespace o = imageoffset;
    if (image.size() < std::size_t(o::Size))
        return std::nullopt;
    Screen s = Screen::defaults();
    const auto getLong = [&](int at) { return link::GetLong(image, at); };
    const auto getShort = [&](int at) { return std::uint16_t(link::GetShort(image, at)); };

    const std::uint16_t mask = getShort(o::ChanInUseMask);
    for (int k = 0; k < kAnalogChannels; ++k) {
        s.VYRChanInUse[k] = ((mask >> k) & 1) ? kOn : kOff;
        s.text(k, Column::SFrom) = QString::number(getLong(o::SFrom + 4 * k));
        s.text(k, Column::STo) = QString::number(getLong(o::STo + 4 * k));
        s.text(k, Column::DFrom) = formatThousandths(getLong(o::DFrom + 4 * k));
        s.text(k, Column::DTo) = formatThousandths(getLong(o::DTo + 4 * k));
        s.text(k, Column::HLimit) = formatThousandths(getLong(o::HLimit + 4 * k));
        s.text(k, Column::LLimit) = formatThousandths(getLong(o::LLimit + 4 * k));
        s.text(k, Column::SilenceT) = QString::number(std::int16_t(getShort(o::AnalogSilence + 2 * k)));
        // The device holds digits and hysteresis as signed bytes.
        s.text(k, Column::Digits) = QString::number(std::int8_t(image[o::Digits + k]));
        s.text(k, Column::Hysteresis) = formatHysteresis(std::int8_t(image[o::Hysteresis + k]));
    }
    for (int m = 0; m < kDiModules; ++m) {
        applyRelayBits(s, m, getShort(o::DICloseMask + 2 * m), getShort(o::DIOpenMask + 2 * m));
        for (int n = 0; n < kDiChannels; ++n)
            applyDiSilence(s, m, n, std::int16_t(getShort(o::DISilence + 32 * m + 2 * n)));
    }
    for (int c = 0; c < kDoInputs; ++c)
        for (int m = 0; m < kDoModules; ++m)
            applyDoWord(s, c, m, getShort(o::DOMapMask + 6 * c + 2 * m));
    return s;
}

} // namespace tarnixw::vyr
