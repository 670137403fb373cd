#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The words the user reads, in one place and without a widget: the forms' boxes, the port
// errors, Check COM, the checks of a box the user leaves, Write's and Save File's conversion,
// the configuration files, the main window and the line traffic. The command line shows the
// same words where it says the same thing.
//
// Each text is marked for translation in the context "Words"; the English written here is the
// source and is what the user reads while no translation is installed. A text's variable parts
// are its parameters, put in after the translation. Deciding which text applies stays with the
// caller, which knows the kind of outcome; nothing here matches or rewrites a text.
namespace tarnixw {

class Words {
    Q_DECLARE_TR_FUNCTIONS(Words)

public:
    // ---- The box after a device operation or a file (the forms; tarnixw-cli says the same)

    static QString readDone() { return tr("Read Done."); }
    static QString writeDone() { return tr("Write Done."); }
    static QString loadFileDone() { return tr("Load File Done."); }
    static QString saveFileDone() { return tr("Save File Done."); }
    static QString noResponse() { return tr("Device No Response !!"); }
    static QString responseError() { return tr("Response Error !!"); }
    // ID Search found the device at `id`
    static QString idFound(int id) { return tr("ID  =  %1").arg(id); }
    static QString idNotFound() { return tr("Can not Find Device ID !!"); }
    // the ModbusID box holds an integer outside 1..255
    static QString slaveIdOutOfRange() { return tr("Please input a Modbus ID between 1 and 255."); }
    // a value on the screen does not fit the device's field
    static QString outOfDeviceRange() { return tr("A value on the screen is out of the range the device can store."); }

    // ---- A port that did not open: the system box's captions and texts, then what the user can do

    static QString openErrorCaption() { return tr("Comm Error"); }
    static QString openError() { return tr("OPEN COM ERROR!!"); }
    static QString setupErrorCaption() { return tr("Set Error"); }
    static QString setupError() { return tr("COM SETUP ERROR!!!"); }
    // a device path named directly
    static QString portNotConnected(const QString& port) { return tr("%1 is not connected.").arg(port); }
    // a COM port
    static QString portNotConnectedTryCheckCom(const QString& port)
    {
        return tr("%1 is not connected. Use Check COM to find the cable's port.").arg(port);
    }
    static QString portInUseCloseIt(const QString& port)
    {
        return tr("%1 is in use by another program. Close that program and try again.").arg(port);
    }
    static QString portNotPermitted(const QString& port)
    {
        return tr("You may not use %1: add your user to the 'dialout' group "
                  "(sudo usermod -aG dialout $USER), then log out and in again.")
            .arg(port);
    }

    // What tarnixw-cli says after the forms' port errors: the cause, and what to do.
    static QString cliPortNotConnected(const QString& port)
    {
        return tr("%1 is not connected; see 'tarnixw-cli ports'.").arg(port);
    }
    static QString cliPortInUse(const QString& port)
    {
        return tr("%1 is in use by another program; close it and try again.").arg(port);
    }
    static QString cliLineSettingsRefused(const QString& port, const QString& detail)
    {
        return tr("%1 does not take the line settings (%2).").arg(port, detail);
    }
    static QString cliPortFailed(const QString& port, const QString& detail) { return tr("%1: %2.").arg(port, detail); }

    // Network ports: what is wrong with an address, and why a server could not be used.
    static QString netNotAnAddress(const QString& text)
    {
        return tr("%1 is no network address (socket://HOST:PORT, rfc2217://HOST:PORT or tcp://HOST[:PORT])").arg(text);
    }
    static QString netUnknownScheme(const QString& scheme)
    {
        return tr("%1:// is no kind of network port this program knows (socket, rfc2217 or tcp)").arg(scheme);
    }
    static QString netUnknownOption(const QString& key)
    {
        return tr("the address option %1 is unknown (window=MS is the only one)").arg(key);
    }
    static QString netBadWindow(const QString& value, int maxMs)
    {
        return tr("the answer window %1 is no number of milliseconds from 0 to %2").arg(value).arg(maxMs);
    }
    static QString netBadHost(const QString& text) { return tr("%1 names no host").arg(text); }
    static QString netNoPort(const QString& text) { return tr("%1 names no TCP port (HOST:PORT)").arg(text); }
    static QString netBadPort(const QString& text)
    {
        return tr("%1: a TCP port is a number from 1 to 65535").arg(text);
    }
    static QString netBracketIpv6(const QString& text)
    {
        return tr("%1: an IPv6 address is written in brackets, as in [::1]:5020").arg(text);
    }
    static QString netHostUnknown(const QString& host, const QString& why)
    {
        return tr("the host %1 is unknown (%2)").arg(host, why);
    }
    static QString netRefused() { return tr("the connection was refused: nothing listens at that port"); }
    static QString netNoAnswer(int seconds)
    {
        return tr("nothing answered the connection within %1 s (a host that is off, or a firewall)").arg(seconds);
    }
    static QString netConnectFailed(const QString& why) { return tr("the connection failed (%1)").arg(why); }
    static QString netConnectInterrupted() { return tr("the connection was interrupted"); }
    static QString netClosedAtOnce()
    {
        return tr("the server closed the connection at once (it may serve one client at a time, and have one)");
    }
    static QString netNoSerialSettings() { return tr("the server does not offer RFC 2217's serial settings"); }
    static QString netBaudRefused(int asked, int got)
    {
        return tr("the server set %1 baud where %2 was asked").arg(got).arg(asked);
    }
    static QString netFrameRefused() { return tr("the server did not take 8 data bits, no parity, one stop bit"); }
    static QString netSettingsUnconfirmed(int seconds)
    {
        return tr("the server did not confirm the line settings within %1 s").arg(seconds);
    }
    static QString verdictGatewaySilent(int code, const QString& name)
    {
        return tr("gateway exception %1 (%2): the device behind it did not answer").arg(code).arg(name);
    }
    static QString verdictDisconnected() { return tr("nothing: the server closed the connection"); }
    static QString cliConnectionClosed() { return tr("The server closed the connection."); }
    static QString answerWindow(int ms) { return tr("answer window %1 ms").arg(ms); }
    static QString netPortsLine(int line, const QString& why) { return tr("line %1: %2").arg(line).arg(why); }
    static QString netPortsNoAddress(const QString& name) { return tr("%1 has no address").arg(name); }
    static QString netPortsNameTwice(const QString& name) { return tr("%1 is named before").arg(name); }
    static QString netPortsUnreadable(const QString& path, const QString& why)
    {
        return tr("%1 cannot be read (%2)").arg(path, why);
    }

