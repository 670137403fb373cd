#include "Commands.h"

#include "Config.h"
#include "Console.h"
#include "DeviceLine.h"
#include "Fields.h"
#include "Report.h"
#include "Table.h"

#include "link/PortList.h"
#include "plix/PlixModel.h"
#include "values/SafeFile.h"
#include "vyr/VyrPack.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <functional>

#ifndef TARNIXW_VERSION
#define TARNIXW_VERSION "0"
#endif

namespace tarnixw::cli {

namespace {

const QString kProgram = QStringLiteral("tarnixw-cli");

// What a subcommand's function gets: its parsed command line and the console.
struct Context {
    QCommandLineParser& args;
    Console& console;
    QString command;

    Exit usage(const QString& text) const
    {
        console.note(QStringLiteral("%1 %2: %3\nTry '%1 %2 --help'.").arg(kProgram, command, text));
        return Exit::Usage;
    }
};

// ---- Options shared by the subcommands ------------------------------------------------------

const QCommandLineOption kPort({"p", "port"}, "The serial port: COM3 as the forms number it, or a device path.", "P");
const QCommandLineOption kBaud({"b", "baud"}, "Line rate: 9600, 19200 (default), 38400 or 115200.", "B", "19200");
const QCommandLineOption kId({"i", "id"}, "The device's Modbus slave ID, 1..255.", "N");
const QCommandLineOption kModel({"m", "model"}, "vyr (VYRANTA) or plix (PLIXARO).", "M");
const QCommandLineOption kOutput({"o", "output"}, "The file to write: .vyx or .plx (binary) or .json.", "FILE");
const QCommandLineOption kFast(
    "fast", "End each read or probe as soon as its complete answer is in, instead of after the forms' fixed wait.");
const QCommandLineOption kVerify(
    "verify", "Read the device back afterwards and list every value that differs from what was written.");
const QCommandLineOption kForce("force", "Write also values that the forms' field checks would refuse.");
const QCommandLineOption kTrace(
    "trace", "Print every frame on the line to standard error, as the forms' line traffic shows it.");

std::optional<Model> modelOption(const Context& c)
{
    const QString m = c.args.value(kModel).toLower();
    if (m == QLatin1String("vyr"))
        return Model::Vyr;
    if (m == QLatin1String("plix"))
        return Model::Plix;
    return std::nullopt;
}

// The port, baud rate and (when wanted) slave ID of a device command; Usage when wrong.
Exit lineSettings(const Context& c, LineSettings& s, bool withId)
{
    if (!c.args.isSet(kPort))
        return c.usage(QStringLiteral("--port is missing"));
    if (!parsePort(c.args.value(kPort), s))
        return c.usage(QStringLiteral("--port %1 is neither a COM name (COM3) nor a device path (/dev/ttyUSB0)")
                           .arg(c.args.value(kPort)));
    const std::optional<int> baud = parseBaud(c.args.value(kBaud));
    if (!baud)
        return c.usage(QStringLiteral("--baud %1 is not 9600, 19200, 38400 or 115200").arg(c.args.value(kBaud)));
    s.baud = *baud;
    s.trace = c.args.isSet(kTrace);
    if (withId) {
        if (!c.args.isSet(kId))
            return c.usage(QStringLiteral("--id is missing"));
        // The forms' rule for ModbusID.
        const link::SlaveIdText id = link::slaveIdFromText(c.args.value(kId));
        if (!id.id)
            return c.usage(id.error == link::SlaveIdError::OutOfRange
                    ? QStringLiteral("--id %1 is no slave ID: give one between 1 and 255").arg(c.args.value(kId))
                    : QStringLiteral("--id %1 is no slave ID: give a whole number between 1 and 255")
                          .arg(c.args.value(kId)));
        s.slaveId = *id.id;
    }
    return Exit::Done;
}

// The output file of read and template: named, and of a kind the model is saved as.
Exit outputFor(const Context& c, Model model, QString& path)
{
    if (!c.args.isSet(kOutput))
        return c.usage(QStringLiteral("-o FILE is missing"));
    path = c.args.value(kOutput);
    const std::optional<FileKind> kind = fileKindOf(path);
    if (!kind || !fitsModel(*kind, model))
        return c.usage(QStringLiteral("%1: %2").arg(path, kindsOfModel(model)));
    // A file that could never be saved is refused before the device is read.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (file.isDir() || !folder.isDir() || !folder.isWritable()) {
        c.console.note(QStringLiteral("%1: %2").arg(path, values::cannotOpenFileMessage()));
        return Exit::FileError;
    }
    return Exit::Done;
}

// The --model and -o FILE of read and template.
Exit modelAndOutput(const Context& c, Model& model, QString& path)
{
    const std::optional<Model> m = modelOption(c);
    if (!m)
        return c.usage(QStringLiteral("--model must be vyr or plix"));
    model = *m;
    return outputFor(c, model, path);
}

Exit save(const Context& c, const QString& path, const Config& config)
{
    if (const std::optional<QString> error = saveConfig(path, config)) {
        c.console.note(*error);
        return Exit::FileError;
    }
    return Exit::Done;
}

// A configuration file, with a warning for each value the forms would refuse.
std::optional<Config> load(const Context& c, const QString& path, Exit& failure)
{
    const Loaded loaded = loadConfig(path);
    if (!loaded.config) {
        c.console.note(loaded.error);
        failure = loaded.exit;
        return std::nullopt;
    }
    for (const QString& w : outsideFormChecks(*loaded.config))
        c.console.warning(QStringLiteral("%1: %2").arg(path, w));
    return loaded.config;
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
        return c.usage(QStringLiteral("ports takes no arguments"));
    const auto entries = link::PortList::system().refresh();
    if (!entries) {
        c.console.note(QStringLiteral("The system's list of serial ports cannot be read."));
        return Exit::PortError;
    }
    if (entries->empty()) {
        c.console.note(QStringLiteral("No serial port is connected."));
        return Exit::Done;
    }
    Table t({"port", "device", "what"});
    t.alignLeft(1);
    t.alignLeft(2);
    for (const link::PortEntry& e : *entries) {
        QString what;
        QString path = e.devicePath;
        switch (e.kind) {
        case link::PortKind::Usb: {
            QStringList parts{QStringLiteral("USB adapter"), e.usbId};
            if (!e.usbVendor.isEmpty())
                parts << e.usbVendor;
            if (!e.usbProduct.isEmpty())
                parts << e.usbProduct;
            what = parts.join(QLatin1Char(' '));
            if (!e.usbSerial.isEmpty())
                what += QStringLiteral(", serial ") + e.usbSerial;
            break;
        }
        case link::PortKind::Uart:
            what = QStringLiteral("UART");
            break;
        case link::PortKind::Virtual:
            path = e.linkPath;
            what = QStringLiteral("virtual port -> ") + e.devicePath;
            break;
        }
        t.add({e.portName, path, what});
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
        return c.usage(QStringLiteral("search takes no arguments"));
    s.fast = c.args.isSet(kFast);
    watchInterrupt();
    std::uint8_t id = 0;
    const Exit e = searchSlaveId(c.console, s, id);
    if (e == Exit::Interrupted)
        c.console.note(QStringLiteral("Interrupted."));
    if (e != Exit::Done)
        return e;
    c.console.out(QStringLiteral("%1\n").arg(id));
    return Exit::Done;
}

Exit readCommand(Context& c)
{
    Model model = Model::Vyr;
    QString path;
    if (const Exit e = modelAndOutput(c, model, path); e != Exit::Done)
        return e;
    LineSettings s;
    if (const Exit e = lineSettings(c, s, true); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(QStringLiteral("read takes no arguments; the file is given with -o"));
    s.fast = c.args.isSet(kFast);
    watchInterrupt();
    std::vector<std::uint8_t> image;
    if (const Exit e = readDeviceImage(c.console, model, s, image); e != Exit::Done) {
        if (e == Exit::Interrupted)
            c.console.note(QStringLiteral("Interrupted; nothing was saved."));
        return e;
    }
    const Loaded read = configFromRead(model, image);
    if (!read.config) {
        c.console.note(read.error);
        return read.exit;
    }
    c.console.note(QStringLiteral("Read Done."));
    for (const QString& w : outsideFormChecks(*read.config))
        c.console.warning(w);
    return save(c, path, *read.config);
}

// The configuration as the device should hold it after a Write, or nothing after saying why.
std::optional<Config> readyForWrite(const Context& c, const Config& config)
{
    Config ready = config;
    QString error;
    if (config.model == Model::Vyr) {
        const vyr::WriteRecord w = vyr::recordForWrite(config.vyr);
        error = w.error;
        if (w.value)
            ready.vyr = *w.value;
    } else {
        const plix::WriteImage w = plix::paramSetForWrite(config.plix);
        error = w.error;
        if (w.value)
            ready.plix = *w.value;
    }
    if (!error.isEmpty()) {
        c.console.note(error + QStringLiteral(" Nothing was written."));
        return std::nullopt;
    }
    return ready;
}

// Reads the device back and lists on standard output every value that differs from `ready`.
Exit verify(Context& c, const Config& ready, const LineSettings& s)
{
    std::vector<std::uint8_t> image;
    if (const Exit e = readDeviceImage(c.console, ready.model, s, image); e != Exit::Done)
        return e;
    Config back = ready;
    QStringList lines;
    if (ready.model == Model::Vyr) {
        back.vyr = *vyr::recordFromDeviceImage(image);
        lines = differences(ready, back, true);
        // The 16 bytes after area 1 went out as zeros.
        const auto unedited = image.begin() + vyr::imageoffset::Unedited;
        if (std::any_of(unedited, unedited + 16, [](std::uint8_t b) { return b != 0; })) {
            QString hex;
            for (auto it = unedited; it != unedited + 16; ++it)
                hex += QStringLiteral("%1 ").arg(*it, 2, 16, QLatin1Char('0'));
            lines << QStringLiteral("device bytes 834..849: 00 x 16 → %1").arg(hex.trimmed());
        }
    } else {
        back.plix = *plix::paramSetFromDeviceImage(image);
        lines = differences(ready, back, true);
    }
    if (lines.isEmpty()) {
        c.console.note(QStringLiteral("Verified: the device holds every value written."));
        return Exit::Done;
    }
    c.console.out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    c.console.note(QStringLiteral("Verify: %1 %2 read back differently.")
                       .arg(lines.size())
                       .arg(lines.size() == 1 ? QStringLiteral("value") : QStringLiteral("values")));
    return Exit::Differences;
}

Exit writeCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 1, files))
        return c.usage(QStringLiteral("write takes one configuration file"));
    LineSettings s;
    if (const Exit e = lineSettings(c, s, true); e != Exit::Done)
        return e;
    // Everything is read and checked before the port is opened.
    const Loaded loaded = loadConfig(files[0]);
    if (!loaded.config) {
        c.console.note(loaded.error);
        return loaded.exit;
    }
    const QStringList outside = outsideFormChecks(*loaded.config);
    if (!outside.isEmpty() && !c.args.isSet(kForce)) {
        for (const QString& w : outside)
            c.console.note(QStringLiteral("%1: %2").arg(files[0], w));
        c.console.note(QStringLiteral("Nothing was written: %1 %2 outside the forms' checks (--force writes them).")
                           .arg(outside.size())
                           .arg(outside.size() == 1 ? QStringLiteral("value is") : QStringLiteral("values are")));
        return Exit::Invalid;
    }
    for (const QString& w : outside)
        c.console.warning(QStringLiteral("%1: %2").arg(files[0], w));
    const std::optional<Config> ready = readyForWrite(c, *loaded.config);
    if (!ready)
        return Exit::Invalid;
    watchInterrupt();
    Exit e = writeConfig(c.console, *ready, s);
    if (e == Exit::Done && c.args.isSet(kVerify))
        e = verify(c, *ready, s);
    if (e == Exit::Interrupted)
        c.console.note(QStringLiteral("Interrupted."));
    return e;
}

