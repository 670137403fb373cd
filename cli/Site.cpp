#include "Site.h"

#include "DeviceLine.h"
#include "Report.h"
#include "Words.h"

#include "link/PortList.h"
#include "model/Fields.h"
#include "values/SafeFile.h"
#include "words/Words.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <mutex>
#include <thread>

namespace tarnixw::cli {

namespace {

// One device of the site file, checked.
struct Device {
    QString name;
    QString port; // as the site file names it
    QString adapter; // what the port is: its name and kind, as 'ports' says them
    int baud = 19200;
    std::optional<int> id; // none: searched
    const DeviceModel* model = nullptr;
    QString file; // as the site file names it
    LineSettings line;
    std::optional<Configuration> config; // the file
    std::optional<Configuration> ready; // as the Write sends it; none: refused
    QStringList refusals;
    QString sha256;
};

// Where a device stands. The record's JSON and CSV name it by a fixed key, so a script (and
// --resume) reads it whatever the language of the messages; the page shows it in words.
enum class State { NotBegun, Done, Failed, Refused, Stopped, DryRun };
constexpr std::pair<State, const char*> kStateKeys[] = {{State::NotBegun, "not begun"}, {State::Done, "done"},
    {State::Failed, "failed"}, {State::Refused, "refused"}, {State::Stopped, "stopped"}, {State::DryRun, "dry run"}};

QString keyOf(State state)
{
    for (const auto& [s, key] : kStateKeys)
        if (s == state)
            return QString::fromLatin1(key);
    return {};
}

QString wordsOf(State state)
{
    switch (state) {
    case State::Done:
        return Words::siteDone();
    case State::Failed:
        return Words::siteFailed();
    case State::Refused:
        return Words::siteRefused();
    case State::Stopped:
        return Words::siteStopped();
    case State::DryRun:
        return Words::siteDryRun();
    case State::NotBegun:
        break;
    }
    return Words::siteNotBegun();
}

// What the record says of a device.
struct Entry {
    State state = State::NotBegun;
    QString message;
    int id = 0; // the slave ID given or found; 0 while a "search" has found none
    QString backup;
    QStringList changes;
    QStringList readBack;
    QString time;
};

// "boiler.vyx: model: PLIXARO": a configuration file of another model than the device's.
QString ofOtherModel(const QString& file, const Configuration& config)
{
    return Words::labelled(file, Words::cliModelLabel() + QStringLiteral(": ") + config.model->name());
}

struct Refusal {
    QString text;
    Exit exit = Exit::Invalid;
};

std::optional<Refusal> loadDevices(
    const QString& siteFile, const Models& models, QString& siteName, std::vector<Device>& devices)
{
    QFile f(siteFile);
    if (!f.open(QIODevice::ReadOnly))
        return Refusal{Words::labelled(siteFile, whyNotReadable(siteFile)), Exit::FileError};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (!doc.isObject())
        return Refusal{Words::labelled(siteFile, Words::cliSiteNotJson(error.errorString()))};
    const QJsonObject root = doc.object();
    siteName = root.value(QStringLiteral("site")).toString(QFileInfo(siteFile).completeBaseName());
    const QJsonArray list = root.value(QStringLiteral("devices")).toArray();
    if (list.isEmpty())
        return Refusal{Words::labelled(siteFile, Words::cliSiteNoDevices())};
    const QDir folder = QFileInfo(siteFile).absoluteDir();
    // The ports as they are now, read once: a COM number's device path, what each port is.
    const std::vector<link::PortEntry> ports
        = link::PortList::system().refresh().value_or(std::vector<link::PortEntry>{});
    std::map<QString, int> rateOfPort;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonObject o = list.at(i).toObject();
        const auto refuse = [&](const QString& what, Exit exit = Exit::Invalid) {
            return Refusal{Words::labelled(siteFile, Words::cliSiteDevice(int(i) + 1, what)), exit};
        };
        for (const char* key : {"name", "port", "id", "model", "file"})
            if (!o.contains(QLatin1String(key)))
                return refuse(Words::cliSiteMissing(QLatin1String(key)));
        Device d;
        d.name = o.value(QStringLiteral("name")).toString();
        d.port = o.value(QStringLiteral("port")).toString();
        d.file = o.value(QStringLiteral("file")).toString();
        const QJsonValue id = o.value(QStringLiteral("id"));
        if (id.toString() != QLatin1String("search")) {
            if (!id.isDouble() || id.toDouble() != double(id.toInt()) || id.toInt() < 1 || id.toInt() > 255)
                return refuse(Words::cliSiteBadId(
                    QString::fromUtf8(QJsonDocument(QJsonArray{id}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)));
            d.id = id.toInt();
        }
        const QJsonValue baud = o.value(QStringLiteral("baud"));
        const std::optional<int> rate = baud.isUndefined() ? 19200 : parseBaud(QString::number(baud.toInt()));
        if (!rate || (!baud.isUndefined() && !baud.isDouble()))
            return refuse(Words::cliSiteBadBaud(baud.toVariant().toString()));
        d.baud = *rate;
        d.model = models::modelCalled(models, o.value(QStringLiteral("model")).toString());
        if (!d.model) {
            QStringList keys;
            for (const DeviceModel* m : models)
                keys << m->key();
            return refuse(Words::cliSiteBadModel(o.value(QStringLiteral("model")).toString(), oneOf(keys)));
        }
        if (std::any_of(devices.begin(), devices.end(), [&](const Device& other) { return other.name == d.name; })
            || d.name.isEmpty())
            return refuse(Words::cliSiteNameTwice(d.name));
        if (QString why; !parsePort(d.port, d.line, &why))
            return refuse(why.isEmpty() ? Words::cliNoPort(d.port) : why, Exit::PortError);
        // One thread a port: a COM number is made its device path here, once.
        if (d.line.portNumber > 0) {
            const auto entry = std::find_if(
                ports.begin(), ports.end(), [&](const link::PortEntry& e) { return e.number == d.line.portNumber; });
            if (entry == ports.end())
                return refuse(Words::cliNoPort(d.port), Exit::PortError);
            d.line.devicePath = entry->devicePath;
            d.line.portNumber = 0;
        }
        d.line.baud = d.baud;
        for (const link::PortEntry& e : ports)
            if (e.devicePath == d.line.devicePath)
                d.adapter = Words::labelled(e.stableName, portDescription(e));
        const auto [known, fresh] = rateOfPort.try_emplace(d.line.devicePath, d.baud);
        if (!fresh && known->second != d.baud)
            return refuse(Words::cliSitePortTwoRates(d.port, known->second, d.baud));
        const QString path = folder.absoluteFilePath(d.file);
        const Loaded loaded = loadConfig(path, models);
        if (!loaded.ok())
            return refuse(loaded.error, loaded.kind);
        if (loaded.value->model != d.model)
            return refuse(ofOtherModel(d.file, *loaded.value));
        QFile bytes(path);
        if (bytes.open(QIODevice::ReadOnly))
            d.sha256
                = QString::fromLatin1(QCryptographicHash::hash(bytes.readAll(), QCryptographicHash::Sha256).toHex());
        d.config = loaded.value;
        // Refused before anything is written: what the forms would refuse, a range that cannot
        // be scaled, a Write that cannot be made ready.
        d.refusals = models::outsideFormChecks(*d.config) + models::emptySensorRanges(*d.config);
        if (d.refusals.isEmpty()) {
            const values::Result<Configuration> ready = d.model->readyForWrite(*d.config);
            if (ready.ok())
                d.ready = ready.value;
            else
                d.refusals << ready.error;
        }
        devices.push_back(std::move(d));
    }
    return std::nullopt;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

class Record {
public:
    Record(QString dir, QString site, QString siteFile, const std::vector<Device>& devices, bool dryRun)
        : m_dir(std::move(dir))
        , m_site(std::move(site))
        , m_siteFile(std::move(siteFile))
        , m_devices(devices)
        , m_dryRun(dryRun)
        , m_entries(devices.size())
    {
        for (std::size_t i = 0; i < devices.size(); ++i) {
            m_entries[i].state = devices[i].ready ? State::NotBegun : State::Refused;
            m_entries[i].id = devices[i].id.value_or(0);
            m_entries[i].message = devices[i].refusals.join(QStringLiteral("; "));
        }
    }

    QString jsonPath() const { return m_dir + QStringLiteral("/record.json"); }
    const Entry& entry(std::size_t i) const { return m_entries[i]; }

    // The entries of a record written before, kept for the devices it says are done with the
    // same file.
    bool resume()
    {
        QFile f(jsonPath());
        if (!f.open(QIODevice::ReadOnly))
            return false;
        const QJsonArray old = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("devices")).toArray();
        for (const QJsonValue& v : old) {
            const QJsonObject o = v.toObject();
            for (std::size_t i = 0; i < m_devices.size(); ++i)
                if (o.value(QStringLiteral("name")).toString() == m_devices[i].name
                    && o.value(QStringLiteral("sha256")).toString() == m_devices[i].sha256
                    && o.value(QStringLiteral("state")).toString() == keyOf(State::Done)) {
                    Entry& e = m_entries[i];
                    e.state = State::Done;
                    e.message = o.value(QStringLiteral("message")).toString();
                    e.id = o.value(QStringLiteral("id")).toInt();
                    e.backup = o.value(QStringLiteral("backup")).toString();
                    e.time = o.value(QStringLiteral("time")).toString();
                    for (const QJsonValue& c : o.value(QStringLiteral("changes")).toArray())
                        e.changes << c.toString();
                }
        }
        return true;
    }

    // Sets a device's entry and writes the record anew, whole; the text to show when it cannot.
    std::optional<QString> set(std::size_t i, Entry e)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        e.time = QDateTime::currentDateTime().toString(Qt::ISODate);
        m_entries[i] = std::move(e);
        return write();
    }
    std::optional<QString> write() const
    {
        QJsonArray devices;
        QString csv = QStringLiteral("name,port,baud,id,model,file,sha256,backup,state,message,time\n");
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            const Device& d = m_devices[i];
            const Entry& e = m_entries[i];
            devices.append(QJsonObject{{QStringLiteral("name"), d.name}, {QStringLiteral("port"), d.port},
                {QStringLiteral("device_path"), d.line.devicePath}, {QStringLiteral("baud"), d.baud},
                {QStringLiteral("id"), e.id ? QJsonValue(e.id) : QJsonValue()},
                {QStringLiteral("model"), d.model->name()}, {QStringLiteral("file"), d.file},
                {QStringLiteral("sha256"), d.sha256}, {QStringLiteral("backup"), e.backup},
                {QStringLiteral("state"), keyOf(e.state)}, {QStringLiteral("message"), e.message},
                {QStringLiteral("changes"), QJsonArray::fromStringList(e.changes)},
                {QStringLiteral("read_back"), QJsonArray::fromStringList(e.readBack)},
                {QStringLiteral("time"), e.time}});
            const QStringList row{d.name, d.port, QString::number(d.baud),
                e.id ? QString::number(e.id) : QStringLiteral("search"), d.model->name(), d.file, d.sha256, e.backup,
                keyOf(e.state), e.message, e.time};
            QStringList fields;
            for (const QString& f : row)
                fields << csvField(f);
            csv += fields.join(QLatin1Char(',')) + QLatin1Char('\n');
        }
        const QJsonObject root{{QStringLiteral("site"), m_site}, {QStringLiteral("site_file"), m_siteFile},
            {QStringLiteral("dry_run"), m_dryRun}, {QStringLiteral("devices"), devices}};
        if (std::optional<QString> e
            = values::saveFileSafely(jsonPath(), QJsonDocument(root).toJson(QJsonDocument::Indented)))
            return e;
        if (std::optional<QString> e = values::saveFileSafely(m_dir + QStringLiteral("/record.csv"), csv.toUtf8()))
            return e;
        return values::saveFileSafely(m_dir + QStringLiteral("/record.html"), html().toUtf8());
    }

