// Any bytes as a VYR configuration file: the loader refuses every length but 1204, a loaded
// image saves back byte for byte, and its screen decodes and stages without fault.
#include "FuzzSupport.h"

#include "vyr/VyrFile.h"
#include "vyr/VyrModel.h"
#include "vyr/VyrStaging.h"

#include <QByteArray>
#include <algorithm>
#include <array>

using namespace tarnixw;

namespace {

void loadAndDecode(std::span<const std::uint8_t> bytes)
{
    vyr::VYRParamSet record;
    record.ChanInUseMask = 0x1234; // a refused file must leave the record as it was
    const std::optional<QString> error = vyr::loadRecord(bytes, record);
    if (bytes.size() != std::size_t(vyr::fileoffset::Size)) {
        TARNIXW_FUZZ_CHECK(error && !error->isEmpty() && record.ChanInUseMask == 0x1234, error.value_or(QString()));
        return;
    }
    TARNIXW_FUZZ_CHECK(!error, *error);
    const QByteArray saved = vyr::fileBytes(record);
    TARNIXW_FUZZ_CHECK(saved.size() == vyr::fileoffset::Size
            && std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const std::uint8_t*>(saved.constData())),
        QStringLiteral("a loaded file saves back differently"));

    const vyr::Screen screen = vyr::screenFromRecord(record);
    // Open File's screen goes into the state arrays, and Write or Save File stage it again.
    vyr::ScreenState state;
    state.adoptScreen(screen);
    const vyr::StageResult forWrite = vyr::stageScreen(screen, true);
    const vyr::StageResult forSave = vyr::stageScreen(screen, false);
    // Save File never needs more of the screen than Write does.
    if (forWrite.ok())
        TARNIXW_FUZZ_CHECK(forSave.ok(), forSave.error);
    vyr::VYRParamSet captured = record;
    const std::optional<QString> captureError = vyr::recordScreen(screen, captured);
    TARNIXW_FUZZ_CHECK(!captureError == forSave.ok(), captureError.value_or(QString()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    loadAndDecode({data, size});
    // Every input also as a file of the right length (cut or zero-padded), so the decode sees
    // all of them.
    if (size != std::size_t(vyr::fileoffset::Size)) {
        std::array<std::uint8_t, vyr::fileoffset::Size> image{};
        std::copy_n(data, std::min(size, image.size()), image.begin());
        loadAndDecode(image);
    }
    return 0;
}
