#pragma once

#include "link/Modbus.h"
#include "link/ModbusLink.h"
#include "values/FieldChecks.h"
#include "values/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// What the command line, the simulator, the file dialogs and the main window know of a device
// model: its description. Each model describes itself once, next to its own code; the programs
// that serve every model take a list of descriptions and never name one.
namespace tarnixw::models {

class DeviceModel;

// A configuration exactly as the model's configuration file holds it: every byte of the file,
// padding and calibration included.
struct Configuration {
    const DeviceModel* model = nullptr;
    QByteArray bytes;

    bool operator==(const Configuration& o) const { return model == o.model && bytes == o.bytes; }
};

// How a value is written and read.
enum class Format {
    Identity, // the index of the entry that holds it ("channel": 3); no value of the device
    Flag, // one bit: true / false
    Integer, // an integer, in the field's unit
    Thousandths, // an integer in thousandths, written with 3 decimals (P.V. and alarms)
    Tenths, // an integer in tenths, written with 1 decimal (hysteresis %)
};

// One step of a JSON path: a key of an object, or an index into an array.
struct PathStep {
    QString key;
    int index = -1;
};

// Where a value lies in the configuration file: `bytes` little-endian bytes from `offset`, or
// `bits` bits of them from bit `bit` on.
struct Place {
    int offset = 0;
    int bytes = 2;
    bool isSigned = false;
    int bit = -1; // -1: the whole value
    int bits = 1;
};

// A family of groups as the user names them ("AI", "DI module", "CH"): how many the model has,
// and how one, several and all of them are named in a sentence.
struct Family {
    QString name;
    int count = 0;
    QString one; // "AI %1", "DI module %1", "CH%1"
    QString several; // "AI %1", "DI modules %1" (%1: "0–5, 9")
    QString all; // "the DI modules", "both channels"; empty: named by number like several
};

// One value of a configuration.
struct Field {
    std::vector<PathStep> path; // where the JSON format holds it
    // >= 0: the field is whether this number is in the list of integers at `path` (the DO
    // mapping: the inputs of an output)
    int listItem = -1;
    QString label; // "AI 3 sensor to"
    Format format = Format::Integer;
    QString unit; // "mV", "min", "%" (shown after the number)
    // What the device field holds, in the integers of the file (an 8-bit field either reading).
    std::int64_t min = 0;
    std::int64_t max = 0;
    // The check the form makes when its box is left, run on the value's exact text; none: the
    // form has no box for it. A sensor From is followed by its To in the table.
    std::optional<values::FieldKind> check;
    bool onDevice = true; // false for the padding words, which only the file holds
    QString off = QStringLiteral("no"); // a flag's two states
    QString on = QStringLiteral("yes");
    Place place;
    // The group it belongs to: a family of the model and a member of it; -1: none (words no
    // form shows).
    int family = -1;
    int member = -1;

    std::int64_t get(const Configuration& c) const;
    void set(Configuration& c, std::int64_t value) const;
};

// A run of device memory, by byte address (the device addresses bytes).
struct MemoryBlock {
    int address = 0;
    int bytes = 0;
};

// A register that opens the device's configuration for writing and closes it again.
struct WriteGate {
    std::uint16_t address = 0;
    std::uint16_t open = 0;
    std::uint16_t close = 0;
};

// A fixed word every Write sets, and its value.
struct FixedValue {
    Place place;
    std::int64_t value = 0;
};

class DeviceModel {
public:
    virtual ~DeviceModel() = default;

    // "VYRANTA": how files, messages and the JSON format name it.
    virtual QString name() const = 0;
    // "vyr": how the command line's --model and the simulator name it.
    virtual QString key() const = 0;
    // Its configuration file: the extension ("vyx") and the size in bytes.
    virtual QString extension() const = 0;
    virtual int fileSize() const = 0;