    // The link's own reasons for a port that did not open or did not take its settings.
    static QString portHeldByAnotherProgram() { return tr("the port is in use by another program"); }
    static QString portHeldByAnotherTarnixw() { return tr("the port is in use by another Tarnixw program"); }
    static QString lineSettingsRefused() { return tr("the port does not take these line settings"); }
    static QString timeoutsRefused(const QString& systemReason)
    {
        return tr("the port does not take its timeouts: %1").arg(systemReason);
    }
    // a system error code without a text of its own
    static QString systemError(unsigned long code) { return tr("system error %1").arg(code); }

    // What tarnixw-cli says after "Device No Response !!", "Response Error !!" and "Can not Find
    // Device ID !!": what came back, and what to do.
    static QString cliAnsweredWith(const QString& verdict)
    {
        return tr("The device answered with %1; is it the model named, at this slave ID? --trace shows every frame.")
            .arg(verdict);
    }
    static QString cliNothingCameBack() { return tr("Nothing came back."); }
    static QString cliFellSilent() { return tr("The device answered, then fell silent."); }
    static QString cliLastAnswerWas(const QString& verdict) { return tr("The last answer was %1.").arg(verdict); }
    static QString cliNextSteps()
    {
        return tr(
            "Check the slave ID ('tarnixw-cli search'), the baud rate and the wiring; --trace shows every frame.");
    }
    static QString cliNoIdAnswered()
    {
        return tr("No device answered at IDs 1 to 255. Check the baud rate and the wiring; --trace shows every frame.");
    }

    // ---- Check COM: the two prompts, then what the port list said

    static QString unplugPrompt()
    {
        return tr("Please unplug the USB COM port cable if connected. \n\n"
                  "                       Then press OK button.");
    }
    static QString plugPrompt() { return tr("Please plug the Ostrell USB COM port cable, then press OK button."); }
    static QString comPortSet(int number) { return tr("COM Port is set to COM%1").arg(number); }
    // the system's list of serial ports cannot be read
    static QString portListMissing() { return tr("Registry -> HARDWAREDEVICEMAPSERIALCOMM Not Found !"); }
    static QString noComPortToSelect() { return tr("You have no COM Port to select."); }
    // the line after noComPortToSelect() when no port is the cable's
    static QString makeSureCableConnected()
    {
        return tr("Please make sure the Ostrell USB COM port cable is connected.");
    }

    // ---- Leaving a parameter box

    // The toolkit's conversion errors, for a text that is read without a check first.
    static QString notAnInteger(const QString& text) { return tr("'%1' is not a valid integer value").arg(text); }
    static QString notANumber(const QString& text) { return tr("'%1' is not a valid floating point value").arg(text); }

    // A box whose text is no number of its kind.
    static QString inputAnInteger() { return tr("please input an integer number."); }
    static QString inputANumber() { return tr("please input a floating point number."); }

    // A box whose value is outside its kind's range.
    static QString sensorRange() { return tr("Please input an integer number between -10000 and 10000."); }
    // the PLIXARO's to boxes have always shown it so
    static QString sensorRangeNoFullStop() { return tr("Please input an integer number between -10000 and 10000"); }
    static QString pvRange() { return tr("Please input a floating point number between -999 and 9999."); }
    static QString silenceRange() { return tr("Please input an integer number between -32767 and 32767."); }
    static QString digitsRange() { return tr("Please input an integer number between 0 and 3."); }
    static QString hysteresisRange() { return tr("Please input a floating point number between 0.0 and 5.0."); }

    // A sensor from box above its to box, and a to box below its from box; `caption` is the
    // caption of the partner box.
    static QString mustBeLessThan(const QString& caption) { return tr("Value must less than '%1'.").arg(caption); }
    static QString mustBeLargerThan(const QString& caption) { return tr("Value must larger than '%1'.").arg(caption); }

    // The captions of the sensor range boxes, as the two models' messages name them.
    static QString vyrSensorFromCaption() { return tr("From"); }
    static QString vyrSensorToCaption() { return tr("To"); }
    static QString plixSensorFromCaption() { return tr("From(mV):"); }
    static QString plixSensorToCaption() { return tr("To(mV):"); }

    // ---- Write and Save File: a box the device cannot take, named as the user sees it

    // A text about one thing, after that thing's name ("CH0 P.V. To: ...", "COM3: ...").
    static QString labelled(const QString& label, const QString& text) { return tr("%1: %2").arg(label, text); }

    // An analog channel ("CH3"), a box of one ("CH3 Alarm High") and a DI silence box.
    static QString channelName(int channel) { return tr("CH%1").arg(channel); }
    static QString channelBox(int channel, const QString& column)
    {
        return channelName(channel) + QLatin1Char(' ') + column;
    }
    static QString diSilenceBox(int module, int channel)
    {
        return tr("DI Module %1 CH%2 Silence").arg(module).arg(channel);
    }

    // The VYRANTA's analog columns.
    static QString signalRangeFrom() { return tr("Signal Range From"); }
    static QString signalRangeTo() { return tr("Signal Range To"); }
    static QString physicalValueFrom() { return tr("Physical Value From"); }
    static QString physicalValueTo() { return tr("Physical Value To"); }
    static QString alarmLow() { return tr("Alarm Low"); }
    static QString alarmHigh() { return tr("Alarm High"); }
    static QString digits() { return tr("Digits"); }
    static QString silence() { return tr("Silence"); }
    static QString hysteresisPercent() { return tr("Hysteresis%"); }