Exit showCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 1, files))
        return c.usage(QStringLiteral("show takes one configuration file"));
    Exit failure = Exit::Done;
    const std::optional<Config> config = load(c, files[0], failure);
    if (!config)
        return failure;
    c.console.out(showConfig(*config));
    return Exit::Done;
}

Exit convertCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 2, files))
        return c.usage(QStringLiteral("convert takes the file to read and the file to write"));
    if (!fileKindOf(files[1]))
        return c.usage(QStringLiteral("%1: configuration files end in .vyx, .plx or .json").arg(files[1]));
    Exit failure = Exit::Done;
    const std::optional<Config> config = load(c, files[0], failure);
    if (!config)
        return failure;
    if (!fitsModel(*fileKindOf(files[1]), config->model))
        return c.usage(QStringLiteral("%1: %2").arg(files[1], kindsOfModel(config->model)));
    return save(c, files[1], *config);
}

Exit diffCommand(Context& c)
{
    QStringList files;
    if (!positionals(c, 2, files))
        return c.usage(QStringLiteral("diff takes two configuration files"));
    Exit failure = Exit::Done;
    const std::optional<Config> a = load(c, files[0], failure);
    if (!a)
        return failure;
    const std::optional<Config> b = load(c, files[1], failure);
    if (!b)
        return failure;
    const QStringList lines = differences(*a, *b);
    if (lines.isEmpty())
        return Exit::Done;
    c.console.out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    return Exit::Differences;
}