    // The values of its configuration in the order of the JSON format, and their groups.
    virtual const std::vector<Field>& fields() const = 0;
    virtual const std::vector<Family>& families() const = 0;
    // The forms' rules for a sensor range.
    virtual values::SensorCheckRules sensorRules() const = 0;
    // What the forms would refuse or never produce beyond each field's own check, one line each.
    virtual QStringList otherRefusals(const Configuration&) const { return {}; }
    // The fixed words every Write sets: a device that holds other values there is not of this
    // model, or was never written.
    virtual std::vector<FixedValue> fixedValues() const { return {}; }

    // The file Save File writes right after the program starts: the screens' designed defaults.
    virtual Configuration defaults() const = 0;
    // The file Save File writes right after a Read that brought this DeviceImage, in a freshly
    // started program; refused with Save File's message when the screen holds a value that
    // cannot be saved.
    virtual values::Result<Configuration> fromRead(std::span<const std::uint8_t> deviceImage) const = 0;
    // The values a DeviceImage holds, byte for byte, with no screen in between (bytes the
    // device does not hold stay zero).
    virtual Configuration fromDeviceImage(std::span<const std::uint8_t> deviceImage) const = 0;
    // The configuration as a Write sends it (the scaling computed as the form computes it), or
    // the message that stops the Write.
    virtual values::Result<Configuration> readyForWrite(const Configuration& c) const = 0;

    // The parameter memory in the order a Read gathers it: the DeviceImage is these blocks one
    // after the other.
    virtual std::vector<MemoryBlock> memory() const = 0;
    // The link buffers of the model (DeviceImage the size of its memory).
    virtual link::ModelBuffers buffers() const = 0;
    // Read: the whole memory into the link's DeviceImage. Whether every block arrived.
    virtual bool read(link::ModbusLink& bus) const = 0;
    // Write: `ready` as the form's Write sends it.
    virtual void write(link::ModbusLink& bus, const Configuration& ready) const = 0;
    // The memory as a Write of `ready` leaves it, laid as the DeviceImage.
    virtual std::vector<std::uint8_t> writtenImage(const Configuration& ready) const = 0;
    // The memory of a device fresh from the factory, laid as the DeviceImage: by default every
    // parameter at the screens' defaults, as a Write of them leaves it.
    virtual std::vector<std::uint8_t> factoryImage() const;
    virtual std::optional<WriteGate> writeGate() const { return std::nullopt; }
    // What the ID probe's register reads on this model.
    virtual std::uint16_t probeValue() const = 0;

    // The configuration as tables, in the units and number formats of the forms. By default
    // one line per value.
    virtual QString report(const Configuration& c) const;

    // A binary configuration file's bytes, refused when the size is not the model's.
    values::Result<Configuration> fromFileBytes(const QByteArray& bytes) const;
    // A configuration of all zero bytes.
    Configuration zeros() const { return {this, QByteArray(fileSize(), '\0')}; }
    // "AI 3", "CH0": the member of a family as one.
    QString groupName(int family, int member) const;
    // For each of fields(), the device addresses a Write lays it into (none for a value the
    // device does not hold): the bytes that change when the value alone goes to its least, its
    // greatest and, when signed, all its bits set. Found once, from the model's own packing.
    const std::vector<std::vector<int>>& fieldAddresses() const;

private:
    mutable std::once_flag addressesFound_;
    mutable std::vector<std::vector<int>> fieldAddresses_;
};

// The list of models a program serves, in the order it offers them.
using Models = std::vector<const DeviceModel*>;

// The model with this key or name (any case), or none.
const DeviceModel* modelCalled(const Models& models, const QString& keyOrName);
// The model whose ID probe reads this value, or none.
const DeviceModel* modelOfProbe(const Models& models, std::uint16_t probeValue);
// The model whose files end in this extension (any case), or none.
const DeviceModel* modelOfExtension(const Models& models, const QString& extension);

} // namespace tarnixw::models
