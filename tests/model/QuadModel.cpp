#include "QuadModel.h"

#include "model/Fields.h"

#include "link/ModbusPdu.h"

namespace tarnixw::test {

namespace {

using models::Format;
using models::Place;

// The file: enable mask (0), set points (2 + 2k, thousandths), silence (10), sensor range of
// channel 0 (12, 16), padding (20). The device memory at 64 holds the first 20 bytes, each
// 16-bit or 32-bit value big-endian.
constexpr int kChannels = 4;
constexpr int kAddress = 64;
constexpr int kMemoryBytes = 20;
constexpr int kFileBytes = 24;

std::vector<models::Field> quadFields()
{
    models::FieldTable b;
    const auto key = models::FieldTable::key;
    const auto at = models::FieldTable::at;
    const auto join = models::FieldTable::join;
    for (int ch = 0; ch < kChannels; ++ch) {
        b.setGroup(0, ch);
        const std::vector<models::PathStep> path{key("channels"), at(ch)};
        const QString name = QStringLiteral("CH%1 ").arg(ch);
        b.identity(join(path, {key("channel")}), ch);
        b.bit(join(path, {key("enabled")}), name + "enabled", 0, ch);
        b.value(join(path, {key("set_point")}), name + "set point", Format::Thousandths, Place{2 + 2 * ch, 2, true});
    }
    b.setGroup(-1, -1);
    b.value({key("silence_time_min")}, QStringLiteral("silence time"), Format::Integer, Place{10, 2, true}).check
        = values::FieldKind::Silence;
    b.setGroup(0, 0);
    for (const auto& [name, label, offset] :
        {std::tuple{"sensor_from_mV", "CH0 sensor from", 12}, std::tuple{"sensor_to_mV", "CH0 sensor to", 16}}) {
        models::Field& f = b.value({key(name)}, QString::fromLatin1(label), Format::Integer, Place{offset, 4, true});
        f.unit = QStringLiteral("mV");
        f.check = values::FieldKind::Sensor;
    }
    b.setGroup(-1, -1);
    b.value({key("padding")}, QStringLiteral("padding"), Format::Integer, Place{20, 4, false}).onDevice = false;
    return b.fields;
}

// The file's words as the device holds them: 16-bit words and the two 32-bit ranges swapped to
// big-endian, in place.
std::vector<std::uint8_t> toDevice(const QByteArray& file)
{
    std::vector<std::uint8_t> image(kMemoryBytes);
    for (int i = 0; i < 12; i += 2) {
        image[std::size_t(i)] = std::uint8_t(file[i + 1]);
        image[std::size_t(i + 1)] = std::uint8_t(file[i]);
    }
    for (int i = 12; i < 20; i += 4)
        for (int j = 0; j < 4; ++j)
            image[std::size_t(i + j)] = std::uint8_t(file[i + 3 - j]);
    return image;
}

class Quad final : public models::DeviceModel {
public:
    QString name() const override { return QStringLiteral("QUADRIS"); }
    QString key() const override { return QStringLiteral("quad"); }
    QString extension() const override { return QStringLiteral("qdx"); }
    int fileSize() const override { return kFileBytes; }
    const std::vector<models::Field>& fields() const override
    {
        static const std::vector<models::Field> table = quadFields();
        return table;
    }
    const std::vector<models::Family>& families() const override
    {
        static const std::vector<models::Family> list{{QStringLiteral("CH"), kChannels, QStringLiteral("CH%1"),
            QStringLiteral("CH%1"), QStringLiteral("all four channels")}};
        return list;
    }
    values::SensorCheckRules sensorRules() const override { return values::plixSensorRules(); }

    models::Configuration defaults() const override
    {
        // CH0 enabled, a silence of 30 min, channel 0's sensor 1000..5000 mV.
        models::Configuration c = zeros();
        for (const models::Field& f : fields())
            for (const auto& [label, value] : {std::pair{"CH0 enabled", 1}, std::pair{"silence time", 30},
                     std::pair{"CH0 sensor from", 1000}, std::pair{"CH0 sensor to", 5000}})
                if (f.label == QLatin1String(label))
                    f.set(c, value);
        return c;
    }
    values::Result<models::Configuration> fromRead(std::span<const std::uint8_t> image) const override
    {
        if (image.size() < std::size_t(kMemoryBytes))
            return values::Result<models::Configuration>::failure(QStringLiteral("The device image is incomplete."));
        return values::Result<models::Configuration>::of(fromDeviceImage(image));
    }
    models::Configuration fromDeviceImage(std::span<const std::uint8_t> image) const override
    {
        models::Configuration c = zeros();
        // The swap is its own inverse.
        const std::vector<std::uint8_t> file = toDevice(QByteArray(
            reinterpret_cast<const char*>(image.data()), qsizetype(std::min<std::size_t>(image.size(), kMemoryBytes)))
                                                            .leftJustified(kFileBytes, '\0'));
        std::copy(file.begin(), file.end(), c.bytes.begin());
        return c;
    }
    values::Result<models::Configuration> readyForWrite(const models::Configuration& c) const override
    {
        return values::Result<models::Configuration>::of(c);
    }
    std::vector<models::MemoryBlock> memory() const override { return {{kAddress, kMemoryBytes}}; }
    link::ModelBuffers buffers() const override { return link::ModelBuffers::sized(256, 256, kMemoryBytes); }
    bool read(link::ModbusLink& bus) const override
    {
        return bus.ReadBlocks(kAddress, 1, kMemoryBytes, kMemoryBytes, 0, [](int, int k) { return k * 5; });
    }
    void write(link::ModbusLink& bus, const models::Configuration& ready) const override
    {
        const std::vector<std::uint8_t> image = writtenImage(ready);
        std::copy(image.begin(), image.end(), bus.buffers().DeviceImage.begin());
        bus.WriteBlocks(kAddress, 1, kMemoryBytes, kMemoryBytes, 0, [](int, int k) { return k * 5; });
    }
    std::vector<std::uint8_t> writtenImage(const models::Configuration& ready) const override
    {
        return toDevice(ready.bytes);
    }
    std::vector<std::uint8_t> factoryImage() const override { return toDevice(defaults().bytes); }
    std::uint16_t probeValue() const override { return 0x0003; }
};

} // namespace

const models::DeviceModel& quadModel()
{
    static const Quad quad;
    return quad;
}

} // namespace tarnixw::test
