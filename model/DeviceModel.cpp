#include "DeviceModel.h"

#include "Fields.h"
#include "Table.h"

#include "values/SafeFile.h"

namespace tarnixw::models {

std::int64_t Field::get(const Configuration& c) const
{
    if (format == Format::Identity)
        return min;
    const auto* b = reinterpret_cast<const std::uint8_t*>(c.bytes.constData()) + place.offset;
    std::uint64_t raw = 0;
    for (int i = place.bytes - 1; i >= 0; --i)
        raw = (raw << 8) | b[i];
    if (place.bit >= 0)
        return std::int64_t((raw >> place.bit) & ((std::uint64_t(1) << place.bits) - 1));
    if (place.isSigned && place.bytes < 8 && (raw >> (8 * place.bytes - 1)) & 1)
        return std::int64_t(raw) - (std::int64_t(1) << (8 * place.bytes));
    return std::int64_t(raw);
}

void Field::set(Configuration& c, std::int64_t value) const
{
    if (format == Format::Identity)
        return;
    auto* b = reinterpret_cast<std::uint8_t*>(c.bytes.data()) + place.offset;
    std::uint64_t raw = std::uint64_t(value);
    if (place.bit >= 0) {
        std::uint64_t word = 0;
        for (int i = place.bytes - 1; i >= 0; --i)
            word = (word << 8) | b[i];
        const std::uint64_t mask = ((std::uint64_t(1) << place.bits) - 1) << place.bit;
        raw = (word & ~mask) | ((raw << place.bit) & mask);
    }
    for (int i = 0; i < place.bytes; ++i, raw >>= 8)
        b[i] = std::uint8_t(raw);
}

std::vector<std::uint8_t> DeviceModel::factoryImage() const
{
    // The defaults always convert.
    return writtenImage(*readyForWrite(defaults()).value);
}

QString DeviceModel::report(const Configuration& c) const
{
    Table t({"value", "setting"});
    for (const Field& f : fields())
        if (f.format != Format::Identity)
            t.add({f.label, valueText(f, f.get(c))});
    return t.text();
}

values::Result<Configuration> DeviceModel::fromFileBytes(const QByteArray& bytes) const
{
    if (bytes.size() != fileSize())
        return values::Result<Configuration>::failure(Words::wrongFileSize(bytes.size(), name(), fileSize()));
    return values::Result<Configuration>::of({this, bytes});
}

QString DeviceModel::groupName(int family, int member) const
{
    return families().at(std::size_t(family)).one.arg(member);
}

const std::vector<std::vector<int>>& DeviceModel::fieldAddresses() const
{
    std::call_once(addressesFound_, [this] {
        const Configuration zeros = this->zeros();
        const std::vector<std::uint8_t> base = writtenImage(zeros);
        std::vector<int> addresses; // of each byte of the image
        for (const MemoryBlock& block : memory())
            for (int i = 0; i < block.bytes; ++i)
                addresses.push_back(block.address + i);
        for (const Field& f : fields()) {
            std::vector<int>& at = fieldAddresses_.emplace_back();
            if (!f.onDevice || f.format == Format::Identity)
                continue;
            std::vector<bool> moved(base.size());
            for (const std::int64_t v : {f.min, f.max, std::int64_t(-1)}) {
                if (v == 0 || (v == -1 && f.min >= 0))
                    continue;
                Configuration changed = zeros;
                f.set(changed, v);
                const std::vector<std::uint8_t> image = writtenImage(changed);
                for (std::size_t i = 0; i < image.size(); ++i)
                    moved[i] = moved[i] || image[i] != base[i];
            }
            for (std::size_t i = 0; i < moved.size(); ++i)
                if (moved[i])
                    at.push_back(addresses[i]);
        }
    });
    return fieldAddresses_;
}

const DeviceModel* modelCalled(const Models& models, const QString& keyOrName)
{
    for (const DeviceModel* m : models)
        if (keyOrName.compare(m->key(), Qt::CaseInsensitive) == 0
            || keyOrName.compare(m->name(), Qt::CaseInsensitive) == 0)
            return m;
    return nullptr;
}

const DeviceModel* modelOfProbe(const Models& models, std::uint16_t probeValue)
{
    for (const DeviceModel* m : models)
        if (m->probeValue() == probeValue)
            return m;
    return nullptr;
}

const DeviceModel* modelOfExtension(const Models& models, const QString& extension)
{
    for (const DeviceModel* m : models)
        if (extension.compare(m->extension(), Qt::CaseInsensitive) == 0)
            return m;
    return nullptr;
}

} // namespace tarnixw::models