    // The PLIXARO's parameters.
    static QString sensorFrom() { return tr("Sensor From"); }
    static QString sensorTo() { return tr("Sensor To"); }
    static QString pvFrom() { return tr("P.V. From"); }
    static QString pvTo() { return tr("P.V. To"); }
    static QString lowAlarm() { return tr("Low Alarm"); }
    static QString highAlarm() { return tr("High Alarm"); }
    static QString silenceTime() { return tr("Silence Time"); }
    static QString decimalDigits() { return tr("Decimal Digits"); }
    static QString hysteresis() { return tr("Hysteresis"); }

    // A number typed in a box that does not fit the device's field.
    static QString valueOutOfDeviceRange(const QString& text)
    {
        return tr("'%1' is out of the range the device can store.").arg(text);
    }

    // A channel whose scaling cannot be computed or stored: the VYRANTA's gain and offset, the
    // channel named as its caller names it (channelName() on the form).
    static QString vyrEqualSignalRange(const QString& channel, const QString& mV)
    {
        return tr("%1: Signal Range From and To are both %2 mV, so the channel's scaling cannot be computed.")
            .arg(channel, mV);
    }
    // part: scalingGain() or scalingOffset()
    static QString vyrScalingOutOfRange(const QString& channel, const QString& part)
    {
        return tr("%1: the scaling %2 computed from Signal Range and Physical Value is out of the range the device can "
                  "store.")
            .arg(channel, part);
    }
    static QString scalingGain() { return tr("gain"); }
    static QString scalingOffset() { return tr("offset"); }

    // The same for the PLIXARO's slope and offset.
    static QString plixEqualSensorRange(int channel, const QString& mV);
    static QString plixSlopeOutOfRange(int channel);
    static QString plixOffsetOutOfRange(int channel)
    {
        return tr("CH%1: the sensor and P.V. ranges give an offset the device cannot store.").arg(channel);
    }

    // ---- Configuration files (Open File, Save File, tarnixw-cli)

    static QString cannotOpenFile() { return tr("Can not open file !!"); }
    static QString wrongFileSize(qint64 actualSize, const QString& modelName, qint64 expectedSize);
    static QString fileNotWrittenCompletely(const QString& reason);
    static QString fileNotOnDisk(const QString& reason);
    static QString fileNotSaved(const QString& reason);
    // the reason of a write the system cut short without one
    static QString diskTookPart() { return tr("the disk took only part of the bytes"); }

    // ---- The models and the main window

    static QString vyrModelName() { return tr("VYRANTA"); }
    static QString plixModelName() { return tr("PLIXARO"); }
    // A Read's memory too short to show (what the command line saves after a Read).
    static QString deviceImageIncomplete() { return tr("The device image is incomplete."); }
    // What a file holds that the form would never write.
    static QString vyrBothRelayModes(int module, int channel)
    {
        return tr("DI module %1, channel %2: relay Close and Open are both on; the form shows Close alone and never "
                  "writes both")
            .arg(module)
            .arg(channel);
    }
    static QString plixUnusedMaskBits(unsigned bits)
    {
        return tr("enable mask bits 2..15: %1, which the form never writes").arg(bits);
    }
    static QString mainWindowTitle() { return tr("TarnixW2011"); }

    // ---- The line traffic (its window, tarnixw-cli --trace)

    // The standard names of the Modbus exception codes.
    static QString illegalFunction() { return tr("Illegal Function"); }
    static QString illegalDataAddress() { return tr("Illegal Data Address"); }
    static QString illegalDataValue() { return tr("Illegal Data Value"); }
    static QString serverDeviceFailure() { return tr("Server Device Failure"); }
    static QString acknowledge() { return tr("Acknowledge"); }
    static QString serverDeviceBusy() { return tr("Server Device Busy"); }
    static QString memoryParityError() { return tr("Memory Parity Error"); }
    static QString gatewayPathUnavailable() { return tr("Gateway Path Unavailable"); }
    static QString gatewayTargetFailed() { return tr("Gateway Target Device Failed to Respond"); }
    static QString unknownException() { return tr("unknown exception"); }

    // What came back for a request.
    static QString verdictAnswer() { return tr("answer"); }
    static QString verdictSilence() { return tr("silence (nothing within the window)"); }
    static QString verdictDamaged() { return tr("damaged frame (bad CRC)"); }
    static QString verdictIncomplete(int received, int expected)
    {
        return tr("incomplete frame (%1 of %2 bytes)").arg(received).arg(expected);
    }
    static QString verdictWrongLength(int received, int expected)
    {
        return tr("frame of the wrong length (%1 bytes, %2 expected)").arg(received).arg(expected);
    }
    static QString verdictOverrun(int received)
    {
        return tr("damaged frame (%1 bytes, more than the buffer holds)").arg(received);
    }
    static QString verdictOtherSlave(int slave) { return tr("answer from slave %1").arg(slave); }
    static QString verdictException(int code, const QString& name)
    {
        return tr("exception %1 (%2)").arg(code).arg(name);
    }
    static QString verdictOtherFunction(int function) { return tr("answer with function %1").arg(function); }
    static QString verdictMismatch() { return tr("answer that does not fit the request"); }

    // What a request asks.
    // bytes that are no request the link knows
    static QString requestFrame() { return tr("frame"); }
    static QString requestRead(const QString& registers, int address)
    {
        return tr("read %1 from byte %2").arg(registers).arg(address);
    }
    static QString requestWrite(const QString& registers, int address)
    {
        return tr("write %1 at %2").arg(registers).arg(address);
    }
    static QString requestIdProbe() { return tr("ID probe"); }
    static QString requestFunction(int function) { return tr("function %1").arg(function); }
    static QString oneRegister() { return tr("1 register"); }
    // two or more (or none)
    static QString registers(int count) { return tr("%1 registers").arg(count); }

