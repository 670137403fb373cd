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

} // namespace tarnixw
