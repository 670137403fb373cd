#include "Scan.h"

#include "model/Table.h"
#include "words/Words.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

namespace tarnixw::cli {

std::vector<ScanRow> scanRows(const std::vector<std::pair<int, link::BusScan>>& byRate, const Models& models)
{
    std::vector<ScanRow> rows;
    std::map<int, QStringList> ratesOf; // the rates each ID answered at
    for (const auto& rate : byRate) {
        const int baud = rate.first; // named, for the lambda below
        const link::BusScan& scan = rate.second;
        for (const link::ProbeAnswer& a : scan.answers) {
            const DeviceModel* model = a.value ? models::modelOfProbe(models, *a.value) : nullptr;
            ScanRow row{a.slave, baud, model ? model->name() : Words::cliUnknownModel(), {}};
            if (!a.value)
                row.notes << Words::cliRefusedProbe();
            ratesOf[a.slave] << QString::number(baud);
            rows.push_back(row);
        }
        for (const std::uint8_t slave : scan.damaged) {
            const auto clean = std::find_if(
                rows.begin(), rows.end(), [&](const ScanRow& r) { return r.id == slave && r.baud == baud; });
            ScanRow& row
                = clean != rows.end() ? *clean : rows.emplace_back(ScanRow{slave, baud, QStringLiteral("?"), {}});
            // Damaged where the others came clean: two devices talk over each other.
            row.notes << (scan.answers.empty() ? Words::cliOnlyDamaged() : Words::cliTwoAtOneId());
        }
    }
    for (ScanRow& row : rows)
        if (ratesOf[row.id].size() > 1)
            row.notes << Words::cliAlsoAnsweredAt(ratesOf[row.id].join(QStringLiteral(", ")));
    std::stable_sort(rows.begin(), rows.end(), [](const ScanRow& a, const ScanRow& b) { return a.id < b.id; });
    return rows;
}

QString scanTable(const std::vector<ScanRow>& rows)
{
    models::Table t(Words::cliScanHeadings().split(QLatin1Char('|')));
    t.alignLeft(2);
    t.alignLeft(3);
    for (const ScanRow& r : rows)
        t.add({QString::number(r.id), QString::number(r.baud), r.model, r.notes.join(QStringLiteral("; "))});
    return t.text();
}

QString scanJson(const std::vector<ScanRow>& rows, const QString& port, int first, int last,
    const std::vector<std::pair<int, link::BusScan>>& byRate)
{
    QJsonArray devices;
    for (const ScanRow& r : rows)
        devices.append(QJsonObject{{QStringLiteral("id"), r.id}, {QStringLiteral("baud"), r.baud},
            {QStringLiteral("model"), r.model}, {QStringLiteral("notes"), QJsonArray::fromStringList(r.notes)}});
    QJsonArray rates;
    QJsonArray noise;
    for (const auto& [baud, scan] : byRate) {
        rates.append(baud);
        if (scan.noise)
            noise.append(baud);
    }
    const QJsonObject root{{QStringLiteral("port"), port}, {QStringLiteral("ids"), QJsonArray{first, last}},
        {QStringLiteral("rates"), rates}, {QStringLiteral("devices"), devices}, {QStringLiteral("noise_at"), noise}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

} // namespace tarnixw::cli
