#include "Commands.h"

#include "Config.h"
#include "Console.h"
#include "DeviceLine.h"
#include "JsonFormat.h"
#include "Report.h"
#include "Scan.h"
#include "Site.h"
#include "Words.h"

#include "link/NetworkPorts.h"
#include "link/PortList.h"
#include "model/Fields.h"
#include "model/Table.h"
#include "values/SafeFile.h"
#include "words/Words.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QRegularExpression>
#include <functional>
#include <map>
#include <set>

#ifndef TARNIXW_VERSION
#define TARNIXW_VERSION "0"
#endif

namespace tarnixw::cli {

namespace {

const QString kProgram = QStringLiteral("tarnixw-cli");
// -o - : the JSON format on standard output.
const QString kStandardOutput = QStringLiteral("-");

// What a subcommand's function gets: its parsed command line, the console and the models.
struct Context {
    QCommandLineParser& args;
    Console& console;
    const Models& models;
    QString command;
    Exit failure = Exit::Done; // why a step that returns nothing failed

    // Every message starts with the program's name, a usage error too; the hint names the
    // command whose help tells more.
    Exit usage(const QString& text) const
    {
        console.note(text);
        console.raw(Words::cliTryHelp(command));
        return Exit::Usage;
    }
};

// ---- Options shared by the subcommands ------------------------------------------------------

// What each option is, is told when the program runs (describeOptions): in the words of the
// translation installed then, with the models' choices.
QCommandLineOption kPort({"p", "port"}, {}, "P");
QCommandLineOption kBaud({"b", "baud"}, {}, "B", "19200");
QCommandLineOption kId({"i", "id"}, {}, "N");
QCommandLineOption kModel({"m", "model"}, {}, "M");
QCommandLineOption kOutput({"o", "output"}, {}, "FILE");
QCommandLineOption kFast("fast");
QCommandLineOption kVerify("verify");
QCommandLineOption kForce("force");
QCommandLineOption kTrace("trace");
QCommandLineOption kQuiet("quiet");
QCommandLineOption kHelp({"h", "help"}, {});
QCommandLineOption kIds("ids", {}, "FIRST-LAST", "1-255");
QCommandLineOption kJson("json");
QCommandLineOption kRecord("record", {}, "DIR");
QCommandLineOption kDryRun("dry-run");
QCommandLineOption kResume("resume");
QCommandLineOption kSite("site");

// Whether a device read as `config` may be of another model: the fixed words every Write sets
// do not hold their values, or most values fail the forms' checks.
bool looksLikeOtherModel(const Configuration& config, std::span<const std::uint8_t> image)
{
    const Configuration held = config.model->fromDeviceImage(image);
    const std::vector<models::Field>& fields = config.model->fields();
    const auto checked = std::count_if(fields.begin(), fields.end(), [](const models::Field& f) { return f.check; });
    return !models::fixedValuesHold(held) || (checked > 0 && 2 * models::outsideFormChecks(config).size() > checked);
}

const DeviceModel* modelOption(const Context& c)
{
    const QString m = c.args.value(kModel);
    for (const DeviceModel* model : c.models)
        if (m.compare(model->key(), Qt::CaseInsensitive) == 0)
            return model;
    return nullptr;
}

// The models' names, keys and file extensions, each in a list.
struct ModelWords {
    QStringList names;
    QStringList keys;
    QStringList extensions;
};
ModelWords modelWords(const Models& models)
{
    ModelWords w;
    for (const DeviceModel* m : models) {
        w.names << m->name();
        w.keys << m->key();
        w.extensions << QLatin1Char('.') + m->extension();
    }
    return w;
}

// "--model must be vyr or plix"
Exit noModel(const Context& c)
{
    return c.usage(Words::cliModelMustBe(oneOf(modelWords(c.models).keys)));
}

// The port, baud rate and (when wanted) slave ID of a device command; Usage when wrong. With
// `everyRate`, --baud all is taken too: every rate of the forms' list (the first in s.baud).
Exit lineSettings(const Context& c, LineSettings& s, bool withId, std::vector<int>* everyRate = nullptr)
{
    if (!c.args.isSet(kPort))
        return c.usage(Words::cliPortMissing());
    if (QString why; !parsePort(c.args.value(kPort), s, &why))
        return c.usage(why.isEmpty() ? Words::cliNoPort(c.args.value(kPort)) : why);
    // --baud all (where taken): every rate of the forms' list, the first in s.baud.
    const bool all = everyRate && c.args.value(kBaud).compare(QLatin1String("all"), Qt::CaseInsensitive) == 0;
    const std::optional<int> baud = all ? link::ComPort::baudRate(0) : parseBaud(c.args.value(kBaud));
    if (!baud)
        return c.usage(Words::cliNoBaud(c.args.value(kBaud)));
    s.baud = *baud;
    for (int index = 0; everyRate && index < 4; ++index)
        if (all || link::ComPort::baudRate(index) == *baud)
            everyRate->push_back(link::ComPort::baudRate(index));
    s.trace = c.args.isSet(kTrace);
    if (withId) {
        if (!c.args.isSet(kId))
            return c.usage(Words::cliIdMissing());
        // The forms' rule for ModbusID.
        const link::SlaveIdText id = link::slaveIdFromText(c.args.value(kId));
        if (!id.id)
            return c.usage(id.error == link::SlaveIdError::OutOfRange ? Words::cliIdOutOfRange(c.args.value(kId))
                                                                      : Words::cliIdNoNumber(c.args.value(kId)));
        s.slaveId = *id.id;
    }
    return Exit::Done;
}

// The output file of read and template: named, and of a kind the model is saved as; "-" is
// the JSON format on standard output.
Exit outputFor(const Context& c, const DeviceModel& model, QString& path)
{
    if (!c.args.isSet(kOutput))
        return c.usage(Words::cliOutputMissing());
    path = c.args.value(kOutput);
    if (path == kStandardOutput)
        return Exit::Done;
    const std::optional<FileKind> kind = fileKindOf(path, c.models);
    if (!kind || !fitsModel(*kind, model))
        return c.usage(Words::labelled(path, kindsOfModel(model)));
    // A file that could never be saved is refused before the device is read.
    if (const QString reason = whyNotWritable(path); !reason.isEmpty()) {
        c.console.note(QStringLiteral("%1: %2 (%3)").arg(path, Words::cannotOpenFile(), reason));
        return Exit::FileError;
    }
    return Exit::Done;
}

// The --model and -o FILE of read and template.
Exit modelAndOutput(const Context& c, const DeviceModel*& model, QString& path)
{
    model = modelOption(c);
    if (!model)
        return noModel(c);
    return outputFor(c, *model, path);
}

Exit save(const Context& c, const QString& path, const Configuration& config)
{
    if (path == kStandardOutput) {
        c.console.out(QString::fromUtf8(configToJson(config)));
        return Exit::Done;
    }
    if (const std::optional<QString> error = saveConfig(path, config, c.models)) {
        c.console.note(*error);
        return Exit::FileError;
    }
    return Exit::Done;
}

// A configuration file, with a warning for each value the forms would refuse; nothing after
// saying why not (c.failure tells the exit code).
std::optional<Configuration> load(Context& c, const QString& path)
{
    const Loaded loaded = loadConfig(path, c.models);
    if (!loaded.ok()) {
        c.console.note(loaded.error);
        c.failure = loaded.kind;
        return std::nullopt;
    }
    for (const QString& w : models::outsideFormChecks(*loaded.value))
        c.console.warning(Words::labelled(path, w));
    return loaded.value;
}

bool positionals(const Context& c, int count, QStringList& out)
{
    out = c.args.positionalArguments();
    return out.size() == count;
}

// ---- The subcommands --------------------------------------------------------------------

Exit portsCommand(Context& c)
{
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(Words::cliTakesNoArguments(c.command));
    const auto entries = link::PortList::system().refresh();
    if (!entries) {
        c.console.note(Words::cliPortListUnreadable());
        return Exit::PortError;
    }
    for (const QString& problem : link::PortList::system().networkProblems())
        c.console.warning(Words::labelled(link::networkPortsFile(), problem));
    if (entries->empty()) {
        c.console.note(Words::cliNoSerialPort());
        return Exit::Done;
    }
    models::Table t(Words::cliPortsColumns());
    for (const int column : {1, 2, 3})
        t.alignLeft(column);
    for (const link::PortEntry& e : *entries) {
        t.add({e.portName, e.stableName, e.devicePath, portDescription(e)});
    }
    c.console.out(t.text());
    return Exit::Done;
}

Exit searchCommand(Context& c)
{
    LineSettings s;
    if (const Exit e = lineSettings(c, s, false); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(Words::cliTakesNoArguments(c.command));
    s.fast = c.args.isSet(kFast);
    watchInterrupt();
    std::uint8_t id = 0;
    if (const Exit e = searchSlaveId(c.console, s, id); e != Exit::Done)
        return e;
    c.console.out(QStringLiteral("%1\n").arg(id));
    return Exit::Done;
}

// "5" or "10-20" within 1..255.
std::optional<std::pair<int, int>> idRange(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})(?:-(\\d{1,3}))?$"));
    const QRegularExpressionMatch m = form.match(text);
    const int first = m.captured(1).toInt();
    const int last = m.hasCaptured(2) ? m.captured(2).toInt() : first;
    if (!m.hasMatch() || first < 1 || last > 255 || first > last)
        return std::nullopt;
    return std::pair{first, last};
}

Exit scanCommand(Context& c)
{
    LineSettings s;
    std::vector<int> rates;
    if (const Exit e = lineSettings(c, s, false, &rates); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(Words::cliTakesNoArguments(c.command));
    const std::optional<std::pair<int, int>> ids = idRange(c.args.value(kIds));
    if (!ids)
        return c.usage(Words::cliNoIds(c.args.value(kIds)));
    s.fast = c.args.isSet(kFast);
    watchInterrupt();
    std::vector<std::pair<int, link::BusScan>> byRate;
    for (const int rate : rates) {
        s.baud = rate;
        link::BusScan found;
        if (const Exit e = scanSlaves(c.console, s, ids->first, ids->second, found); e != Exit::Done)
            return e;
        if (found.noise)
            c.console.note(Words::cliScanNoise(rate));
        byRate.emplace_back(rate, std::move(found));
    }
    const std::vector<ScanRow> rows = scanRows(byRate, c.models);
    QStringList rateTexts;
    for (const int rate : rates)
        rateTexts << QString::number(rate);
    if (rows.empty()) {
        c.console.note(Words::cliScanNothing(oneOf(rateTexts), ids->first, ids->second));
        if (!c.args.isSet(kJson))
            return Exit::NoResponse;
    }
    c.console.out(
        c.args.isSet(kJson) ? scanJson(rows, c.args.value(kPort), ids->first, ids->second, byRate) : scanTable(rows));
    if (!rows.empty())
        c.console.success(Words::cliScanFound(int(rows.size())));
    return rows.empty() ? Exit::NoResponse : Exit::Done;
}

// The configuration a Read of the device brings (--fast as asked, Ctrl+C watched), with a warning
// for each value the forms would refuse; nothing after saying why not (c.failure tells the exit
// code).
std::optional<Configuration> readDevice(
    Context& c, const DeviceModel& model, LineSettings s, const QString& whenStopped)
{
    s.fast = c.args.isSet(kFast);
    watchInterrupt();
    std::vector<std::uint8_t> image;
    if (const Exit e = readDeviceImage(c.console, model, s, image, whenStopped); e != Exit::Done) {
        c.failure = e;
        return std::nullopt;
    }
    const values::Result<Configuration> read = model.fromRead(image);
    if (!read.ok()) {
        c.console.note(read.error);
        c.failure = Exit::Invalid;
        return std::nullopt;
    }
    const QStringList outside = models::outsideFormChecks(*read.value);
    for (const QString& w : outside)
        c.console.warning(w);
    // A device of another model answers the same requests with values of its own layout.
    if (looksLikeOtherModel(*read.value, image)) {
        Models others = c.models;
        std::erase(others, &model);
        const ModelWords w = modelWords(others);
        c.console.warning(Words::cliOtherModel(model.name(), oneOf(w.names), oneOf(w.keys)));
    }
    return read.value;
}

Exit readCommand(Context& c)
{
    const DeviceModel* model = nullptr;
    QString path;
    if (const Exit e = modelAndOutput(c, model, path); e != Exit::Done)
        return e;
    LineSettings s;
    if (const Exit e = lineSettings(c, s, true); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(Words::cliTakesOnlyOutput(c.command));
    std::optional<Configuration> read = readDevice(c, *model, s, Words::cliNothingSaved());
    if (!read)
        return c.failure;
    c.console.success(Words::readDone());
    return save(c, path, *read);
}

// Reads the device back and lists on standard output every value that differs from `ready`.
Exit verify(Context& c, const Configuration& ready, const LineSettings& s)
{
    std::vector<std::uint8_t> image;
    if (const Exit e = readDeviceImage(c.console, *ready.model, s, image, Words::cliVerifyReadFailed());
        e != Exit::Done)
        return e;
    const QStringList lines = readBackDifferences(ready, image);
    if (lines.isEmpty()) {
        c.console.success(Words::cliVerified());
        return Exit::Done;
    }
    c.console.out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    c.console.note(Words::cliVerifyDiffers(lines.size()));
    return Exit::Differences;
}

Exit writeCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 1, files))
        return c.usage(Words::cliTakesOneFile(c.command));
    LineSettings s;
    if (const Exit e = lineSettings(c, s, true); e != Exit::Done)
        return e;
    // Everything is read and checked before the port is opened.
    const Loaded loaded = loadConfig(files[0], c.models);
    if (!loaded.ok()) {
        c.console.note(loaded.error);
        return loaded.kind;
    }
    // An empty sensor range cannot be scaled, and the device needs the scaling: not even
    // --force writes it.
    if (const QStringList empty = models::emptySensorRanges(*loaded.value); !empty.isEmpty()) {
        for (const QString& e : empty)
            c.console.note(Words::labelled(files[0], e));
        c.console.note(Words::cliEmptyRangeNotWritten());
        return Exit::Invalid;
    }
    const QStringList outside = models::outsideFormChecks(*loaded.value);
    if (!outside.isEmpty() && !c.args.isSet(kForce)) {
        for (const QString& w : outside)
            c.console.note(Words::labelled(files[0], w));
        c.console.note(Words::cliOutsideChecks(outside.size()));
        return Exit::Invalid;
    }
    for (const QString& w : outside)
        c.console.warning(Words::labelled(files[0], w));
    // The configuration as the device should hold it after the Write.
    const values::Result<Configuration> ready = loaded.value->model->readyForWrite(*loaded.value);
    if (!ready.ok()) {
        c.console.note(Words::cliNotWritten(files[0], ready.error));
        return Exit::Invalid;
    }
    watchInterrupt();
    Exit e = writeConfig(c.console, *ready.value, s);
    if (e == Exit::Done && c.args.isSet(kVerify))
        e = verify(c, *ready.value, s);
    return e;
}

