// Typed texts through the number parsers and formatters, every field check, the sensor
// cross-checks and both models' staging; and the decode formats on arbitrary device values.
//
// Input: newline-separated lines. Every line is a text for the parsers and field checks; for
// the staging its first byte picks the box and the rest is the box's text. The first four
// bytes also serve as a raw device value.
#include "FuzzSupport.h"

#include "plix/PlixModel.h"
#include "values/FieldChecks.h"
#include "values/NumberText.h"
#include "vyr/VyrDecode.h"
#include "vyr/VyrPack.h"
#include "vyr/VyrStaging.h"

#include <QList>
#include <QString>
#include <array>
#include <cmath>

using namespace tarnixw;

namespace {

constexpr std::array<values::FieldKind, 6> kKinds{values::FieldKind::Sensor, values::FieldKind::PV,
    values::FieldKind::AlarmRange, values::FieldKind::Silence, values::FieldKind::DecimalDigits,
    values::FieldKind::Hysteresis};

// A shown text must read back as the value it shows, to within its last decimal.
void checkFormatted(const QString& shown, long double value, int decimals)
{
    const auto back = values::parseNumber(shown);
    TARNIXW_FUZZ_CHECK(back.has_value(), shown);
    const long double tolerance = 0.5L * std::pow(10.0L, -decimals) * 1.0001L + std::fabs(value) * 1e-15L;
    TARNIXW_FUZZ_CHECK(std::fabs(*back - value) <= tolerance,
        QStringLiteral("%1 shown for %2").arg(shown).arg(double(value), 0, 'g', 21));
}

void numbers(const QString& text)
{
    const auto integer = values::parseInteger(text);
    const auto number = values::parseNumber(text);
    // Every integer is a number too, of the same value.
    if (integer)
        TARNIXW_FUZZ_CHECK(number && *number == static_cast<long double>(*integer), text);
    if (number) {
        TARNIXW_FUZZ_CHECK(std::isfinite(*number), text);
        checkFormatted(values::formatDecimals(*number, 3), *number, 3);
        checkFormatted(values::formatDecimals(*number, 1), *number, 1);
        const QString s5 = values::formatSignificant(double(*number), 5, 3);
        const QString s2 = values::formatSignificant(double(*number), 2, 1);
        TARNIXW_FUZZ_CHECK(values::parseNumber(s5).has_value(), s5);
        TARNIXW_FUZZ_CHECK(values::parseNumber(s2).has_value(), s2);
    }
}

void fieldChecks(const QString& text, const QString& partner)
{
    for (const values::FieldKind kind : kKinds) {
        const values::FieldCheckResult r = values::checkField(kind, text);
        TARNIXW_FUZZ_CHECK(r.ok() == r.error.isEmpty(), r.error);
        if (!r.ok() || !*r.value)
            continue;
        // The rewritten text passes the same check again and stays as it is.
        const QString& rewritten = **r.value;
        const values::FieldCheckResult again = values::checkField(kind, rewritten);
        TARNIXW_FUZZ_CHECK(again.ok() && again.value == r.value, rewritten);
    }
    for (const values::SensorCheckRules& rules : {values::plixSensorRules(), values::vyrSensorRules()}) {
        const values::FieldCheckResult from = values::checkSensorFrom(text, partner, rules);
        const values::FieldCheckResult to = values::checkSensorTo(partner, text, rules);
        TARNIXW_FUZZ_CHECK(from.ok() == from.error.isEmpty() && to.ok() == to.error.isEmpty(), QString());
        // A from box that passes against its to box means the to box passes against it.
        if (from.ok() && values::checkField(values::FieldKind::Sensor, partner).ok())
            TARNIXW_FUZZ_CHECK(to.ok(), text + QStringLiteral(" / ") + partner + QStringLiteral(": ") + to.error);
    }
}

void plixStaging(const QList<QByteArray>& lines, std::uint8_t control)
{
    plix::Texts texts = plix::Texts::defaults();
    for (const QByteArray& line : lines) {
        if (line.isEmpty())
            continue;
        texts.values[std::uint8_t(line[0]) % plix::kFieldCount] = QString::fromUtf8(line.mid(1));
    }
    const plix::ChannelFlags flags{(control & 1) != 0, (control & 2) != 0};
    for (int i = 0; i < plix::kFieldCount; ++i) {
        const values::FieldCheckResult r = plix::checkBox(plix::fieldAt(i), texts);
        TARNIXW_FUZZ_CHECK(r.ok() == r.error.isEmpty(), QString());
    }
    const plix::StagingResult staged = plix::stageValues(texts, flags);
    TARNIXW_FUZZ_CHECK(staged.ok() != !staged.error.isEmpty(), staged.error);
    plix::PLIXParamSet captured;
    const std::optional<QString> captureError = plix::captureForSave(texts, flags, captured);
    if (!staged.value)
        return;
    TARNIXW_FUZZ_CHECK(!captureError, *captureError);
    std::array<std::uint8_t, plix::kDeviceImageSize> blocks{};
    plix::PLIXParamSet packed;
    TARNIXW_FUZZ_CHECK(plix::PackBlockA(*staged.value, blocks, 0, packed) == plix::kBlockASize, QString());
    TARNIXW_FUZZ_CHECK(
        plix::PackBlockB(*staged.value, blocks, plix::kBlockASize, packed) == plix::kDeviceImageSize, QString());
    // Save File stores the fields that Write sends exactly as Write stores them.
    for (int ch = 0; ch < plix::kChannelCount; ++ch)
        TARNIXW_FUZZ_CHECK(captured.sensorFrom(ch) == packed.sensorFrom(ch) && captured.pvTo(ch) == packed.pvTo(ch)
                && captured.highAlarm(ch) == packed.highAlarm(ch) && captured.silenceTime(ch) == packed.silenceTime(ch)
                && captured.hysteresis(ch) == packed.hysteresis(ch)
                && captured.decimalDigits(ch) == packed.decimalDigits(ch),
            QString());
}

void vyrStaging(const QList<QByteArray>& lines, std::uint8_t control)
{
    vyr::Screen screen = vyr::Screen::defaults();
    for (const QByteArray& line : lines) {
        if (line.size() < 2)
            continue;
        const int where = std::uint8_t(line[0]);
        const QString text = QString::fromUtf8(line.mid(2));
        if (where < 0x80) {
            const int channel = where % vyr::kAnalogChannels;
            const int column = std::uint8_t(line[1]) % vyr::kColumns;
            screen.analog[channel][column] = text;
        } else {
            const int module = where % vyr::kDiModules;
            const int channel = std::uint8_t(line[1]) % vyr::kDiChannels;
            screen.DISilenceT[module][channel] = text;
            screen.DIChanInUse[module][channel] = (control & 4) ? vyr::kOn : vyr::kOff;
            screen.DICloseTicked[module][channel] = (control & 8) != 0;
            screen.DIOpenTicked[module][channel] = (control & 16) != 0;
        }
    }
    const vyr::StageResult staged = vyr::stageScreen(screen, (control & 32) == 0);
    if (!staged.ok())
        return;
    // Staged values always fit the record and pack into both areas.
    vyr::VYRParamSet record;
    std::array<std::uint8_t, vyr::imageoffset::Size> image{};
    TARNIXW_FUZZ_CHECK(
        vyr::recordWithStaged(record, *staged.value, vyr::RecordFields::SaveFile).has_value(), QString());
    if (control & 32)
        return;
    TARNIXW_FUZZ_CHECK(vyr::PackParamArea1(image, 0, *staged.value, record) == vyr::kArea1PackedBytes, QString());
    TARNIXW_FUZZ_CHECK(vyr::PackParamArea2(image, vyr::imageoffset::Area2, *staged.value, record)
            == vyr::imageoffset::Area2 + vyr::kArea2PackedBytes,
        QString());
    TARNIXW_FUZZ_CHECK(vyr::decodeDeviceImage(image).has_value(), QString());
}

void deviceValues(fuzz::Reader raw)
{
    const std::uint32_t v = raw.u32();
    const std::int32_t i32 = std::int32_t(v);
    for (const QString& s :
        {vyr::formatThousandths(i32), vyr::formatHysteresis(std::int8_t(v)), vyr::formatHysteresis(std::uint8_t(v)),
            vyr::formatHysteresis(std::int16_t(v)), QString::number(std::int16_t(v))})
        TARNIXW_FUZZ_CHECK(values::parseNumber(s).has_value(), s); // Read shows it, so Write must read it
    const QString t = vyr::formatThousandths(i32);
    // Five significant digits of the value in thousandths.
    const long double shown = *values::parseNumber(t);
    const long double exact = static_cast<long double>(i32) * 0.001L;
    TARNIXW_FUZZ_CHECK(std::fabs(shown - exact) <= std::fabs(exact) * 1e-4L + 0.0005L, t);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() > 40)
        return -1; // more boxes than the screens' fields change nothing; keep runs short
    QString previous = QStringLiteral("0");
    for (const QByteArray& line : lines) {
        const QString text = QString::fromUtf8(line);
        numbers(text);
        fieldChecks(text, previous);
        previous = text;
    }
    const std::uint8_t control = size > 0 ? data[0] : 0;
    plixStaging(lines, control);
    vyrStaging(lines, control);
    deviceValues(fuzz::Reader(data, size));
    return 0;
}