    // "3 done, 1 failed, 0 refused, 0 stopped, 0 not begun." (a dry run's devices count as done)
    QString totals() const
    {
        std::map<State, int> counts;
        for (const Entry& e : m_entries)
            ++counts[e.state == State::DryRun ? State::Done : e.state];
        return Words::siteTotals(counts[State::Done], counts[State::Failed], counts[State::Refused],
            counts[State::Stopped], counts[State::NotBegun]);
    }

    // The record as a page that prints on A4 and needs nothing but itself.
    QString html() const
    {
        const auto esc = [](const QString& t) { return t.toHtmlEscaped(); };
        QString page = QStringLiteral(
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n<style>\n"
            "@page { size: A4; margin: 15mm; }\n"
            "body { font-family: sans-serif; font-size: 10pt; color: #000; max-width: 180mm; margin: auto; }\n"
            "h1 { font-size: 16pt; } h2 { font-size: 12pt; margin: 0 0 4pt 0; }\n"
            "section { border: 1px solid #888; padding: 6pt; margin: 8pt 0; break-inside: avoid; }\n"
            "table { border-collapse: collapse; width: 100%; } th, td { text-align: left; vertical-align: top; "
            "padding: 1pt 6pt 1pt 0; }\n"
            "th { width: 45mm; font-weight: normal; color: #444; } code, pre { font-size: 9pt; white-space: "
            "pre-wrap; word-break: break-all; } pre { margin: 0; }\n"
            ".done { color: #060; } .failed, .refused, .stopped { color: #a00; font-weight: bold; }\n"
            "</style></head><body>\n<h1>%1</h1>\n")
                           .arg(esc(Words::recordTitle(m_site)));
        page += QStringLiteral("<p>%1: <code>%2</code><br>%3: %4</p>\n<p><b>%5</b></p>\n")
                    .arg(esc(Words::recordSiteFile()), esc(m_siteFile), esc(Words::recordUpdated()),
                        esc(QDateTime::currentDateTime().toString(Qt::ISODate)), esc(totals()));
        if (m_dryRun)
            page += QStringLiteral("<p>%1</p>\n").arg(esc(Words::recordDryRun()));
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            const Device& d = m_devices[i];
            const Entry& e = m_entries[i];
            QString rows;
            const auto row = [&](const QString& label, const QString& value) {
                rows += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(esc(label), value);
            };
            row(Words::recordState(),
                QStringLiteral("<span class=\"%1\">%2</span> %3")
                    .arg(keyOf(e.state).section(QLatin1Char(' '), 0, 0), esc(wordsOf(e.state)), esc(e.message)));
            row(Words::recordPort(), esc(QStringLiteral("%1, %2 baud").arg(d.port).arg(d.baud)));
            row(Words::recordAdapter(), esc(d.adapter));
            row(Words::recordSlaveId(), e.id ? QString::number(e.id) : QString());
            row(Words::recordModel(), esc(d.model->name()));
            row(Words::recordFile(), QStringLiteral("<code>%1</code>").arg(esc(d.file)));
            row(Words::recordSha256(), QStringLiteral("<code>%1</code>").arg(esc(d.sha256)));
            if (!e.backup.isEmpty()) {
                row(Words::recordBackup(),
                    QStringLiteral("<code>%1</code><br>%2")
                        .arg(esc(e.backup), esc(Words::recordPutBack(d.port, e.id, e.backup))));
                row(Words::recordChanges(),
                    e.changes.isEmpty() ? esc(Words::recordNoChanges())
                                        : QStringLiteral("<pre>%1</pre>").arg(esc(e.changes.join(QLatin1Char('\n')))));
            }
            if (!e.readBack.isEmpty())
                row(Words::recordReadBack(),
                    QStringLiteral("<pre>%1</pre>").arg(esc(e.readBack.join(QLatin1Char('\n')))));
            row(Words::recordTime(), esc(e.time));
            page += QStringLiteral("<section><h2>%1</h2><table>\n%2</table></section>\n").arg(esc(d.name), rows);
        }
        return page + QStringLiteral("</body></html>\n");
    }

