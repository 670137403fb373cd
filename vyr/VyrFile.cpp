#include "VyrFile.h"

#include "VyrDecode.h"
#include "VyrPack.h"
#include "VyrStaging.h"
#include "values/NumberText.h"
#include "values/SafeFile.h"
#include "words/Words.h"

namespace tarnixw::vyr {

namespace {

// The file's rule: the stored integer goes to single precision first, then x 0.001, held
// in single precision again.
QString formatFileThousandths(std::int32_t raw)
{
    const float single = static_cast<float>(raw);
    const float v = static_cast<float>(static_cast<long double>(single) * 0.001L);
    return values::formatSignificant(v, 5, 3);
}

} // namespace

QString recordScreen(const Screen& screen, VYRParamSet& record)
{
    const StageResult staged = stageScreen(screen, false);
    if (!staged.ok())
        return staged.error;
    const auto next = recordWithStaged(record, *staged.value, RecordFields::SaveFile);
    if (!next) // cannot happen: staging refuses every value that does not fit
        return Words::outOfDeviceRange();
    record = *next;
    return {};
}

QByteArray fileBytes(const VYRParamSet& record)
{
    const auto image = record.toFileBytes();
    return QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size()));
}

QString wrongSizeMessage(qsizetype size)
{
    return Words::wrongFileSize(size, Words::vyrModelName(), fileoffset::Size);
}

QString loadRecord(std::span<const std::uint8_t> bytes, VYRParamSet& record)
{
    if (bytes.size() != std::size_t(fileoffset::Size))
        return wrongSizeMessage(qsizetype(bytes.size()));
    record = VYRParamSet::fromFileBytes(bytes.first<fileoffset::Size>());
    return {};
}

QString loadRecord(const QByteArray& bytes, VYRParamSet& record)
{
    return loadRecord(std::span<const std::uint8_t>(
                          reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())),
        record);
}

Screen screenFromRecord(const VYRParamSet& r)
{
    Screen s = Screen::defaults();
    for (int k = 0; k < kAnalogChannels; ++k) {
        s.VYRChanInUse[k] = ((r.ChanInUseMask >> k) & 1) ? kOn : kOff;
        s.text(k, Column::SFrom) = QString::number(r.SFrom[k]);
        s.text(k, Column::STo) = QString::number(r.STo[k]);
        s.text(k, Column::DFrom) = formatFileThousandths(r.DFrom[k]);
        s.text(k, Column::DTo) = formatFileThousandths(r.DTo[k]);
        s.text(k, Column::HLimit) = formatFileThousandths(r.HLimit[k]);
        s.text(k, Column::LLimit) = formatFileThousandths(r.LLimit[k]);
        s.text(k, Column::SilenceT) = QString::number(r.analogSilence(k));
        // The file's digits and hysteresis are read as unsigned bytes.
        s.text(k, Column::Digits) = QString::number(unsigned(r.Digits[k]));
        s.text(k, Column::Hysteresis) = formatHysteresis(r.Hysteresis[k]);
    }
    for (int m = 0; m < kDiModules; ++m) {
        applyRelayBits(s, m, r.DICloseMask[m], r.DIOpenMask[m]);
        for (int n = 0; n < kDiChannels; ++n)
            applyDiSilence(s, m, n, r.diSilence(m, n));
    }
    for (int c = 0; c < kDoInputs; ++c)
        for (int m = 0; m < kDoModules; ++m)
            applyDoWord(s, c, m, r.doMapMask(c, m));
    return s;
}

} // namespace tarnixw::vyr