Exit templateCommand(Context& c)
{
    Model model = Model::Vyr;
    QString path;
    if (const Exit e = modelAndOutput(c, model, path); e != Exit::Done)
        return e;
    if (!c.args.positionalArguments().isEmpty())
        return c.usage(QStringLiteral("template takes no arguments; the file is given with -o"));
    return save(c, path, templateConfig(model));
}

// ---- The table ----------------------------------------------------------------------------

struct Command {
    const char* name;
    const char* synopsis; // after the name
    const char* summary; // one line for the program's help
    const char* description; // the command's help
    std::vector<const QCommandLineOption*> options;
    std::vector<std::pair<const char*, const char*>> arguments; // name, description
    Exit (*run)(Context&);
};

const std::vector<Command>& commands()
{
    static const std::vector<Command> table = {
        {"ports", "", "list the serial ports, numbered as the forms number them",
            "Lists the serial ports as COM numbers, in the order and with the numbers the forms give them, with\n"
            "each port's device path and what it is: a USB adapter (vendor and product ID, maker, product and serial\n"
            "number where the adapter tells them), a UART, or a virtual port and the device its link points to.",
            {}, {}, portsCommand},
        {"search", "--port P [--baud B] [--fast] [--trace]",
            "find the slave ID of the device on a port (probes 1..255)",
            "Probes slave IDs 1 to 255 as the forms' ID Search does and prints the first ID that answers.\n"
            "Without an answer it ends with \"Can not Find Device ID !!\" (exit 3) after about a minute.",
            {&kPort, &kBaud, &kFast, &kTrace}, {}, searchCommand},
        {"read", "--model vyr|plix --port P --id N [--baud B] [--fast] [--trace] -o FILE",
            "read a device's configuration",
            "Reads the device's whole configuration with the forms' Read and saves it as FILE: the binary image\n"
            "that the form's Save File writes after that Read (.vyx, .plx), or the same as JSON (.json).\n"
            "Nothing is saved unless every block arrived.",
            {&kModel, &kPort, &kId, &kBaud, &kFast, &kTrace, &kOutput}, {}, readCommand},
        {"write", "--port P --id N [--baud B] [--verify] [--force] [--trace] FILE",
            "write a configuration file to a device",
            "Writes FILE (.vyx, .plx or .json; the model comes from the file) to the device with the forms' Write:\n"
            "the same requests and timing, every value exactly as the file holds it, the scaling of each channel\n"
            "computed as the form computes it. The file is read and checked whole first: nothing is sent when it is\n"
            "not valid, when a channel's sensor range is empty, or when a value lies outside the forms' field\n"
            "checks (unless --force is given).",
            {&kPort, &kId, &kBaud, &kVerify, &kForce, &kTrace}, {{"FILE", "The configuration to write."}},
            writeCommand},
        {"show", "FILE", "show a configuration as tables",
            "Shows the configuration in FILE as aligned tables, in the units and number formats of the forms.\n"
            "Values the forms' field checks would refuse are named as warnings on standard error.",
            {}, {{"FILE", "A .vyx, .plx or .json configuration."}}, showCommand},
        {"convert", "IN OUT", "convert a configuration between binary and JSON",
            "Converts IN to OUT, binary (.vyx, .plx) or JSON (.json) as their names say. Binary to JSON and back\n"
            "gives the same bytes, including bytes no form shows.",
            {}, {{"IN", "The configuration to read."}, {"OUT", "The file to write."}}, convertCommand},
        {"diff", "A B", "list the values that differ between two configurations",
            "Lists every value that differs from A to B, by name and in units, one line each; A and B may be binary\n"
            "or JSON. Exit status 0 when they hold the same values, 1 when not.",
            {}, {{"A", "A configuration file."}, {"B", "Another one."}}, diffCommand},
        {"template", "--model vyr|plix -o FILE", "write the designed defaults as a starting point",
            "Writes the configuration a form shows when it opens (its designed defaults) to FILE.", {&kModel, &kOutput},
            {}, templateCommand},
    };
    return table;
}