Exit showCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 1, files))
        return c.usage(Words::cliTakesOneFile(c.command));
    const std::optional<Configuration> config = load(c, files[0]);
    if (!config)
        return c.failure;
    c.console.out(config->model->report(*config));
    return Exit::Done;
}

Exit convertCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 2, files))
        return c.usage(Words::cliConvertTakesTwo());
    const std::optional<FileKind> kind = fileKindOf(files[1], c.models);
    if (!kind)
        return c.usage(Words::labelled(files[1], Words::cliFilesEndIn(fileKinds(c.models))));
    const std::optional<Configuration> config = load(c, files[0]);
    if (!config)
        return c.failure;
    if (!fitsModel(*kind, *config->model))
        return c.usage(Words::labelled(files[1], kindsOfModel(*config->model)));
    return save(c, files[1], *config);
}

Exit diffCommand(Context& c)
{
    QStringList files;
    const bool device = c.args.isSet(kPort);
    if (!positionals(c, device ? 1 : 2, files))
        return c.usage(device ? Words::cliDiffWithPortTakesOne() : Words::cliDiffTakesTwo());
    std::optional<Configuration> a;
    if (device) {
        // The device against the file: read as read reads it, first.
        const DeviceModel* model = modelOption(c);
        if (!model)
            return noModel(c);
        LineSettings s;
        if (const Exit e = lineSettings(c, s, true); e != Exit::Done)
            return e;
        a = readDevice(c, *model, s, {});
    } else {
        a = load(c, files[0]);
    }
    if (!a)
        return c.failure;
    const std::optional<Configuration> b = load(c, files.last());
    if (!b)
        return c.failure;
    const QStringList lines = differences(*a, *b);
    if (lines.isEmpty())
        return Exit::Done;
    c.console.out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return Exit::Differences;
}

