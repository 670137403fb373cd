#include "Words.h"

#include <QLocale>

namespace tarnixw {

QString Words::plixEqualSensorRange(int channel, const QString& mV)
{
    return tr("CH%1: Sensor From and Sensor To are both %2 mV; they must differ.").arg(channel).arg(mV);
}

QString Words::plixSlopeOutOfRange(int channel)
{
    return tr("CH%1: the sensor and P.V. ranges give a slope the device cannot store; "
              "widen the sensor range or narrow the P.V. range.")
        .arg(channel);
}

QString Words::wrongFileSize(qint64 actualSize, const QString& modelName, qint64 expectedSize)
{
    return tr("This file is %1 %2 long; a %3 configuration file has exactly %4 bytes.")
        .arg(actualSize)
        .arg(actualSize == 1 ? tr("byte") : tr("bytes"))
        .arg(modelName)
        .arg(expectedSize);
}

QString Words::fileNotWrittenCompletely(const QString& reason)
{
    return tr("The file could not be written completely (%1); the previous file was left unchanged.").arg(reason);
}

QString Words::fileNotOnDisk(const QString& reason)
{
    return tr("The file could not be written to disk (%1); the previous file was left unchanged.").arg(reason);
}

QString Words::fileNotSaved(const QString& reason)
{
    return tr("The file could not be saved (%1); the previous file was left unchanged.").arg(reason);
}

QString Words::trafficDropped(int capacity, long long dropped)
{
    // The counts as the C locale writes them: plain digits, as everywhere else in the window.
    const QLocale c = QLocale::c();
    return tr("The list keeps the last %1 frames: %2 older ones were dropped.")
        .arg(c.toString(capacity), c.toString(dropped));
}

QString Words::cliOutsideChecks(qsizetype count)
{
    return tr("Nothing was written: %1 outside the forms' checks (--force writes them).")
        .arg(count == 1 ? tr("1 value is") : tr("%1 values are").arg(count));
}

QString Words::cliVerifyDiffers(qsizetype count)
{
    return tr("Verify: %1 %2 read back differently.").arg(count).arg(count == 1 ? tr("value") : tr("values"));
}

QString Words::cliWritten(const QString& groups, bool several, bool inPart)
{
    if (inPart)
        return (several ? tr("%1 are written in part") : tr("%1 is written in part")).arg(groups);
    return (several ? tr("%1 are written") : tr("%1 is written")).arg(groups);
}

QString Words::cliTooManyDecimals(const QString& value, int decimals)
{
    return tr("%1 has more than %2 %3; the device field holds %4")
        .arg(value)
        .arg(decimals)
        .arg(decimals == 1 ? tr("decimal") : tr("decimals"))
        .arg(decimals == 3 ? tr("thousandths") : tr("tenths"));
}

} // namespace tarnixw
