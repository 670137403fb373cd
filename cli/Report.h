#pragma once

#include "Config.h"

#include <QString>
#include <QStringList>

namespace tarnixw::cli {

// The configuration as aligned tables, in the units and number formats the forms show after
// Open File: per analog channel, per DI module and channel, the DO mapping as a grid per
// module, and the scaling of the last Write (VYRANTA); per channel (PLIXARO).
QString showConfig(const Config& config);

// Every value that differs from a to b, by name and in units, one line each
// ("AI 3 sensor to: 5000 mV → 5500 mV"), in the order of the field table. With deviceOnly,
// values that only the file holds (padding) are passed over. Configurations of two models
// differ in their model alone.
QStringList differences(const Config& a, const Config& b, bool deviceOnly = false);

} // namespace tarnixw::cli