Exit templateCommand(Context& c)
{
    if (c.args.isSet(kSite)) {
        if (!c.args.isSet(kOutput) || !c.args.positionalArguments().isEmpty())
            return c.usage(Words::cliTakesOnlyOutput(c.command));
        const QString path = c.args.value(kOutput);
        if (path == kStandardOutput) {
            c.console.out(siteTemplate(c.models));
            return Exit::Done;
        }
        if (const std::optional<QString> error = values::saveFileSafely(path, siteTemplate(c.models).toUtf8())) {
            c.console.note(Words::labelled(path, *error));
            return Exit::FileError;
        }
        return Exit::Done;
    }
    const DeviceModel* model = nullptr;
    QString path;
    if (const Exit e = modelAndOutput(c, model, path); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(Words::cliTakesOnlyOutput(c.command));
    return save(c, path, model->defaults());
}

Exit siteCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 1, files))
        return c.usage(Words::cliTakesOneFile(c.command));
    SiteOptions o;
    o.recordDir = c.args.value(kRecord);
    o.dryRun = c.args.isSet(kDryRun);
    o.resume = c.args.isSet(kResume);
    o.fast = c.args.isSet(kFast);
    o.trace = c.args.isSet(kTrace);
    watchInterrupt();
    return runSite(c.console, files[0], c.models, o);
}

