#include "VyrScreen.h"

#include "words/Words.h"

namespace tarnixw::vyr {

namespace {

struct ColumnInfo {
    const char* prefix;
    const char* initial;
    QString (*label)();
};

constexpr std::array<ColumnInfo, kColumns> kColumnInfo{{
    {"VYRSFrom", "1000", Words::signalRangeFrom},
    {"VYRSTo", "5000", Words::signalRangeTo},
    {"VYRDFrom", "0.000", Words::physicalValueFrom},
    {"VYRDTo", "100.000", Words::physicalValueTo},
    {"VYRLLimit", "40.000", Words::alarmLow},
    {"VYRHLimit", "60.000", Words::alarmHigh},
    {"VYRDigits", "1", Words::digits},
    {"VYRSilenceT", "30", Words::silence},
    {"VYRHysteresis", "0.5", Words::hysteresisPercent},
}};

// Indexed by DiControl.
constexpr const char* kDiPrefixes[] = {"DIChanInUseBtn", "DICloseBtn", "DIOpenBtn", "DISilenceT", "DIAlarmBtn"};

} // namespace

QString columnDefault(Column column)
{
    return QString::fromLatin1(kColumnInfo[int(column)].initial);
}

QString analogName(Column column, int channel)
{
    return QString::fromLatin1(kColumnInfo[int(column)].prefix) + QString::number(channel);
}

QString chanInUseBtnName(int channel)
{
    return QStringLiteral("VYRChanInUseBtn%1").arg(channel);
}

QString allBtnName(int index)
{
    return QStringLiteral("AllBtn%1").arg(index);
}

QString diName(DiControl family, int module, int channel)
{
    return QString::fromLatin1(kDiPrefixes[int(family)]) + QString::number(module) + QString::number(channel);
}

QString doCellName(int output, int input, int module)
{
    return QStringLiteral("DOModuleBtnB%1C%2R%3").arg(output).arg(input).arg(module);
}

QString analogBoxLabel(int channel, Column column)
{
    return Words::channelBox(channel, kColumnInfo[int(column)].label());
}

Screen Screen::defaults()
{
    Screen s;
    for (int k = 0; k < kAnalogChannels; ++k) {
        for (int col = 0; col < kColumns; ++col)
            s.analog[k][col] = columnDefault(Column(col));
        s.VYRChanInUse[k] = kOn;
    }
    for (int m = 0; m < kDiModules; ++m)
        for (int n = 0; n < kDiChannels; ++n) {
            s.DIChanInUse[m][n] = kOff;
            s.DISilenceT[m][n] = QStringLiteral("30");
            s.DIAlarm[m][n] = kOn;
        }
    return s;
}

} // namespace tarnixw::vyr
