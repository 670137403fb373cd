#include "VyrFile.h"

#include "VyrPack.h"
#include "VyrStaging.h"
#include "values/SafeFile.h"
#include "words/Words.h"

namespace tarnixw::vyr {

std::optional<QString> recordScreen(const Screen& screen, VYRParamSet& record)
{
    const StageResult staged = stageScreen(screen, false);
    if (!staged.ok())
        return staged.error;
    const auto next = recordWithStaged(record, *staged.value, RecordFields::SaveFile);
    if (!next) // cannot happen: staging refuses every value that does not fit
        return Words::outOfDeviceRange();
    record = *next;
    return std::nullopt;
}

QByteArray fileBytes(const VYRParamSet& record)
{
    const auto image = record.toFileBytes();
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

std::optional<QString> loadRecord(std::span<const std::uint8_t> bytes, VYRParamSet& record)
{
    if (bytes.size() != std::size_t(fileoffset::Size))
        return Words::wrongFileSize(qsizetype(bytes.size()), Words::vyrModelName(), fileoffset::Size);
    record = VYRParamSet::fromFileBytes(bytes.first<fileoffset::Size>());
    return std::nullopt;
}

std::optional<QString> loadRecord(const QByteArray& bytes, VYRParamSet& record)
{
    return loadRecord(std::span<const std::uint8_t>(
                          reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())),
        record);
}

} // namespace tarnixw::vyr