private:
    QString m_dir;
    QString m_site;
    QString m_siteFile;
    const std::vector<Device>& m_devices;
    bool m_dryRun;
    std::vector<Entry> m_entries;
    mutable std::mutex m_mutex;
};

// A name as a file name: letters, digits, '-', '_' and '.' kept, anything else '_'.
QString fileNameOf(const QString& name)
{
    QString out;
    for (const QChar c : name)
        out += c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.')
            ? c
            : QLatin1Char('_');
    return out;
}

// Backup, write, read back: one device on its port. The exit code, as its own command's.
Exit commission(
    Console& console, const Device& d, const SiteOptions& options, const QString& dir, const Models& models, Entry& e)
{
    e.id = d.id.value_or(0);
    LineSettings s = d.line;
    s.fast = options.fast;
    s.trace = options.trace;
    const auto failed = [&](Exit exit) {
        e.state = exit == Exit::Interrupted ? State::Stopped : State::Failed;
        e.message = console.lastNote();
        return exit;
    };
    if (d.id) {
        s.slaveId = std::uint8_t(*d.id);
    } else {
        // The one device on the bus whose answer names the model.
        link::BusScan found;
        if (const Exit exit = scanSlaves(console, s, 1, 255, found); exit != Exit::Done)
            return failed(exit);
        QStringList ids;
        for (const link::ProbeAnswer& a : found.answers)
            if (a.value && models::modelOfProbe(models, *a.value) == d.model)
                ids << QString::number(a.slave);
        if (ids.size() != 1) {
            console.note(ids.isEmpty() ? Words::siteModelNotFound(d.model->name())
                                       : Words::siteModelTwice(d.model->name(), ids.join(QStringLiteral(", "))));
            return failed(Exit::NoResponse);
        }
        s.slaveId = std::uint8_t(ids.first().toInt());
    }
    e.id = s.slaveId;
    std::vector<std::uint8_t> image;
    if (const Exit exit = readDeviceImage(console, *d.model, s, image, Words::siteNoBackup()); exit != Exit::Done)
        return failed(exit);
    const values::Result<Configuration> asRead = d.model->fromRead(image);
    Configuration backup = asRead.ok() ? *asRead.value : d.model->fromDeviceImage(image);
    const QString backupName = fileNameOf(d.name) + QStringLiteral("-backup.") + d.model->extension();
    // A backup from an earlier run is kept: a device stopped part way then holds part of its
    // file now, and the first backup is what it held before (the changes are told from it). A
    // file there that is no backup of the device is not overwritten: the device waits.
    const QString backupPath = dir + QLatin1Char('/') + backupName;
    if (QFileInfo::exists(backupPath)) {
        const Loaded kept = loadConfig(backupPath, models);
        if (!kept.ok() || kept.value->model != d.model) {
            console.note(kept.ok() ? ofOtherModel(backupPath, *kept.value) : kept.error);
            return failed(Exit::FileError);
        }
        console.note(Words::siteBackupKept(backupName));
        backup = *kept.value;
    } else if (const std::optional<QString> error = saveConfig(backupPath, backup, models)) {
        console.note(*error);
        return failed(Exit::FileError);
    }
    e.backup = backupName;
    e.changes = differences(backup, *d.config, true);
    if (options.dryRun) {
        e.state = State::DryRun;
        e.message = Words::siteWouldChange(int(e.changes.size()));
        console.note(e.message);
        return Exit::Done;
    }
    if (const Exit exit = writeConfig(console, *d.ready, s); exit != Exit::Done)
        return failed(exit);
    if (const Exit exit = readDeviceImage(console, *d.model, s, image); exit != Exit::Done)
        return failed(exit);
    e.readBack = readBackDifferences(*d.ready, image);
    e.state = e.readBack.isEmpty() ? State::Done : State::Failed;
    e.message = e.readBack.isEmpty() ? Words::siteVerified() : Words::siteReadBackDiffers(int(e.readBack.size()));
    console.note(e.message);
    return e.readBack.isEmpty() ? Exit::Done : Exit::Differences;
}

} // namespace

