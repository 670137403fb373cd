#include "PlixTransfer.h"

#include "PlixModel.h"

namespace tarnixw::plix {

namespace {

constexpr int kEnableWaitSteps = 56;

} // namespace

link::ModelBuffers buffers()
{
    return link::ModelBuffers::sized(1024, 1024, kBlockASize + kBlockBSize);
}

bool readBlocks(link::ModbusLink& bus)
{
    // The device addresses bytes, so the start steps by 16 for 8 registers.
    bus.ReadBlocks(kBlockAAddress, 4, 16, 8, 0, [](int b, int k) { return b * 16 + k; });
    bus.ReadBlocks(kBlockBAddress, 3, 16, 6, kBlockASize, [](int b, int k) { return b * 16 + k + 64; });
    return !bus.StopFlag();
}

void writeBlocks(
    link::ModbusLink& bus, const BlockPacker& packA, const BlockPacker& packB, const std::function<void()>& written)
{
    const std::span<std::uint8_t> data = bus.writeData();

    // 1: open the device's configuration for writing.
    link::PutShort(data, 0, kWriteEnableValue);
    const link::StepResult enabled = bus.WriteRegisters(kWriteEnableRegister, 2, kEnableWaitSteps);

    // 2 and 3: the two blocks, skipped once a step has failed.
    if (!bus.StopFlag()) {
        packA(data, 0);
        bus.WriteRegisters(kBlockAAddress, kBlockASize, 56, [](int k) { return k + 3; });
    }
    if (!bus.StopFlag()) {
        packB(data, 0);
        if (bus.WriteRegisters(kBlockBAddress, kBlockBSize, 38, [](int k) { return k + 62; })
            == link::StepResult::Accepted)
            written();
    }

    // 4: close the write-enable whatever happened. After a failed open it is sent once: the
    // device is not answering, and a silence then says nothing new.
    link::PutShort(data, 0, kWriteDisableValue);
    link::WriteStepRules closing;
    closing.runWhenStopped = true;
    closing.sendOnce = enabled == link::StepResult::Failed;
    bus.WriteRegisters(kWriteEnableRegister, 2, kEnableWaitSteps, {}, closing);
}

} // namespace tarnixw::plix