    // The parts of a traffic line and of an operation's line.
    static QString nothingReceived() { return tr("(nothing)"); }
    static QString baud(int rate) { return tr("%1 baud").arg(rate); }
    static QString slave(int id) { return tr("slave %1").arg(id); }

    // The traffic window.
    static QString trafficTitle() { return tr("Line traffic"); }
    static QString clearButton() { return tr("Clear"); }
    static QString copyButton() { return tr("Copy"); }
    static QString saveButton() { return tr("Save"); }
    static QString trafficDropped(int capacity, long long dropped);
    static QString trafficEmpty() { return tr("The frames of ID Search, Read and Write appear here as they happen."); }
    static QString trafficSavedTo(const QString& path) { return tr("Saved to %1").arg(path); }
    static QString trafficFileFilter() { return tr("Text files|*.txt|All Files|*.*"); }

    // ---- tarnixw-cli: its messages

    // Joining the last two of a list: "vyr or plix", "VYRANTA and PLIXARO".
    static QString cliOr() { return tr(" or "); }
    static QString cliAnd() { return tr(" and "); }

    // A command line it cannot run, then the help that tells more.
    static QString cliTryHelp(const QString& command) { return tr("Try 'tarnixw-cli %1 --help'.").arg(command); }
    static QString cliTryProgramHelp() { return tr("Try 'tarnixw-cli --help'."); }
    static QString cliCommandMissing() { return tr("a command is missing"); }
    static QString cliNotACommand(const QString& name) { return tr("'%1' is not a command").arg(name); }
    static QString cliModelMustBe(const QString& keys) { return tr("--model must be %1").arg(keys); }
    static QString cliPortMissing() { return tr("--port is missing"); }
    static QString cliNoPort(const QString& text)
    {
        return tr("--port %1 is no COM name (COM3), port name, device path or network address; see 'tarnixw-cli ports'")
            .arg(text);
    }
    static QString cliNoBaud(const QString& text)
    {
        return tr("--baud %1 is not 9600, 19200, 38400 or 115200").arg(text);
    }
    static QString cliIdMissing() { return tr("--id is missing"); }
    static QString cliIdOutOfRange(const QString& text)
    {
        return tr("--id %1 is no slave ID: give one between 1 and 255").arg(text);
    }
    static QString cliIdNoNumber(const QString& text)
    {
        return tr("--id %1 is no slave ID: give a whole number between 1 and 255").arg(text);
    }
    static QString cliOutputMissing() { return tr("-o FILE is missing"); }
    static QString cliTakesNoArguments(const QString& command) { return tr("%1 takes no arguments").arg(command); }
    static QString cliTakesOnlyOutput(const QString& command)
    {
        return tr("%1 takes no arguments; the file is given with -o").arg(command);
    }
    static QString cliTakesOneFile(const QString& name) { return tr("%1 takes one configuration file").arg(name); }
    static QString cliConvertTakesTwo() { return tr("convert takes the file to read and the file to write"); }
    static QString cliDiffTakesTwo() { return tr("diff takes two configuration files"); }
    static QString cliDiffWithPortTakesOne() { return tr("diff with --port takes one configuration file"); }
    static QString cliFilesEndIn(const QString& kinds) { return tr("configuration files end in %1").arg(kinds); }

    // The ports: the list's columns and what a port is.
    static QStringList cliPortsColumns() { return {tr("port"), tr("name"), tr("device"), tr("what")}; }
    static QString cliPortListUnreadable() { return tr("The system's list of serial ports cannot be read."); }
    static QString cliNoSerialPort() { return tr("No serial port is connected."); }
    static QString cliUsbAdapter() { return tr("USB adapter"); }
    static QString cliWithSerial(const QString& what, const QString& serial)
    {
        return tr("%1, serial %2").arg(what, serial);
    }
    static QString cliUart() { return tr("UART"); }
    static QString cliVirtualPort(const QString& link) { return tr("virtual port %1").arg(link); }
    static QString cliNetworkPort() { return tr("network port"); }
    // A COM number named on the command line, and the port it is this run.
    static QString cliComPortIs(const QString& port, const QString& path) { return tr("%1 is %2.").arg(port, path); }
    static QString cliComPortIsNamed(const QString& port, const QString& name, const QString& path)
    {
        return tr("%1 is the port named %2 (%3).").arg(port, name, path);
    }

    // A device operation: how the line traffic names it, the bar's word, how it ended.
    static QString readOperation() { return tr("Read"); }
    static QString writeOperation() { return tr("Write"); }
    static QString idSearch() { return tr("ID Search"); }
    static QString cliReading() { return tr("Reading"); }
    static QString cliWriting() { return tr("Writing"); }
    static QString cliSearching() { return tr("Searching..."); }
    static QString cliScanning(int baud) { return tr("Scanning at %1 baud").arg(baud); }
    static QString cliScanOperation() { return tr("Scan"); }
    static QString searchingId(int id) { return tr("Searching... ID: %1").arg(id); }
    static QString cliInterrupted() { return tr("Interrupted."); }
    static QString cliOperationDone() { return tr("done", "an operation's line in the traffic"); }

    // What came back, with its article: "an answer from slave 5", "a damaged frame (bad CRC)".
    static QString cliAVerdict(const QString& verdict)
    {
        return (QStringLiteral("aeiou").contains(verdict.left(1)) ? tr("an %1") : tr("a %1")).arg(verdict);
    }