Exit runSite(Console& console, const QString& siteFile, const Models& models, const SiteOptions& options)
{
    QString siteName;
    std::vector<Device> devices;
    if (const std::optional<Refusal> r = loadDevices(siteFile, models, siteName, devices)) {
        console.note(r->text);
        return r->exit;
    }
    const QFileInfo info(siteFile);
    const QString dir = options.recordDir.isEmpty()
        ? info.absoluteDir().absoluteFilePath(info.completeBaseName() + QStringLiteral("-record"))
        : QDir(options.recordDir).absolutePath();
    Record record(dir, siteName, info.absoluteFilePath(), devices, options.dryRun);
    if (options.resume && !record.resume()) {
        console.note(Words::cliRecordNotResumable(record.jsonPath()));
        return Exit::FileError;
    }
    // The record is written before any device is touched: a folder that cannot take it stops
    // the run here.
    std::optional<QString> unwritable;
    if (!QDir().mkpath(dir)) {
        const QString why = whyNotWritable(dir + QStringLiteral("/record.json"));
        unwritable = why.isEmpty() ? Words::cliPermissionDenied() : why;
    } else {
        unwritable = record.write();
    }
    if (unwritable) {
        console.note(Words::cliRecordNotWritable(dir, *unwritable));
        return Exit::FileError;
    }
    std::vector<Exit> exits(devices.size(), Exit::Done);
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (!devices[i].ready) {
            console.note(Words::labelled(devices[i].name, record.entry(i).message));
            exits[i] = Exit::Invalid;
        }
    // One thread a port, its devices in the order of the site file.
    std::map<QString, std::vector<std::size_t>> byPort;
    for (std::size_t i = 0; i < devices.size(); ++i)
        byPort[devices[i].line.devicePath].push_back(i);
    std::vector<std::thread> ports;
    for (const auto& entry : byPort) {
        const std::vector<std::size_t> indices = entry.second;
        ports.emplace_back([&, indices] {
            for (const std::size_t i : indices) {
                if (!devices[i].ready || record.entry(i).state == State::Done || interrupted())
                    continue;
                Console own;
                own.speakFor(devices[i].name);
                Entry e;
                exits[i] = commission(own, devices[i], options, dir, models, e);
                if (const std::optional<QString> error = record.set(i, e))
                    own.note(Words::cliRecordNotWritable(dir, *error));
            }
        });
    }
    for (std::thread& t : ports)
        t.join();
    console.note(record.totals() + QLatin1Char(' ') + record.jsonPath());
    if (interrupted())
        return Exit::Interrupted;
    for (const Exit e : exits)
        if (e != Exit::Done)
            return e;
    return Exit::Done;
}

QString siteTemplate(const Models& models)
{
    QJsonArray devices;
    int id = 1;
    for (const DeviceModel* m : models)
        devices.append(QJsonObject{{QStringLiteral("name"), m->key() + QStringLiteral("-1")},
            {QStringLiteral("port"), id == 1 ? QStringLiteral("bus-a") : QStringLiteral("bus-b")},
            {QStringLiteral("baud"), 19200}, {QStringLiteral("id"), id++}, {QStringLiteral("model"), m->key()},
            {QStringLiteral("file"), m->key() + QStringLiteral("-1.") + m->extension()}});
    return QString::fromUtf8(QJsonDocument(
        QJsonObject{{QStringLiteral("site"), QStringLiteral("Example site")}, {QStringLiteral("devices"), devices}})
                                 .toJson(QJsonDocument::Indented));
}

} // namespace tarnixw::cli