// ---- The table ----------------------------------------------------------------------------

struct Command {
    const char* name;
    Words::CommandHelp (*help)(); // its synopsis, summary, description and arguments' descriptions
    std::vector<const QCommandLineOption*> options;
    std::vector<const char*> arguments; // the names of help().arguments, in their order
    Exit (*run)(Context&);
    std::vector<Exit> exits; // the exit codes it can end with
};

using enum Exit;

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"ports", Words::cliPortsHelp, {}, {}, portsCommand, {Done, Usage, PortError}},
        {"search", Words::cliSearchHelp, {&kPort, &kBaud, &kFast, &kTrace, &kQuiet}, {}, searchCommand,
            {Done, Usage, NoResponse, PortError, Interrupted}},
        {"scan", Words::cliScanHelp, {&kPort, &kBaud, &kIds, &kFast, &kJson, &kTrace, &kQuiet}, {}, scanCommand,
            {Done, Usage, NoResponse, PortError, Interrupted}},
        {"read", Words::cliReadHelp, {&kModel, &kPort, &kId, &kBaud, &kFast, &kTrace, &kQuiet, &kOutput}, {},
            readCommand, {Done, Usage, NoResponse, ResponseError, PortError, FileError, Invalid, Interrupted}},
        {"write", Words::cliWriteHelp, {&kPort, &kId, &kBaud, &kVerify, &kForce, &kTrace, &kQuiet}, {"FILE"},
            writeCommand,
            {Done, Differences, Usage, NoResponse, ResponseError, PortError, FileError, Invalid, Interrupted}},
        {"show", Words::cliShowHelp, {}, {"FILE"}, showCommand, {Done, Usage, FileError, Invalid}},
        {"convert", Words::cliConvertHelp, {}, {"IN", "OUT"}, convertCommand, {Done, Usage, FileError, Invalid}},
        {"diff", Words::cliDiffHelp, {&kModel, &kPort, &kId, &kBaud, &kFast, &kTrace}, {"A", "B"}, diffCommand,
            {Done, Differences, Usage, NoResponse, ResponseError, PortError, FileError, Invalid, Interrupted}},
        {"site", Words::cliSiteHelp, {&kRecord, &kDryRun, &kResume, &kFast, &kTrace}, {"SITE"}, siteCommand,
            {Done, Differences, Usage, NoResponse, ResponseError, PortError, FileError, Invalid, Interrupted}},
        {"template", Words::cliTemplateHelp, {&kModel, &kSite, &kOutput}, {}, templateCommand,
            {Done, Usage, FileError}},
    };
    return table;
}

