#include "PlixFile.h"

#include "PlixStaging.h"
#include "values/SafeFile.h"

namespace tarnixw::plix {

std::optional<QString> captureForSave(const Texts& texts, ChannelFlags flags, PLIXParamSet& p)
{
    PLIXStagedValues s;
    if (auto error = convertTexts(texts, s))
        return error;
    p.setEnableMask(enableMask(flags));
    p.setU16(offset::kConstZero16, 0);
    p.setU16(offset::kConstThree16, 3);
    storeBlockBValues(s, p);
    for (int ch = 0; ch < kChannelCount; ++ch)
        p.setDecimalDigits(ch, truncated8(s[staged::kDecimalDigits + ch]));
    return std::nullopt;
}

LoadResult loadConfigurationFile(const QString& path, PLIXParamSet& paramSet)
{
    const values::FileBytes file = values::readFileExactly(path, kFileSize, Words::plixModelName());
    if (!file.ok())
        return LoadResult::failure(file.error);
    paramSet.assign(*file.value);
    return LoadResult::of(decodeParamSet(paramSet));
}

} // namespace tarnixw::plix
