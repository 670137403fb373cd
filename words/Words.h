#pragma once

#include <QCoreApplication>
#include <QString>

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
};

} // namespace tarnixw
