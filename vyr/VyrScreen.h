#pragma once

#include "VyrParamSet.h"

#include <QString>
#include <array>
#include <cstdint>

namespace tarnixw::vyr {

// The nine edit boxes of an analog row, in the order the build creates them.
enum class Column { SFrom, STo, DFrom, DTo, LLimit, HLimit, Digits, SilenceT, Hysteresis };
inline constexpr int kColumns = 9;

// The families of generated controls of the digital input page.
enum class DiControl { ChanInUseBtn, CloseBtn, OpenBtn, SilenceT, AlarmBtn };

// The text a freshly built row shows ("1000", "5000", "0.000", ...).
QString columnDefault(Column column);

// Component names of the generated controls: prefix and decimal numbers without leading
// zeros, nothing between them.
QString analogName(Column column, int channel); // "VYRSFrom12"
QString chanInUseBtnName(int channel); // "VYRChanInUseBtn3"
QString allBtnName(int index); // "AllBtn0" (analog), "AllBtn1".."AllBtn3" (DI)
QString diName(DiControl family, int module, int channel); // "DISilenceT015", "DICloseBtn115"
QString doCellName(int output, int input, int module); // "DOModuleBtnB3C17R1"

// The message prefix naming an analog box: "CH3 Alarm High".
QString analogBoxLabel(int channel, Column column);

// Flags in the screen's convention: -1 true, 0 false (a bitwise complement toggles them).
inline constexpr std::int16_t kOn = -1;
inline constexpr std::int16_t kOff = 0;
inline constexpr std::int16_t complement(std::int16_t flag)
{
    return std::int16_t(~flag);
}

// A snapshot of everything on the VYR screen that moves to and from the device or a file:
// the form fills one from its widgets and state arrays for Write and Save, and applies one
// after Read and Open File.
struct Screen {
    // [channel][column] texts of the analog edit boxes.
    std::array<std::array<QString, kColumns>, kAnalogChannels> analog;
    std::array<std::int16_t, kAnalogChannels> VYRChanInUse{};
    // DI channels, [module][channel].
    std::array<std::array<std::int16_t, kDiChannels>, kDiModules> DIChanInUse{};
    std::array<std::array<bool, kDiChannels>, kDiModules> DICloseTicked{};
    std::array<std::array<bool, kDiChannels>, kDiModules> DIOpenTicked{};
    std::array<std::array<QString, kDiChannels>, kDiModules> DISilenceT;
    std::array<std::array<std::int16_t, kDiChannels>, kDiModules> DIAlarm{};
    // DO cells, [output r][input c][DO module m], 0 or 1.
    std::array<std::array<std::array<std::int16_t, kDoModules>, kDoInputs>, kDoOutputs> DOMap{};

    QString& text(int channel, Column column) { return analog[channel][int(column)]; }
    const QString& text(int channel, Column column) const { return analog[channel][int(column)]; }

    // The screen right after the build: analog defaults, all analog channels in use, every
    // DI channel out of use with silence "30" and alarm on, no DO cell ticked.
    static Screen defaults();

    bool operator==(const Screen&) const = default;
};

} // namespace tarnixw::vyr
