// Read and Write of the VYRANTA window, and its configuration file (Open File, Save File).
#include "VyrForm.h"

#include "kit/Dialogs.h"
#include "kit/FormFiles.h"
#include "kit/Messages.h"
#include "kit/Operation.h"
#include "link/ModbusLink.h"
#include "values/SafeFile.h"

namespace tarnixw::vyr {

namespace {

// The Read decode moves the bar from 75 to 99 over the 3072 DO cells; Open File from 0 to
// 102, shown full from 100 on.
int readBarAfter(int cells)
{
    return 75 + cells / 123;
}
int openBarAfter(int cells)
{
    return cells / 30;
}

} // namespace

void TFormVYR::ReadClick()
{
    kit::Operation op(*this, kit::text::readOperation());
    if (link::ModbusLink* bus = op.link())
        readParamAreas(*bus);
    op.closePort();
    // A stopped Read changes no control and no state array; only the blocks that arrived stay
    // in the image.
    if (!op.completed() || !m_built)
        return;
    const std::optional<Screen> decoded = decodeDeviceImage(buffers().DeviceImage);
    if (!decoded)
        return;
    applyScreen(*decoded, readBarAfter);
    op.message(kit::text::readDone());
}

void TFormVYR::WriteClick()
{
    kit::Operation op(*this, kit::text::writeOperation());
    link::ModbusLink* const opened = op.link();
    if (!opened || !m_built)
        return;
    // Every box is converted before anything is sent: a text that is no number, a value the
    // device field cannot hold or an empty signal range stops the Write here.
    const Screen screen = captureScreen();
    const StageResult staged = stageScreen(screen);
    if (!staged.ok()) {
        op.error(staged.error);
        return;
    }
    ModelState& state = model();
    state.screen.adoptScreen(screen);
    // Area 1 is packed without its last 16 bytes: the block that carries them sends back what
    // the last Read brought there. The record takes the area-2 values even when the first
    // phase stopped.
    const bool sent = writeParamAreas(
        *opened,
        [&](std::span<std::uint8_t> image) {
            return PackParamArea1(image, 0, *staged.value, state.paramSet).has_value();
        },
        [&](std::span<std::uint8_t> image) {
            return PackParamArea2(image, 0, *staged.value, state.paramSet).has_value();
        });
    if (!sent) {
        op.error(kit::text::outOfDeviceRange());
        return;
    }
    op.closePort();
    if (op.completed())
        op.message(kit::text::writeDone());
}

void TFormVYR::SaveFileClick()
{
    if (!m_built)
        return;
    // The record takes the screen before the dialog opens, even when it is cancelled; gains,
    // offsets, ChanZero and GainBase keep what the last Write or Open File left there.
    const Screen screen = captureScreen();
    if (const std::optional<QString> error = vyr::recordScreen(screen, model().paramSet)) {
        kit::dialogs().error(*error);
        return;
    }
    model().screen.adoptScreen(screen);
    kit::saveConfiguration(
        *this, [](const QString& path) { return values::saveFileSafely(path, fileBytes(model().paramSet)); });
}

void TFormVYR::OpenFileClick()
{
    if (!m_built)
        return;
    kit::openConfiguration(*this, [this](const QString& path) -> std::optional<QString> {
        // Only a whole 1204-byte image is taken; anything else leaves record and screen alone.
        const values::FileBytes file = values::readFileExactly(path, fileoffset::Size, QStringLiteral("VYRANTA"));
        if (!file.value)
            return file.error;
        if (const std::optional<QString> error = loadRecord(*file.value, model().paramSet))
            return error;
        applyScreen(screenFromRecord(model().paramSet), openBarAfter);
        return std::nullopt;
    });
}

} // namespace tarnixw::vyr