// What each exit code says.
QString exitMeaning(Exit e)
{
    static const std::map<Exit, QString (*)()> meanings
        = {{Done, Words::cliExitDone}, {Differences, Words::cliExitDifferences}, {Usage, Words::cliExitUsage},
            {NoResponse, Words::cliExitNoResponse}, {ResponseError, Words::cliExitResponseError},
            {PortError, Words::cliExitPortError}, {FileError, Words::cliExitFileError},
            {Invalid, Words::cliExitInvalid}, {Interrupted, Words::cliExitInterrupted}};
    return meanings.at(e)();
}

QString exitCodes(const std::vector<Exit>& exits)
{
    QString out = Words::cliExitStatusHeading() + QLatin1Char('\n');
    for (const Exit e : exits)
        out += QStringLiteral("  %1  %2\n").arg(QString::number(code(e)).leftJustified(3), exitMeaning(e));
    return out;
}

// `head` as it is (an option's name padded to its column, say), then the words of `text`, in
// lines of at most 100 columns, the lines after the first indented by `indent`.
QString wrapped(const QString& head, const QString& text, int indent)
{
    constexpr int kWidth = 100;
    QString out;
    QString line = head;
    bool words = false; // whether a word of `text` is placed: the first goes right after `head`
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (words && line.size() + 1 + word.size() > kWidth) {
            out += line + QLatin1Char('\n');
            line = QString(indent, QLatin1Char(' '));
        } else if (words) {
            line += QLatin1Char(' ');
        }
        line += word;
        words = true;
    }
    return out + line;
}