    // Read, Write and their checks.
    static QString cliOtherModel(const QString& model, const QString& names, const QString& keys)
    {
        return tr("these are not a %1's values as a Write leaves them: is the device a %2? (--model %3 reads it)")
            .arg(model, names, keys);
    }
    static QString cliNothingSaved() { return tr("Nothing was saved."); }
    static QString cliEmptyRangeNotWritten()
    {
        return tr("Nothing was written: the device scales each channel by its sensor range, and an empty range gives "
                  "no scaling (--force cannot help).");
    }
    static QString cliNotWritten(const QString& file, const QString& error)
    {
        return tr("%1: %2 Nothing was written.").arg(file, error);
    }
    static QString cliOutsideChecks(qsizetype count);
    static QString cliVerifyReadFailed() { return tr("Everything was written; the read that verifies it failed."); }
    static QString cliVerified() { return tr("Verified: the device holds every value written."); }
    static QString cliVerifyDiffers(qsizetype count);
    // Bytes a Write sends that no value holds, read back otherwise.
    static QString cliDeviceBytes(int first, int last, const QString& sent, const QString& back)
    {
        return tr("device bytes %1..%2: %3 → %4").arg(first).arg(last).arg(sent, back);
    }
    // A diff's line for configurations of two models.
    static QString cliModelLabel() { return tr("model"); }

    // What a write that stopped left on the device.
    static QString cliNothingWritten() { return tr("Nothing was written: the device holds what it held before."); }
    static QString cliEverythingWritten() { return tr("Everything was written."); }
    // "AI 3 is written", "the DI modules are written in part"
    static QString cliWritten(const QString& groups, bool several, bool inPart);
    static QString cliRestIsNot() { return tr("the rest is not"); }
    static QString cliPartWritten(const QString& pieces)
    {
        return tr("The device holds part of the file: %1.").arg(pieces);
    }
    static QString cliWriteEnableMayBeOpen()
    {
        return tr("The device's write-enable may still be open: write the file again, or power the device off and on.");
    }

    // The files: why one cannot be read or saved.
    static QString cliItIsAFolder() { return tr("it is a folder"); }
    static QString cliNoSuchFolder(const QString& folder) { return tr("no such folder: %1").arg(folder); }
    static QString cliNotAFolder(const QString& folder) { return tr("%1 is not a folder").arg(folder); }
    static QString cliPermissionDenied() { return tr("permission denied"); }
    static QString cliNoSuchFile() { return tr("no such file or directory"); }
    static QString cliCannotBeRead() { return tr("it cannot be read"); }
    static QString cliKindsOfModel(const QString& model, const QString& extension)
    {
        return tr("a %1 configuration is saved as .%2 or .json").arg(model, extension);
    }
    static QString cliKindNotTold(const QString& kinds)
    {
        return tr("the name does not tell the kind of file; configuration files end in %1").arg(kinds);
    }
    static QString cliTooLarge() { return tr("too large for a configuration file"); }
    // errors: one a line, each line indented
    static QString cliNotAConfiguration(const QString& errors)
    {
        return tr("not a valid configuration:\n  %1").arg(errors);
    }
    static QString cliStdoutFailed(const QString& why) { return tr("cannot write to standard output: %1").arg(why); }
    static QString cliWriteError() { return tr("write error"); }
    static QString cliWarning(const QString& text) { return tr("warning: %1").arg(text); }

    // The JSON format's errors, each after the JSON path of the value; `found` is the kind and
    // the value written ("a text \"5\"", "null").
    static QString cliJsonNumber() { return tr("a number"); }
    static QString cliJsonText() { return tr("a text"); }
    static QString cliJsonList() { return tr("a list"); }
    static QString cliJsonObject() { return tr("an object"); }
    static QString cliJsonTrueFalse() { return tr("true/false"); }
    static QString cliJsonNothing() { return tr("nothing"); }
    static QString cliExpectedObject(const QString& found) { return tr("expected an object, found %1").arg(found); }
    static QString cliUnknownKey(const QString& key) { return tr("unknown key %1").arg(key); }
    static QString cliMissingKey(const QString& key) { return tr("missing key %1").arg(key); }
    static QString cliExpectedList(qsizetype entries, const QString& found)
    {
        return tr("expected a list of %1 entries, found %2").arg(entries).arg(found);
    }
    static QString cliExpectedEntries(qsizetype expected, qsizetype found)
    {
        return tr("expected %1 entries, found %2").arg(expected).arg(found);
    }
    static QString cliExpectedInteger(const QString& found) { return tr("expected an integer, found %1").arg(found); }
    static QString cliNotAnInteger(const QString& value) { return tr("%1 is not an integer").arg(value); }
    static QString cliDoesNotFit(const QString& value, const QString& lowest, const QString& highest)
    {
        return tr("%1 does not fit the device field (%2..%3)").arg(value, lowest, highest);
    }
    static QString cliMustBePlace(const QString& value, qint64 place)
    {
        return tr("%1 must be %2, the entry's place in its list").arg(value, QString::number(place));
    }
    static QString cliExpectedFlag(const QString& found) { return tr("expected true or false, found %1").arg(found); }
    static QString cliExpectedNumber(const QString& found) { return tr("expected a number, found %1").arg(found); }
    static QString cliTooManyDecimals(const QString& value, int decimals);
    static QString cliExpectedNumbers(int highest, const QString& found)
    {
        return tr("expected a list of numbers 0..%1, found %2").arg(highest).arg(found);
    }
    static QString cliListedTwice(qint64 item) { return tr("%1 is listed twice").arg(item); }
    static QString cliLineColumn(int line, int column) { return tr("line %1, column %2").arg(line).arg(column); }
    static QString cliNotJson(const QString& error) { return tr("not JSON: %1").arg(error); }
    static QString cliExpectedDocument(int format)
    {
        return tr("expected an object {\"format\": %1, \"model\": ...}").arg(format);
    }
    static QString cliUnknownFormat(const QString& value, int format)
    {
        return tr("%1 is not a format this program reads (%2)").arg(value, QString::number(format));
    }
    static QString cliIsNot(const QString& value, const QString& choices)
    {
        return tr("%1 is not %2").arg(value, choices);
    }
    static QString cliKeyTwice() { return tr("the key is given twice"); }
    static QString cliAndMore(qsizetype more) { return tr("... and %1 more").arg(more); }

    // ---- tarnixw-cli: its help

