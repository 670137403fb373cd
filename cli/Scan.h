#pragma once

#include "Config.h"

#include "link/BusScan.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace tarnixw::cli {

// One device the scan found, as its line in the list says it.
struct ScanRow {
    int id = 0;
    int baud = 0;
    QString model; // the model the answer names, or "unknown"
    QStringList notes; // answered at two rates, damaged answers, a refused probe
};

// The list of a bus's scan, the rates in the order scanned: each device that answered, each ID
// whose answers came damaged, flagged as the scan's help says.
std::vector<ScanRow> scanRows(const std::vector<std::pair<int, link::BusScan>>& byRate, const Models& models);
// The list as the table the command prints, or as JSON (with the port, IDs and rates asked, and
// the rates where bytes came that no device can be told from).
QString scanTable(const std::vector<ScanRow>& rows);
QString scanJson(const std::vector<ScanRow>& rows, const QString& port, int first, int last,
    const std::vector<std::pair<int, link::BusScan>>& byRate);

} // namespace tarnixw::cli