// An option or argument: its name in a column of its own, then what it is.
QString listed(const QString& name, const QString& text)
{
    return wrapped(QStringLiteral("  %1  ").arg(name.leftJustified(18)), text, 22);
}

// A text of the command table with the models and the forms' words put in: "{keys}" is
// "vyr|plix", "{binaries}" ".vyx, .plx", "{idNotFound}" the ID search's box.
QString withModels(QString text, const Models& models)
{
    const ModelWords w = modelWords(models);
    return text.replace(QLatin1String("{keys}"), w.keys.join(QLatin1Char('|')))
        .replace(QLatin1String("{binaries}"), w.extensions.join(QStringLiteral(", ")))
        .replace(QLatin1String("{idNotFound}"), Words::idNotFound());
}

// What the options are; those that name the models: "vyr (VYRANTA) or plix (PLIXARO).", "The
// file to write: .vyx or .plx (binary) or .json."
void describeOptions(const Models& models)
{
    QStringList choices;
    for (const DeviceModel* m : models)
        choices << QStringLiteral("%1 (%2)").arg(m->key(), m->name());
    kModel.setDescription(oneOf(choices) + QLatin1Char('.'));
    kOutput.setDescription(Words::cliOutputOption(modelWords(models).extensions.join(Words::cliOr())));
    const std::pair<QCommandLineOption*, QString (*)()> fixed[]
        = {{&kPort, Words::cliPortOption}, {&kBaud, Words::cliBaudOption}, {&kId, Words::cliIdOption},
            {&kFast, Words::cliFastOption}, {&kVerify, Words::cliVerifyOption}, {&kForce, Words::cliForceOption},
            {&kTrace, Words::cliTraceOption}, {&kQuiet, Words::cliQuietOption}, {&kHelp, Words::cliHelpOption},
            {&kIds, Words::cliIdsOption}, {&kJson, Words::cliJsonOption}, {&kRecord, Words::cliRecordOption},
            {&kDryRun, Words::cliDryRunOption}, {&kResume, Words::cliResumeOption}, {&kSite, Words::cliSiteOption}};
    for (const auto& [option, description] : fixed)
        option->setDescription(description());
}

