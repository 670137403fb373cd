// tarnixw-cli's configuration files: the JSON format both ways, the form-check warnings, show,
// and the command line's exit codes and diff output on files.
#include "CliRun.h"

#include "cli/Config.h"
#include "cli/JsonFormat.h"
#include "cli/Report.h"
#include "model/Fields.h"
#include "tests/support/Models.h"
#include "tests/support/Restore.h"
#include "tests/support/TestData.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarnixw;
using namespace tarnixw::cli;
using test::Config;
using test::Model;
using test::productModels;
using test::runCli;
using test::templateConfig;

namespace {

QString templateJson(Model model)
{
    return QString::fromUtf8(configToJson(templateConfig(model)));
}

QString replaceFirst(QString text, const QString& from, const QString& to)
{
    const qsizetype at = text.indexOf(from);
    return at < 0 ? QStringLiteral("<%1 not in the template>").arg(from) : text.replace(at, from.size(), to);
}

Config fromBytes(Model model, const QByteArray& bytes)
{
    return Config::of(*test::describe(model).fromFileBytes(bytes).value);
}

} // namespace

class TestCliFiles : public QObject {
    Q_OBJECT

private slots:
    // binary -> JSON -> binary gives the same bytes for every file of the right size: the
    // fuzz corpora and images of arbitrary bytes (padding, both relay bits, other mask bits,
    // negative bytes and calibration included); JSON -> JSON is stable.
    void convertRoundTrip_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QByteArray>("bytes");
        for (const char* corpus : {"fuzz_vyr_file", "fuzz_plix_file"}) {
            const QDir dir(QStringLiteral(TARNIXW_SOURCE_DIR "/fuzz/corpus/") + corpus);
            for (const QString& name : dir.entryList(QDir::Files)) {
                const QByteArray bytes = test::fileContent(dir.filePath(name));
                if (bytes.size() == vyr::fileoffset::Size || bytes.size() == plix::kParamSetSize)
                    QTest::newRow(qPrintable(name)) << int(bytes.size() == plix::kParamSetSize) << bytes;
            }
        }
        QRandomGenerator random(20240611);
        for (const int size : {int(vyr::fileoffset::Size), int(plix::kParamSetSize)})
            for (int i = 0; i < 4; ++i) {
                QByteArray bytes(size, 0);
                for (char& b : bytes)
                    b = char(random.bounded(256));
                QTest::addRow("random %d-byte image %d", size, i) << int(size == plix::kParamSetSize) << bytes;
            }
    }
    void convertRoundTrip()
    {
        QFETCH(int, model);
        QFETCH(QByteArray, bytes);
        const QByteArray json = configToJson(fromBytes(Model(model), bytes));
        const JsonImport back = configFromJson(json, productModels());
        QVERIFY2(back.config, qPrintable(back.errors.join('\n')));
        QCOMPARE(back.config->bytes, bytes);
        QCOMPARE(configToJson(*back.config), json);
    }

    // One edit of the template's JSON: refused with the message naming path and value, or
    // taken, with the warnings of the values the forms would refuse.
    void jsonImport_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("warning");
        const int v = int(Model::Vyr);
        const int p = int(Model::Plix);
        QTest::newRow("template") << v << ""
                                  << ""
                                  << ""
                                  << "";
        QTest::newRow("unknown key") << v << "\"in_use\": true,"
                                     << "\"in_use\": true, \"colour\": 1,"
                                     << "analog_inputs[0]: unknown key \"colour\""
                                     << "";
        QTest::newRow("missing key") << v << "\"silence_time\": 30,\n"
                                     << ""
                                     << "analog_inputs[0]: missing key \"silence_time\""
                                     << "";
        QTest::newRow("text for a number")
            << v << "\"sensor_to_mV\": 5000"
            << "\"sensor_to_mV\": \"5000\""
            << "analog_inputs[0].sensor_to_mV: expected an integer, found a text \"5000\""
            << "";
        QTest::newRow("fraction for an integer") << v << "\"decimal_digits\": 1,"
                                                 << "\"decimal_digits\": 1.5,"
                                                 << "analog_inputs[0].decimal_digits: 1.5 is not an integer"
                                                 << "";
        QTest::newRow("zero decimals for an integer") << v << "\"silence_time\": 30"
                                                      << "\"silence_time\": 30.0"
                                                      << "analog_inputs[0].silence_time: 30.0 is not an integer"
                                                      << "";
        QTest::newRow("exponent for an integer") << v << "\"silence_time\": 30"
                                                 << "\"silence_time\": 1.5e1"
                                                 << "analog_inputs[0].silence_time: 1.5e1 is not an integer"
                                                 << "";
        QTest::newRow("four decimals") << v << "\"pv_to\": 100.000"
                                       << "\"pv_to\": 100.0005"
                                       << "analog_inputs[0].pv_to: 100.0005 has more than 3 decimals"
                                       << "";
        QTest::newRow("two decimals of hysteresis")
            << v << "\"hysteresis_percent\": 0.5"
            << "\"hysteresis_percent\": 0.25"
            << "analog_inputs[0].hysteresis_percent: 0.25 has more than 1 decimal"
            << "";
        QTest::newRow("beyond 32 bits") << v << "\"sensor_from_mV\": 1000"
                                        << "\"sensor_from_mV\": 2147483648"
                                        << "analog_inputs[0].sensor_from_mV: 2147483648 does not fit the device field "
                                           "(-2147483648..2147483647)"
                                        << "";
        QTest::newRow("thousandths beyond 32 bits")
            << v << "\"alarm_high\": 60.000"
            << "\"alarm_high\": 2147483.648"
            << "analog_inputs[0].alarm_high: 2147483.648 does not fit the device field"
            << "";
        QTest::newRow("thousandths at 32 bits") << v << "\"alarm_low\": 40.000"
                                                << "\"alarm_low\": -2147483.648"
                                                << ""
                                                << "";
        QTest::newRow("silence beyond 16 bits") << v << "\"silence_time\": 30"
                                                << "\"silence_time\": 32768"
                                                << "analog_inputs[0].silence_time: 32768 does not fit"
                                                << "";
        QTest::newRow("flag as a number") << v << "\"in_use\": true"
                                          << "\"in_use\": 1"
                                          << "analog_inputs[0].in_use: expected true or false, found a number 1"
                                          << "";
        QTest::newRow("entry out of place") << v << "\"channel\": 2,"
                                            << "\"channel\": 7,"
                                            << "analog_inputs[2].channel: 7 must be 2"
                                            << "";
        QTest::newRow("entry's place with a point") << v << "\"channel\": 2,"
                                                    << "\"channel\": 2.0,"
                                                    << "analog_inputs[2].channel: 2.0 must be 2"
                                                    << "";
        QTest::newRow("list too short")
            << v << "{\"channel\": 14, \"close\": false, \"open\": false, \"silence_time\": 30},\n"
            << ""
            << "digital_inputs[0].channels: expected 16 entries, found"
            << "";
        QTest::newRow("DO input 64") << v << "{\"output\": 5, \"inputs\": []}"
                                     << "{\"output\": 5, \"inputs\": [64]}"
                                     << "do_modules[0].outputs[5].inputs[0]: 64 does not fit"
                                     << "";
        QTest::newRow("DO input twice") << v << "{\"output\": 5, \"inputs\": []}"
                                        << "{\"output\": 5, \"inputs\": [3, 51, 3]}"
                                        << "do_modules[0].outputs[5].inputs[2]: 3 is listed twice"
                                        << "";
        QTest::newRow("format 2") << v << "\"format\": 1"
                                  << "\"format\": 2"
                                  << "format: 2 is not a format this program reads"
                                  << "";
        QTest::newRow("format with an exponent") << v << "\"format\": 1"
                                                 << "\"format\": 1e0"
                                                 << "format: 1e0 is not a format this program reads (1)"
                                                 << "";
        // What the user wrote is shown as written, placeholders and all.
        QTest::newRow("format with a placeholder") << v << "\"format\": 1"
                                                   << "\"format\": \"%1%2\""
                                                   << "format: \"%1%2\" is not a format this program reads (1)"
                                                   << "";
        QTest::newRow("entry's place with a placeholder") << v << "\"channel\": 2,"
                                                          << "\"channel\": \"%1%2\","
                                                          << "analog_inputs[2].channel: \"%1%2\" must be 2,"
                                                          << "";
        QTest::newRow("unknown model") << v << "\"VYRANTA\""
                                       << "\"VYR\""
                                       << "model: \"VYR\" is not \"VYRANTA\" or \"PLIXARO\""
                                       << "";
        QTest::newRow("not JSON") << v << "\"fixed_words\""
                                  << "fixed_words"
                                  << "line "
                                  << "";
        QTest::newRow("exponent") << v << "\"pv_to\": 100.000"
                                  << "\"pv_to\": 1e2"
                                  << ""
                                  << "";
        QTest::newRow("digits beyond the check")
            << v << "\"decimal_digits\": 1,"
            << "\"decimal_digits\": 7,"
            << ""
            << "AI 0 decimal digits: 7, which the form refuses: \"Please input an integer number between 0 and 3.\"";
        QTest::newRow("digits read as a signed byte") << v << "\"decimal_digits\": 1,"
                                                      << "\"decimal_digits\": -1,"
                                                      << ""
                                                      << "AI 0 decimal digits: 255, which the form refuses";
        QTest::newRow("hysteresis at the byte's top") << v << "\"hysteresis_percent\": 0.5"
                                                      << "\"hysteresis_percent\": 25.5"
                                                      << ""
                                                      << "AI 0 hysteresis: 25.5 %, which the form refuses";
        QTest::newRow("sensor beyond the check") << v << "\"sensor_from_mV\": 1000"
                                                 << "\"sensor_from_mV\": -10001"
                                                 << ""
                                                 << "AI 0 sensor from: -10001 mV, which the form refuses: \"Please "
                                                    "input an integer number between -10000 and 10000.\"";
        QTest::newRow("sensor from above to")
            << v << "\"sensor_from_mV\": 1000"
            << "\"sensor_from_mV\": 6000"
            << ""
            << "AI 0 sensor from: 6000 mV, which the form refuses: \"Value must less than 'To'.\"";
        QTest::newRow("P.V. beyond the check") << v << "\"pv_to\": 100.000"
                                               << "\"pv_to\": 9999.001"
                                               << ""
                                               << "AI 0 P.V. to: 9999.001, which the form refuses";
        QTest::newRow("both relay modes") << v << "{\"channel\": 4, \"close\": false, \"open\": false"
                                          << "{\"channel\": 4, \"close\": true, \"open\": true"
                                          << ""
                                          << "DI module 0, channel 4: relay Close and Open are both on";
        QTest::newRow("DI silence -32768") << v << "\"open\": false, \"silence_time\": 30}"
                                           << "\"open\": false, \"silence_time\": -32768}"
                                           << ""
                                           << "DI module 0, channel 0 silence time: -32768, which the form refuses";
        QTest::newRow("PLIX flag as text") << p << "\"enabled\": true"
                                           << "\"enabled\": \"yes\""
                                           << "channels[0].enabled: expected true or false, found a text \"yes\""
                                           << "";
        QTest::newRow("PLIX hysteresis beyond the byte")
            << p << "\"hysteresis_percent\": 0.5"
            << "\"hysteresis_percent\": 25.6"
            << "channels[0].hysteresis_percent: 25.6 does not fit the device field (-12.8..25.5)"
            << "";
        QTest::newRow("PLIX sensor to beyond the check")
            << p << "\"sensor_to_mV\": 5000"
            << "\"sensor_to_mV\": 10001"
            << ""
            << "CH0 sensor to: 10001 mV, which the form refuses: \"Please input an integer number between -10000 and "
               "10000\"";
        // Forty errors are listed, and how many more there are: the forty-first on is counted only.
        QTest::newRow("errors past forty")
            << v << "\"inputs\": []" << QStringLiteral("\"inputs\": [%1]").arg(QStringList(45, "\"x\"").join(", "))
            << "inputs[39]: expected an integer, found a text \"x\"\n... and 5 more"
            << "";
        QTest::newRow("PLIX other mask bits") << p << "\"unused_mask_bits\": 0"
                                              << "\"unused_mask_bits\": 1"
                                              << ""
                                              << "enable mask bits 2..15: 1, which the form never writes";
        QTest::newRow("PLIX silence") << p << "\"silence_time_min\": 30"
                                      << "\"silence_time_min\": 40000"
                                      << "channels[0].silence_time_min: 40000 does not fit"
                                      << "";
    }
    void jsonImport()
    {
        QFETCH(int, model);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, error);
        QFETCH(QString, warning);
        const QString text
            = from.isEmpty() ? templateJson(Model(model)) : replaceFirst(templateJson(Model(model)), from, to);
        const JsonImport r = configFromJson(text.toUtf8(), productModels());
        if (!error.isEmpty()) {
            QVERIFY(!r.config);
            QVERIFY2(r.errors.join('\n').contains(error), qPrintable(r.errors.join('\n')));
            return;
        }
        QVERIFY2(r.config, qPrintable(r.errors.join('\n')));
        const QStringList warnings = tarnixw::models::outsideFormChecks(*r.config);
        if (warning.isEmpty())
            QCOMPARE(warnings, QStringList{});
        else
            QVERIFY2(warnings.size() == 1 && warnings[0].startsWith(warning), qPrintable(warnings.join('\n')));
    }

    // show: the forms' formats (five significant digits, hysteresis read unsigned from a file,
    // the alarm-off silence as -1) and each DO cell under its own input.
    void showTables()
    {
        Config c = templateConfig(Model::Vyr);
        c.vyr.HLimit[4] = 1234567;
        c.vyr.Hysteresis[7] = 200;
        c.vyr.DIOpenMask[1] = 1u << 3;
        c.vyr.diSilence(1, 3) = -5;
        c.vyr.doMapMask(51, 2) = 1u << 5;
        const QStringList lines = c.configuration().model->report(c).split('\n');
        const auto row = [&](const QString& start, int after = 0) {
            for (int i = after; i < lines.size(); ++i)
                if (lines[i].startsWith(start))
                    return lines[i].simplified();
            return QString();
        };
        QCOMPARE(row("4 "), QStringLiteral("4 yes 1000 5000 0.000 100.000 40.000 1234.600 1 30 0.5"));
        QVERIFY(row("7 ").endsWith(" 20.0"));
        const int di = int(lines.indexOf("Digital inputs"));
        QCOMPARE(row("3 ", di), QStringLiteral("3 - Open -1 OFF -"));
        const int module2 = int(lines.indexOf(QRegularExpression("^DO module 2.*")));
        QVERIFY(module2 > 0);
        QCOMPARE(row("5 ", module2),
            QStringLiteral("5 ................ ................ ................ ...x............"));
    }

    // The command line on files: usage errors, file errors, a configuration refused before the
    // port is touched, and diff's output and status.
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("no command") << QStringList{} << 2 << ""
                                    << "a command is missing";
        QTest::newRow("unknown command") << QStringList{"fetch"} << 2 << ""
                                         << "'fetch' is not a command";
        QTest::newRow("unknown option") << QStringList{"show", "--colour", "a.vyx"} << 2 << ""
                                        << "colour";
        QTest::newRow("slave ID 0") << QStringList{"read", "--model", "vyr", "--port", "COM1", "--id", "0", "-o",
            "x.vyx"} << 2 << ""
                                    << "--id 0 is no slave ID: give one between 1 and 255";
        QTest::newRow("baud 1200") << QStringList{"search", "--port", "COM1", "--baud", "1200"} << 2 << ""
                                   << "--baud 1200 is not 9600, 19200, 38400 or 115200";
        QTest::newRow("port name nobody has") << QStringList{"search", "--port", "ttyUSB0"} << 2 << ""
                                              << "--port ttyUSB0 is no COM name (COM3), port name, device path or "
                                                 "network address";
        QTest::newRow("network address out of shape") << QStringList{"search", "--port", "tcp://[::1]:0"} << 2 << ""
                                                      << "tcp://[::1]:0: a TCP port is a number from 1 to 65535";
        QTest::newRow("output of the other model")
            << QStringList{"template", "--model", "plix", "-o", "x.vyx"} << 2 << ""
            << "a PLIXARO configuration is saved as .plx or .json";
        QTest::newRow("missing file") << QStringList{"show", "none.vyx"} << 6 << ""
                                      << "Can not open file !!";
        QTest::newRow("standard output on a full disk")
            << QStringList{"show", "a.vyx", ">/dev/full"} << 6 << ""
            << "tarnixw-cli: cannot write to standard output: No space left on device\n";
        QTest::newRow("output that cannot be saved: refused before the port")
            << QStringList{"read", "--model", "vyr", "--port", "/nonexistent/port", "--id", "1", "-o", "no/x.vyx"} << 6
            << ""
            << "no/x.vyx: Can not open file !!";
        QTest::newRow("file of the other size") << QStringList{"show", "plix.vyx"} << 6 << ""
                                                << "a VYRANTA configuration file has exactly 1204 bytes";
        QTest::newRow("invalid JSON, nothing written") << QStringList{"convert", "bad.json", "out.vyx"} << 7 << ""
                                                       << "bad.json: not a valid configuration";
        QTest::newRow("outside the checks: refused before the port")
            << QStringList{"write", "--port", "/nonexistent/port", "--id", "1", "digits.json"} << 7 << ""
            << "AI 3 decimal digits: 7, which the form refuses";
        QTest::newRow("forced: the port is missing")
            << QStringList{"write", "--port", "/nonexistent/port", "--id", "1", "--force", "digits.json"} << 5 << ""
            << "OPEN COM ERROR!!";
        QTest::newRow("empty sensor range: not even --force writes it")
            << QStringList{"write", "--port", "/nonexistent/port", "--id", "1", "--force", "equal.plx"} << 7 << ""
            << "tarnixw-cli: equal.plx: CH1: sensor from and to are both 3000 mV, so the channel's scaling cannot be "
               "computed\ntarnixw-cli: Nothing was written: the device scales each channel by its sensor range, and "
               "an empty range gives no scaling (--force cannot help).";
        QTest::newRow("empty sensor range warned by show")
            << QStringList{"show", "equal.plx"} << 0 << QString()
            << "tarnixw-cli: warning: equal.plx: CH1: sensor from and to are both 3000 mV";
        QTest::newRow("a file that is not there, and why")
            << QStringList{"show", "none.vyx"} << 6 << ""
            << "none.vyx: Can not open file !! (no such file or directory)";
        QTest::newRow("a folder for a file") << QStringList{"show", "folder.json"} << 6 << ""
                                             << "folder.json: Can not open file !! (it is a folder)";
        QTest::newRow("one byte, said so")
            << QStringList{"show", "one.plx"} << 6 << ""
            << "This file is 1 byte long; a PLIXARO configuration file has exactly 100 bytes.";
        QTest::newRow("a key given twice") << QStringList{"convert", "twice.json", "out.vyx"} << 7 << ""
                                           << "analog_inputs[2].pv_to: the key is given twice";
        QTest::newRow("decimals the field cannot hold, zero or not")
            << QStringList{"convert", "digits-beyond.json", "out.vyx"} << 7 << ""
            << "analog_inputs[0].pv_to: 100.0000000000000000001 has more than 3 decimals";
        QTest::newRow("a number echoed as written")
            << QStringList{"convert", "huge.json", "out.vyx"} << 7 << ""
            << "analog_inputs[0].sensor_to_mV: 99999999999999999999999999999 does not fit";
        QTest::newRow("null named once") << QStringList{"convert", "null.json", "out.vyx"} << 7 << ""
                                         << "expected an integer, found null\n";
        QTest::newRow("help COMMAND: its own exit codes")
            << QStringList{"help", "template"} << 0 << QString() << QString();
        QTest::newRow("diff, binary against JSON")
            << QStringList{"diff", "a.vyx", "b.json"} << 1
            << "AI 3 sensor to: 5000 mV → 5500 mV\nDO module 2, output 5, input 51: off → on\n"
            << "";
        QTest::newRow("diff, equal") << QStringList{"diff", "a.vyx", "a.json"} << 0 << ""
                                     << "";
        QTest::newRow("diff, two models")
            << QStringList{"diff", "a.vyx", "equal.plx"} << 1 << "model: VYRANTA → PLIXARO\n"
            << "";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QTemporaryDir dir;
        const test::CurrentDirectory inDir(dir.path());
        QVERIFY(inDir.entered());
        const Config a = templateConfig(Model::Vyr);
        QVERIFY(!saveConfig("a.vyx", a, productModels()));
        QVERIFY(!saveConfig("a.json", a, productModels()));
        Config b = a;
        b.vyr.STo[3] = 5500;
        b.vyr.doMapMask(51, 2) = 1u << 5;
        QVERIFY(!saveConfig("b.json", b, productModels()));
        Config digits = a;
        digits.vyr.Digits[3] = 7;
        QVERIFY(!saveConfig("digits.json", digits, productModels()));
        Config equal = templateConfig(Model::Plix);
        equal.plix.setSensorFrom(1, 3000);
        equal.plix.setSensorTo(1, 3000);
        QVERIFY(!saveConfig("equal.plx", equal, productModels()));
        QVERIFY(test::writeFileContent("plix.vyx", equal.configuration().bytes));
        QVERIFY(test::writeFileContent("bad.json", "{\"format\": 1, \"model\": \"VYRANTA\"}"));
        QVERIFY(QDir().mkdir("folder.json"));
        QVERIFY(test::writeFileContent("one.plx", "x"));
        // JSON that the parser takes but that must not be taken: each from the exported file.
        const QString json = QString::fromUtf8(configToJson(a));
        const auto edited = [&](const QString& from, const QString& to, int nth = 0) {
            qsizetype at = -1;
            for (int i = 0; i <= nth; ++i)
                at = json.indexOf(from, at + 1);
            QString t = json;
            return t.replace(at, from.size(), to).toUtf8();
        };
        QVERIFY(test::writeFileContent(
            "twice.json", edited("\"pv_to\": 100.000,", "\"pv_to\": 100.000, \"pv_to\": 90.000,", 2)));
        QVERIFY(test::writeFileContent(
            "digits-beyond.json", edited("\"pv_to\": 100.000", "\"pv_to\": 100.0000000000000000001")));
        QVERIFY(test::writeFileContent(
            "huge.json", edited("\"sensor_to_mV\": 5000", "\"sensor_to_mV\": 99999999999999999999999999999")));
        QVERIFY(test::writeFileContent("null.json", edited("\"sensor_to_mV\": 5000", "\"sensor_to_mV\": null")));

        // A last argument ">FILE" is the shell's: standard output goes to FILE.
        QString stdoutFile;
        if (!args.isEmpty() && args.last().startsWith('>'))
            stdoutFile = args.takeLast().mid(1);
        const test::CliRun r = runCli(args, {}, 30000, stdoutFile);
        QCOMPARE(r.exitCode, exitCode);
        if (!out.isNull())
            QCOMPARE(r.out, out);
        QVERIFY2(r.err.contains(err), qPrintable(r.err));
        QVERIFY(!QFile::exists("out.vyx"));
        // Every message starts "tarnixw-cli: ", a usage error's too (its further lines indented,
        // or the hint to the help), and the help fits 100 columns and names only the command's
        // own exit codes.
        for (const QString& line : r.err.split('\n', Qt::SkipEmptyParts))
            QVERIFY2(line.startsWith("tarnixw-cli: ") || line.startsWith("  ") || line.startsWith("Try 'tarnixw-cli "),
                qPrintable(line));
        if (args.value(0) == "help") {
            for (const QString& line : r.out.split('\n'))
                QVERIFY2(line.size() <= 100, qPrintable(line));
            QVERIFY(r.out.contains("  6    file error") && !r.out.contains("  3    no response"));
            // Each option in its column, what it does in the next.
            QVERIFY2(r.out.contains("\n  -o, --output FILE   The file to write: .vyx or .plx (binary) or .json.\n"),
                qPrintable(r.out));
        }
    }

    // The JSON format's documentation shows exactly what the program writes.
    void documentedExamples()
    {
        const QString doc
            = QString::fromUtf8(test::fileContent(QStringLiteral(TARNIXW_SOURCE_DIR "/docs/json-format.md")));
        for (const Model m : {Model::Vyr, Model::Plix})
            QVERIFY2(doc.contains("```json\n" + templateJson(m) + "```\n"), qPrintable(test::describe(m).name()));
    }
};

QTEST_GUILESS_MAIN(TestCliFiles)
#include "test_cli_files.moc"
