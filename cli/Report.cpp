#include "Report.h"

#include "model/Fields.h"
#include "words/Words.h"

#include <algorithm>
#include <set>

namespace tarnixw::cli {

QStringList differences(const Configuration& a, const Configuration& b, bool deviceOnly)
{
    if (a.model != b.model)
        return {QStringLiteral("%1: %2 → %3").arg(Words::cliModelLabel(), a.model->name(), b.model->name())};
    QStringList out;
    for (const models::Field& f : a.model->fields()) {
        if (f.format == models::Format::Identity || (deviceOnly && !f.onDevice))
            continue;
        const std::int64_t va = f.get(a);
        const std::int64_t vb = f.get(b);
        if (va != vb)
            out << QStringLiteral("%1: %2 → %3").arg(f.label, models::valueText(f, va), models::valueText(f, vb));
    }
    return out;
}

// "00 x 16" for a run of one byte, the bytes in hex otherwise.
namespace {

QString hexRun(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > 1 && std::all_of(bytes.begin(), bytes.end(), [&](std::uint8_t b) { return b == bytes[0]; }))
        return QStringLiteral("%1 x %2").arg(bytes[0], 2, 16, QLatin1Char('0')).arg(bytes.size());
    QString hex;
    for (const std::uint8_t b : bytes)
        hex += QStringLiteral("%1 ").arg(b, 2, 16, QLatin1Char('0'));
    return hex.trimmed();
}

} // namespace

// The bytes a Write sends that no value holds (they go out as the fresh buffers hold them) and
// that read back differently: "device bytes 834..849: 00 x 16 → ...", a line per run.
QStringList unheldDifferences(const Configuration& ready, std::span<const std::uint8_t> image)
{
    const std::vector<std::uint8_t> sent = ready.model->writtenImage(ready);
    std::set<int> held;
    for (const std::vector<int>& addresses : ready.model->fieldAddresses())
        held.insert(addresses.begin(), addresses.end());
    QStringList lines;
    std::size_t at = 0; // the block's first byte in the images
    for (const models::MemoryBlock& block : ready.model->memory()) {
        for (int i = 0; i < block.bytes;) {
            int end = i;
            while (end < block.bytes && held.count(block.address + end) == 0)
                ++end;
            const std::span<const std::uint8_t> wrote(sent.data() + at + i, std::size_t(end - i));
            const std::span<const std::uint8_t> back = image.subspan(at + i, std::size_t(end - i));
            if (!std::equal(wrote.begin(), wrote.end(), back.begin()))
                lines << Words::cliDeviceBytes(block.address + i, block.address + end - 1, hexRun(wrote), hexRun(back));
            i = end + 1;
        }
        at += std::size_t(block.bytes);
    }
    return lines;
}

QStringList readBackDifferences(const Configuration& ready, std::span<const std::uint8_t> image)
{
    return differences(ready, ready.model->fromDeviceImage(image), true) + unheldDifferences(ready, image);
}

} // namespace tarnixw::cli
