// Any bytes as a PLIX configuration file, through the real loader (a file on disk): every
// length but 100 is refused and leaves the model alone; a loaded image becomes the model's
// parameter image byte for byte, and its texts check, stage and capture without fault.
#include "FuzzSupport.h"

#include "plix/PlixModel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <memory>

using namespace tarnixw;

namespace {

std::unique_ptr<QTemporaryDir> g_dir;
QString g_path;

void writeFile(std::span<const std::uint8_t> bytes)
{
    QFile f(g_path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fuzz::fail("cannot write the fuzz file", g_path);
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

void loadAndDecode(std::span<const std::uint8_t> bytes)
{
    writeFile(bytes);
    plix::PLIXParamSet image;
    image.setSlope(0, 0x12345678);
    const plix::PLIXParamSet before = image;
    const plix::LoadResult r = plix::loadConfigurationFile(g_path, image);
    if (bytes.size() != std::size_t(plix::kFileSize)) {
        TARNIXW_FUZZ_CHECK(!r.ok() && !r.error.isEmpty(), r.error);
        TARNIXW_FUZZ_CHECK(image == before, QString());
        return;
    }
    TARNIXW_FUZZ_CHECK(r.ok() && r.error.isEmpty(), r.error);
    TARNIXW_FUZZ_CHECK(std::equal(bytes.begin(), bytes.end(), image.bytes.begin()), QString());
    const QByteArray saved = image.toBytes();
    TARNIXW_FUZZ_CHECK(saved.size() == plix::kFileSize
            && std::equal(bytes.begin(), bytes.end(), reinterpret_cast<const std::uint8_t*>(saved.constData())),
        QStringLiteral("a loaded file saves back differently"));
    const plix::ChannelFlags flags = r.value->flags;
    TARNIXW_FUZZ_CHECK(flags == plix::flagsFromMask(image.enableMask()), QString());

    const plix::Texts& texts = r.value->texts;
    for (int i = 0; i < plix::kFieldCount; ++i)
        plix::checkBox(plix::fieldAt(i), texts);

    const plix::StagingResult staged = plix::stageValues(texts, flags);
    TARNIXW_FUZZ_CHECK(staged.ok() != !staged.error.isEmpty(), staged.error);
    plix::PLIXParamSet captured = image;
    const std::optional<QString> captureError = plix::captureForSave(texts, flags, captured);
    // Write refuses more than Save File does, never less.
    if (staged.ok()) {
        TARNIXW_FUZZ_CHECK(!captureError, *captureError);
        std::array<std::uint8_t, plix::kBlockASize + plix::kBlockBSize> blocks{};
        plix::PLIXParamSet packed = image;
        TARNIXW_FUZZ_CHECK(plix::PackBlockA(*staged.value, blocks, 0, packed) == plix::kBlockASize, QString());
        TARNIXW_FUZZ_CHECK(
            plix::PackBlockB(*staged.value, blocks, plix::kBlockASize, packed) == plix::kDeviceImageSize, QString());
        // The written blocks decode as a Read of them would.
        const auto readBack = plix::decodeDeviceImage(blocks);
        TARNIXW_FUZZ_CHECK(readBack.has_value(), QString());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tarnixw-fuzz-XXXXXX"));
    if (!g_dir->isValid())
        fuzz::fail("no temporary directory");
    g_path = g_dir->filePath(QStringLiteral("fuzz.plx"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    loadAndDecode({data, size});
    if (size != std::size_t(plix::kFileSize)) {
        std::array<std::uint8_t, plix::kFileSize> image{};
        std::copy_n(data, std::min(size, image.size()), image.begin());
        loadAndDecode(image);
    }
    return 0;
}