const QString kExitCodes = QStringLiteral("Exit status:\n"
                                          "  0    done\n"
                                          "  1    differences (diff, write --verify)\n"
                                          "  2    usage error\n"
                                          "  3    no response from the device, or no device ID found\n"
                                          "  4    response error (the device answered, but not as expected)\n"
                                          "  5    port error (the port cannot be opened or set up)\n"
                                          "  6    file error (cannot be read or written, or no configuration file)\n"
                                          "  7    invalid configuration (nothing was written)\n"
                                          "  130  interrupted by Ctrl+C (the port is closed)\n");

QString commandHelp(const Command& cmd)
{
    QString out = QStringLiteral("Usage: %1 %2 %3\n\n%4\n")
                      .arg(kProgram, QString::fromLatin1(cmd.name), QString::fromLatin1(cmd.synopsis),
                          QString::fromLatin1(cmd.description));
    if (!cmd.arguments.empty()) {
        out += QStringLiteral("\nArguments:\n");
        for (const auto& [name, text] : cmd.arguments)
            out += QStringLiteral("  %1  %2\n")
                       .arg(QString::fromLatin1(name).leftJustified(18), QString::fromLatin1(text));
    }
    out += QStringLiteral("\nOptions:\n");
    std::vector<const QCommandLineOption*> options = cmd.options;
    static const QCommandLineOption help({"h", "help"}, "Shows this help.");
    options.push_back(&help);
    for (const QCommandLineOption* o : options) {
        QStringList names;
        for (const QString& n : o->names())
            names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
        QString left = names.join(QStringLiteral(", "));
        if (!o->valueName().isEmpty())
            left += QLatin1Char(' ') + o->valueName();
        out += QStringLiteral("  %1  %2\n").arg(left.leftJustified(18), o->description());
    }
    if (cmd.options.size() > 1 && std::find(cmd.options.begin(), cmd.options.end(), &kPort) != cmd.options.end())
        out += QStringLiteral("\nMessages and the progress bar (on a terminal) go to standard error. Ctrl+C stops the\n"
                              "operation at its next step and closes the port.\n");
    return out + QLatin1Char('\n') + kExitCodes;
}

} // namespace