    // The options' descriptions; the models' choices are put in by the caller.
    static QString cliPortOption()
    {
        return tr("The port: its name in 'tarnixw-cli ports' (it stays the port's), COM3 as the forms number it "
                  "(this run only), a device path, or a network address (socket://HOST:PORT, rfc2217://HOST:PORT, "
                  "tcp://HOST[:PORT]).");
    }
    static QString cliBaudOption() { return tr("Line rate: 9600, 19200 (default), 38400 or 115200."); }
    static QString cliIdOption() { return tr("The device's Modbus slave ID, 1..255."); }
    static QString cliOutputOption(const QString& binaries)
    {
        return tr("The file to write: %1 (binary) or .json.").arg(binaries);
    }
    static QString cliFastOption()
    {
        return tr("End each read or probe as soon as its complete answer is in, instead of after the forms' fixed "
                  "wait.");
    }
    static QString cliVerifyOption()
    {
        return tr("Read the device back afterwards and list every value that differs from what was written.");
    }
    static QString cliForceOption() { return tr("Write also values that the forms' field checks would refuse."); }
    static QString cliTraceOption()
    {
        return tr("Print every frame on the line to standard error, as the forms' line traffic shows it.");
    }
    static QString cliQuietOption() { return tr("No message when all went well (errors are still told)."); }
    static QString cliHelpOption() { return tr("Shows this help."); }

    // A command's help: its headings, and after the options of a device command where its
    // messages go.
    static QString cliUsage(const QString& command, const QString& synopsis)
    {
        return tr("Usage: tarnixw-cli %1 %2").arg(command, synopsis);
    }
    static QString cliArgumentsHeading() { return tr("Arguments:"); }
    static QString cliOptionsHeading() { return tr("Options:"); }
    static QString cliExitStatusHeading() { return tr("Exit status:"); }
    static QString cliDeviceCommandNote()
    {
        return tr("Messages and the progress bar (on a terminal) go to standard error. Ctrl+C stops the\n"
                  "operation at its next step and closes the port.");
    }

    // What each exit status says.
    static QString cliExitDone() { return tr("done"); }
    static QString cliExitDifferences() { return tr("differences (diff, write --verify)"); }
    static QString cliExitUsage() { return tr("usage error"); }
    static QString cliExitNoResponse() { return tr("no response from the device, or no device ID found"); }
    static QString cliExitResponseError() { return tr("response error (the device answered, but not as expected)"); }
    static QString cliExitPortError() { return tr("port error (the port cannot be opened or set up)"); }
    static QString cliExitFileError() { return tr("file error (cannot be read or written, or no configuration file)"); }
    static QString cliExitInvalid() { return tr("invalid configuration (nothing was written or saved)"); }
    static QString cliExitInterrupted() { return tr("interrupted by Ctrl+C (the port is closed)"); }

    // The program's help, before and after its list of commands: the models' names (%1) and
    // binary extensions (%2), then the extensions each with its model.
    static QString cliProgramHelpHead(const QString& names, const QString& binaries)
    {
        return tr("Usage: tarnixw-cli COMMAND [OPTIONS] [FILES]\n\n"
                  "Configures %1 devices over a serial port as a Modbus RTU master, with the same\n"
                  "requests, timing and checks as the Tarnixw forms, and shows, converts and compares their\n"
                  "configuration files: the binary %2 files and a readable JSON format.\n\n"
                  "Commands:\n")
            .arg(names, binaries);
    }
    static QString cliProgramHelpTail(const QString& files)
    {
        return tr("'tarnixw-cli help COMMAND' or 'tarnixw-cli COMMAND --help' shows a command's options.\n\n"
                  "Ports:\n"
                  "  A port is named as the forms name it, COM3 (see 'tarnixw-cli ports'), by its name in that list, "
                  "or by\n"
                  "  its device path (/dev/ttyUSB0, /dev/serial/by-id/...). COM numbers hold for one run only; a\n"
                  "  script names a port by its name, which stays the port's.\n"
                  "  A device behind a network server is reached by its address: socket://HOST:PORT (RTU frames over\n"
                  "  TCP), rfc2217://HOST:PORT (the same, the baud rate set on the server) or tcp://HOST[:PORT]\n"
                  "  (Modbus TCP to a gateway, port 502 by default); ?window=MS makes every wait for an answer at\n"
                  "  least MS ms. The network ports named in %2 are listed too.\n\n"
                  "Files:\n"
                  "  %1 are the forms' binary configuration files; .json files hold\n"
                  "  the same values in the JSON format, model named in the file.\n\n"
                  "Options:\n"
                  "  -h, --help     Shows this help.\n"
                  "  -v, --version  Shows the version.\n")
            .arg(files, networkPortsPlaces());
    }
    // Where the network ports file is looked for, as the help and the README say it.
    static QString networkPortsPlaces()
    {
        return tr("~/.config/tarnixw/network-ports.txt (Linux) or %APPDATA%\\Tarnixw\\network-ports.txt (Windows)");
    }