QString commandHelp(const Command& cmd, const Models& models)
{
    const Words::CommandHelp help = cmd.help();
    QString out = wrapped({}, Words::cliUsage(QString::fromLatin1(cmd.name), withModels(help.synopsis, models)), 8)
        + QStringLiteral("\n\n%1\n").arg(withModels(help.description, models));
    if (!cmd.arguments.empty()) {
        out += QLatin1Char('\n') + Words::cliArgumentsHeading() + QLatin1Char('\n');
        for (std::size_t i = 0; i < cmd.arguments.size(); ++i)
            out += listed(QString::fromLatin1(cmd.arguments[i]), withModels(help.arguments.value(qsizetype(i)), models))
                + QLatin1Char('\n');
    }
    out += QLatin1Char('\n') + Words::cliOptionsHeading() + QLatin1Char('\n');
    std::vector<const QCommandLineOption*> options = cmd.options;
    options.push_back(&kHelp);
    for (const QCommandLineOption* o : options) {
        QStringList names;
        for (const QString& n : o->names())
            names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        QString left = names.join(QStringLiteral(", "));
        if (!o->valueName().isEmpty())
            left += QLatin1Char(' ') + o->valueName();
        out += listed(left, o->description()) + QLatin1Char('\n');
    }
    if (std::ranges::find(cmd.options, &kPort) != cmd.options.end())
        out += QLatin1Char('\n') + Words::cliDeviceCommandNote() + QLatin1Char('\n');
    return out + QLatin1Char('\n') + exitCodes(cmd.exits);
}

const Command* commandNamed(const QString& name)
{
    const auto& table = commands();
    const auto it
        = std::find_if(table.begin(), table.end(), [&](const Command& c) { return name == QLatin1String(c.name); });
    return it == table.end() ? nullptr : &*it;
}

} // namespace

QString programHelp(const Models& models)
{
    const ModelWords w = modelWords(models);
    QStringList files;
    for (const DeviceModel* m : models)
        files << QStringLiteral(".%1 (%2)").arg(m->extension(), m->name());
    QString out = Words::cliProgramHelpHead(oneOf(w.names, Words::cliAnd()), oneOf(w.extensions, Words::cliAnd()));
    for (const Command& cmd : commands())
        out += QStringLiteral("  %1  %2\n").arg(QString::fromLatin1(cmd.name).leftJustified(9), cmd.help().summary);
    out += QLatin1Char('\n') + Words::cliProgramHelpTail(oneOf(files, Words::cliAnd())) + QLatin1Char('\n');
    return out
        + exitCodes({Done, Differences, Usage, NoResponse, ResponseError, PortError, FileError, Invalid, Interrupted});
}

Exit runCommand(Console& console, const QStringList& arguments, const Models& models)
{
    describeOptions(models);
    QString first = arguments.value(1);
    QStringList rest = arguments.mid(2);
    // A usage error before a command is known: the program's help tells more.
    const auto usage = [&](const QString& text) {
        console.note(text);
        console.raw(Words::cliTryProgramHelp());
        return Exit::Usage;
    };
    if (first.isEmpty())
        return usage(Words::cliCommandMissing());
    if (first == QLatin1String("-h") || first == QLatin1String("--help")
        || (first == QLatin1String("help") && rest.isEmpty())) {
        console.out(programHelp(models));
        return Exit::Done;
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        console.out(QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(TARNIXW_VERSION)));
        return Exit::Done;
    }
    // "help COMMAND" is "COMMAND --help".
    if (first == QLatin1String("help")) {
        first = rest.takeFirst();
        rest = {QStringLiteral("--help")};
    }
    const Command* cmd = commandNamed(first);
    if (!cmd)
        return usage(Words::cliNotACommand(first));
    QCommandLineParser parser;
    parser.addOption(kHelp);
    for (const QCommandLineOption* o : cmd->options)
        parser.addOption(*o);
    Context context{parser, console, models, QString::fromLatin1(cmd->name)};
    if (!parser.parse(QStringList{arguments[0]} + rest))
        return context.usage(parser.errorText());
    if (parser.isSet(kHelp)) {
        console.out(commandHelp(*cmd, models));
        return Exit::Done;
    }
    console.setQuiet(std::ranges::find(cmd->options, &kQuiet) != cmd->options.end() && parser.isSet(kQuiet));
    return cmd->run(context);
}

int runCommandLine(const QStringList& arguments, const Models& models)
{
    Console console;
    const int rc = code(runCommand(console, arguments, models));
    // Data that did not reach standard output (a full disk, a closed pipe) is a failure too.
    if (console.outFailed() && rc == code(Exit::Done)) {
        console.note(Words::cliStdoutFailed(console.outError()));
        return code(Exit::FileError);
    }
    return rc;
}

} // namespace tarnixw::cli
