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
    for (int ch = 0; ch < kChannelCount; ++ch) {
        p.setSensorFrom(ch, std::int32_t(truncated32(s[staged::kSensorFrom + ch])));
        p.setSensorTo(ch, std::int32_t(truncated32(s[staged::kSensorTo + ch])));
        p.setPvFrom(ch, std::int32_t(truncated32(s[staged::kPvFrom + ch])));
        p.setPvTo(ch, std::int32_t(truncated32(s[staged::kPvTo + ch])));
        p.setHighAlarm(ch, std::int32_t(truncated32(s[staged::kHighAlarm + ch])));
        p.setLowAlarm(ch, std::int32_t(truncated32(s[staged::kLowAlarm + ch])));
        p.setSilenceTime(ch, truncated16(s[staged::kSilenceTime + ch]));
        p.setDecimalDigits(ch, truncated8(s[staged::kDecimalDigits + ch]));
        p.setHysteresis(ch, truncated8(s[staged::kHysteresis + ch]));
    }
    return std::nullopt;
}

std::optional<QString> saveConfigurationFile(const QString& path, const PLIXParamSet& paramSet)
{
    return values::saveFileSafely(path, paramSet.toBytes());
}

LoadResult loadConfigurationFile(const QString& path, PLIXParamSet& paramSet)
{
    const values::FileBytes file = values::readFileExactly(path, kFileSize, kModelName);
    if (!file.ok())
        return LoadResult::failure(file.error);
    paramSet.assign(*file.value);
    return LoadResult::of(decodeParamSet(paramSet));
}

} // namespace tarnixw::plix