    // A command's help: the rest of its usage line after its name (the option names and the
    // names in capitals are the program's syntax), its line in the program's help, its
    // description, and what each of its arguments is, in the order of the usage line. In the
    // texts the program puts {keys} (the models' keys: vyr|plix), {binaries} (their files'
    // extensions) and {idNotFound} (the ID search's box).
    struct CommandHelp {
        QString synopsis;
        QString summary;
        QString description;
        QStringList arguments;
    };
    static CommandHelp cliPortsHelp()
    {
        return {{}, tr("list the serial and network ports, numbered as the forms number them"),
            tr("Lists the serial ports as COM numbers, in the order and with the numbers the forms give them, with\n"
               "each port's name, device path and what it is: a USB adapter (vendor and product ID, maker, product\n"
               "and serial number where the adapter tells them), a UART, or a virtual port and its link. The COM\n"
               "numbers hold for one run only: a script names a port by its name, which stays the port's. The\n"
               "network ports of the user's file follow, each with its name and address (a line of the file that\n"
               "names no port is told on standard error)."),
            {}};
    }
    static CommandHelp cliSearchHelp()
    {
        return {tr("--port P [--baud B] [--fast] [--trace] [--quiet]"),
            tr("find the slave ID of the device on a port (probes 1..255)"),
            tr("Probes slave IDs 1 to 255 as the forms' ID Search does and prints the first ID that answers.\n"
               "Without an answer it ends with \"{idNotFound}\" (exit 3) after about a minute."),
            {}};
    }
    static CommandHelp cliReadHelp()
    {
        return {tr("--model {keys} --port P --id N [--baud B] [--fast] [--trace] [--quiet] -o FILE"),
            tr("read a device's configuration"),
            tr("Reads the device's whole configuration with the forms' Read and saves it as FILE: the binary image\n"
               "that the form's Save File writes after that Read ({binaries}), or the same as JSON (.json; -o -\n"
               "writes the JSON to standard output). Nothing is saved unless every block arrived, nor when the\n"
               "form's Save File would refuse what arrived (exit 7). Each value the forms' field checks would\n"
               "refuse is named as a warning."),
            {}};
    }
    static CommandHelp cliWriteHelp()
    {
        return {tr("--port P --id N [--baud B] [--verify] [--force] [--trace] [--quiet] FILE"),
            tr("write a configuration file to a device"),
            tr("Writes FILE ({binaries} or .json; the model comes from the file) to the device with the forms'\n"
               "Write: the same requests and timing, every value exactly as the file holds it, the scaling of each\n"
               "channel computed as the form computes it. The file is read and checked whole first: nothing is sent\n"
               "when it is not valid, when a channel's sensor range is empty, or when a value lies outside the\n"
               "forms' field checks (unless --force is given). A write that stops part way says what the device\n"
               "holds now."),
            {tr("The configuration to write.")}};
    }
    static CommandHelp cliShowHelp()
    {
        return {tr("FILE"), tr("show a configuration as tables"),
            tr("Shows the configuration in FILE as aligned tables, in the units and number formats of the forms.\n"
               "Values the forms' field checks would refuse are named as warnings on standard error."),
            {tr("A {binaries} or .json configuration.")}};
    }
    static CommandHelp cliConvertHelp()
    {
        return {tr("IN OUT"), tr("convert a configuration between binary and JSON"),
            tr("Converts IN to OUT, binary ({binaries}) or JSON (.json) as their names say. Binary to JSON and\n"
               "back gives the same bytes, including bytes no form shows."),
            {tr("The configuration to read."), tr("The file to write.")}};
    }
    static CommandHelp cliDiffHelp()
    {
        return {tr("A B | --model {keys} --port P --id N [--baud B] [--fast] [--trace] FILE"),
            tr("list the values that differ between two configurations"),
            tr("Lists every value that differs from A to B, by name and in units, one line each; A and B may be\n"
               "binary or JSON. With --port, A is what the device holds (read as read reads it) and B the FILE.\n"
               "Exit status 0 when they hold the same values, 1 when not."),
            {tr("A configuration file."), tr("Another one.")}};
    }
    static CommandHelp cliScanHelp()
    {
        return {tr("--port P [--baud B|all] [--ids FIRST-LAST] [--fast] [--json] [--trace] [--quiet]"),
            tr("list every device on a bus (probes each ID at each rate asked)"),
            tr("Probes every slave ID of the range (default 1-255) at the rate given, or with --baud all at 9600,\n"
               "19200, 38400 and 115200, and lists each device that answers: its ID, the rate and the model its\n"
               "answer names (\"unknown\" for another device). It flags an ID that answered at two rates, an ID\n"
               "whose answers come damaged (two devices at one ID, when the other answers are clean) and a bus\n"
               "where nothing answered. Without --fast each ID gets the forms' 240 ms; with --fast a silent ID\n"
               "gets 45 ms, and an answer that comes later (up to 100 ms after its probe) is still counted for\n"
               "its ID, read while the next IDs are probed. --json prints the list as JSON."),
            {}};
    }
    static QString cliIdsOption()
    {
        return tr("The slave IDs to probe: N or FIRST-LAST within 1..255 (default 1-255).");
    }
    static QString cliJsonOption() { return tr("Print JSON instead of the table."); }
    static QString cliNoIds(const QString& text)
    {
        return tr("--ids %1: give an ID or FIRST-LAST, within 1..255.").arg(text);
    }
    static QString cliUnknownModel() { return tr("unknown"); }
    static QString cliAlsoAnsweredAt(const QString& rates) { return tr("answered at %1 baud").arg(rates); }
    static QString cliRefusedProbe() { return tr("refused the ID probe"); }
    static QString cliTwoAtOneId() { return tr("its answers come damaged: two devices at this ID?"); }
    static QString cliOnlyDamaged() { return tr("only damaged answers: a device at another rate, or noise?"); }
    static QString cliScanNoise(int baud)
    {
        return tr("At %1 baud bytes came that no device can be told from: a device at another rate, or noise.")
            .arg(baud);
    }
    static QString cliScanNothing(const QString& rates, int first, int last)
    {
        return tr("No device answered at %1 baud (IDs %2 to %3). Check that the devices have power, that the bus's A "
                  "and B wires are not swapped and that the bus is terminated, the port, and the devices' rate.")
            .arg(rates)
            .arg(first)
            .arg(last);
    }
    static QString cliScanFound(int devices) { return tr("%n device(s) answered.", nullptr, devices); }
    static QString cliScanHeadings() { return tr("ID|baud|model|note"); }

