#pragma once

#include "Config.h"
#include "Console.h"
#include "ExitCode.h"

#include <QString>

namespace tarnixw::cli {

// How a site is run.
struct SiteOptions {
    QString recordDir; // empty: the site file's name with -record, beside it
    bool dryRun = false; // only read each device and record what would change
    bool resume = false; // continue the record in recordDir, skipping the devices that are done
    bool fast = false;
    bool trace = false;
};

// tarnixw-cli site: checks the site file whole (models, files, ports, the record folder) before
// any device is touched, then backs up, writes and reads back each device, the devices of one
// port in turn and the ports side by side, writing the record (record.json, record.csv) after
// every device. Done when every device is done; else the exit code of the first that is not.
Exit runSite(Console& console, const QString& siteFile, const Models& models, const SiteOptions& options);

// A site file to start from: one device of each model on two ports.
QString siteTemplate(const Models& models);

} // namespace tarnixw::cli