QString programHelp()
{
    QString out = QStringLiteral(
        "Usage: %1 COMMAND [OPTIONS] [FILES]\n\n"
        "Configures VYRANTA and PLIXARO devices over a serial port as a Modbus RTU master, with the same\n"
        "requests, timing and checks as the Tarnixw forms, and shows, converts and compares their\n"
        "configuration files: the binary .vyx and .plx files and a readable JSON format.\n\n"
        "Commands:\n")
                      .arg(kProgram);
    for (const Command& cmd : commands())
        out += QStringLiteral("  %1  %2\n")
                   .arg(QString::fromLatin1(cmd.name).leftJustified(9), QString::fromLatin1(cmd.summary));
    out += QStringLiteral(
        "\n'%1 COMMAND --help' shows a command's options.\n\n"
        "Ports:\n"
        "  A port is named as the forms name it, COM3 (see '%1 ports'), or by its device path:\n"
        "  /dev/ttyUSB0, or the link of a virtual port such as a simulated device.\n\n"
        "Files:\n"
        "  .vyx (VYRANTA) and .plx (PLIXARO) are the forms' binary configuration files; .json files hold\n"
        "  the same values in the JSON format, model named in the file.\n\n"
        "Options:\n"
        "  -h, --help     Shows this help.\n"
        "  -v, --version  Shows the version.\n\n")
               .arg(kProgram);
    return out + kExitCodes;
}

int runCommandLine(const QStringList& arguments)
{
    Console console;
    const QString first = arguments.value(1);
    if (first.isEmpty()) {
        console.note(QStringLiteral("%1: a command is missing\nTry '%1 --help'.").arg(kProgram));
        return code(Exit::Usage);
    }
    if (first == QLatin1String("-h") || first == QLatin1String("--help")) {
        console.out(programHelp());
        return code(Exit::Done);
    }
    if (first == QLatin1String("-v") || first == QLatin1String("--version")) {
        console.out(QStringLiteral("%1 %2\n").arg(kProgram, QStringLiteral(TARNIXW_VERSION)));
        return code(Exit::Done);
    }
    const auto& table = commands();
    const auto cmd
        = std::find_if(table.begin(), table.end(), [&](const Command& c) { return first == QLatin1String(c.name); });
    if (cmd == table.end()) {
        console.note(QStringLiteral("%1: '%2' is not a command\nTry '%1 --help'.").arg(kProgram, first));
        return code(Exit::Usage);
    }
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, "Shows this help.");
    parser.addOption(help);
    for (const QCommandLineOption* o : cmd->options)
        parser.addOption(*o);
    Context context{parser, console, QString::fromLatin1(cmd->name)};
    if (!parser.parse(QStringList{arguments[0]} + arguments.mid(2)))
        return code(context.usage(parser.errorText()));
    if (parser.isSet(help)) {
        console.out(commandHelp(*cmd));
        return code(Exit::Done);
    }
    return code(cmd->run(context));
}

} // namespace tarnixw::cli