    static CommandHelp cliSiteHelp()
    {
        return {tr("SITE [--record DIR] [--dry-run] [--resume] [--fast] [--trace]"),
            tr("commission every device of a site file: backup, write, read back, record"),
            tr("Takes each device of the site file in turn on its port (devices on different ports at the same\n"
               "time): reads what it holds into a backup file, writes its configuration file, reads it back and\n"
               "compares, and adds the result to the record in DIR (default: the site file's name with -record,\n"
               "beside it), written after every device as record.json, record.csv and record.html (a page to\n"
               "print). A device that fails does not stop the others; its entry says what it holds now. A\n"
               "configuration the forms' checks refuse is not written. 'tarnixw-cli write BACKUP' puts a device\n"
               "back; a backup already in DIR is kept. --dry-run only reads each device and records what would\n"
               "change; --resume continues the record, skipping the devices that are done. Ctrl+C stops every\n"
               "port at its next step; the record says which devices are done, which were stopped and which\n"
               "were not begun. 'tarnixw-cli template --site -o FILE' writes a site file to start from; its\n"
               "keys: \"site\" (a name) and \"devices\", each with \"name\", \"port\", \"baud\" (default 19200),\n"
               "\"id\" (1..255 or \"search\"), \"model\" and \"file\" (beside the site file or a path)."),
            {tr("The site file (JSON).")}};
    }
    static QString cliRecordOption() { return tr("The folder for the site's record and backups."); }
    static QString cliDryRunOption() { return tr("Only read each device and record what would change."); }
    static QString cliResumeOption() { return tr("Continue the record: skip the devices that are done."); }
    static QString cliSiteOption() { return tr("Write a site file to start from instead of a configuration."); }
    static QString cliSiteNotJson(const QString& error) { return tr("not a site file (%1)").arg(error); }
    static QString cliSiteNoDevices() { return tr("it lists no devices (\"devices\": [...])"); }
    static QString cliSiteDevice(int index, const QString& what) { return tr("device %1: %2").arg(index).arg(what); }
    static QString cliSiteMissing(const QString& key) { return tr("\"%1\" is missing").arg(key); }
    static QString cliSiteBadModel(const QString& text, const QString& keys)
    {
        return tr("\"model\" %1 is not %2").arg(text, keys);
    }
    static QString cliSiteBadId(const QString& text) { return tr("\"id\" %1 is not 1..255 or \"search\"").arg(text); }
    static QString cliSiteBadBaud(const QString& text)
    {
        return tr("\"baud\" %1 is not 9600, 19200, 38400 or 115200").arg(text);
    }
    static QString cliSiteNameTwice(const QString& name) { return tr("the name %1 is given twice").arg(name); }
    static QString cliSitePortTwoRates(const QString& port, int a, int b)
    {
        return tr("port %1 is given at %2 and at %3 baud").arg(port).arg(a).arg(b);
    }
    static QString cliRecordNotWritable(const QString& dir, const QString& why)
    {
        return tr("The record cannot be written in %1 (%2); no device was touched.").arg(dir, why);
    }
    static QString cliRecordNotResumable(const QString& path) { return tr("%1 is no record to resume").arg(path); }
    static QString siteDone() { return tr("done", "a device's state in a site's record"); }
    static QString siteFailed() { return tr("failed"); }
    static QString siteRefused() { return tr("refused"); }
    static QString siteStopped() { return tr("stopped"); }
    static QString siteNotBegun() { return tr("not begun"); }
    static QString siteDryRun() { return tr("dry run"); }
    static QString siteModelNotFound(const QString& model)
    {
        return tr("No %1 answered on the bus (IDs 1 to 255); nothing was written.").arg(model);
    }
    static QString siteModelTwice(const QString& model, const QString& ids)
    {
        return tr("%1 devices answer at IDs %2: give the device's \"id\"; nothing was written.").arg(model, ids);
    }
    static QString siteBackupKept(const QString& file)
    {
        return tr("%1 is kept from an earlier run: it holds what the device held before.").arg(file);
    }
    static QString siteNoBackup() { return tr("Backup not read; nothing was written."); }
    static QString siteVerified() { return tr("written and read back: the device holds every value written."); }
    static QString siteReadBackDiffers(int n)
    {
        return tr("written, but %n value(s) read back differently.", nullptr, n);
    }
    static QString siteWouldChange(int n) { return tr("%n value(s) would change.", nullptr, n); }
    // The record as a page to print.
    static QString recordTitle(const QString& site) { return tr("Commissioning record: %1").arg(site); }
    static QString recordSiteFile() { return tr("Site file"); }
    static QString recordUpdated() { return tr("Last written"); }
    static QString recordDryRun() { return tr("A dry run: the devices were only read; nothing was written."); }
    static QString recordPort() { return tr("Port"); }
    static QString recordAdapter() { return tr("Adapter"); }
    static QString recordSlaveId() { return tr("Slave ID"); }
    static QString recordModel() { return tr("Model"); }
    static QString recordFile() { return tr("Configuration file"); }
    static QString recordSha256() { return tr("SHA-256"); }
    static QString recordBackup() { return tr("Backup (what the device held)"); }
    static QString recordState() { return tr("State"); }
    static QString recordTime() { return tr("Time"); }
    static QString recordChanges() { return tr("Changes written"); }
    static QString recordNoChanges() { return tr("none: the device held the file's values already"); }
    static QString recordReadBack() { return tr("Read back"); }
    static QString recordPutBack(const QString& port, int id, const QString& backup)
    {
        return tr("To put this device back as it was: tarnixw-cli write --port %1 --id %2 %3")
            .arg(port)
            .arg(id)
            .arg(backup);
    }
    static QString siteTotals(int done, int failed, int refused, int stopped, int notBegun)
    {
        return tr("%1 done, %2 failed, %3 refused, %4 stopped, %5 not begun.")
            .arg(done)
            .arg(failed)
            .arg(refused)
            .arg(stopped)
            .arg(notBegun);
    }

    static CommandHelp cliTemplateHelp()
    {
        return {tr("--model {keys} -o FILE"), tr("write the designed defaults as a starting point"),
            tr("Writes the configuration a form shows when it opens (its designed defaults) to FILE (-o - writes\n"
               "the JSON to standard output)."),
            {}};
    }
};

} // namespace tarnixw
