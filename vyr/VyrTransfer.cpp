#include "VyrTransfer.h"

#include "VyrParamSet.h"

namespace tarnixw::vyr {

namespace {

// The device addresses bytes, so consecutive 64-byte blocks step by 64.
constexpr int kArea1Blocks = 13;
constexpr int kArea1LastBlock = 50;
constexpr int kArea2Blocks = 7;
constexpr int kArea2LastBlock = 16;
constexpr int kBlockSize = 64;

} // namespace

int idSearchProgress(int candidate)
{
    return (candidate / 5) * 2;
}

link::ModelBuffers buffers()
{
    return link::ModelBuffers::sized(2048, 2048, imageoffset::Size);
}

bool readParamAreas(link::ModbusLink& bus)
{
    bus.ReadBlocks(kArea1Address, kArea1Blocks, kBlockSize, kArea1LastBlock, 0,
        [](int b, int k) { return (b * kBlockSize + k) * 100 / 1700; });
    bus.ReadBlocks(kArea2Address, kArea2Blocks, kBlockSize, kArea2LastBlock, imageoffset::Area2,
        [](int b, int k) { return (b * kBlockSize + k + imageoffset::Area2) * 100 / 1700; });
    return !bus.StopFlag();
}

bool writeParamAreas(link::ModbusLink& bus, const AreaPacker& packArea1, const AreaPacker& packArea2)
{
    std::vector<std::uint8_t>& image = bus.buffers().DeviceImage;
    if (!packArea1(image))
        return false;
    bus.WriteBlocks(kArea1Address, kArea1Blocks, kBlockSize, kArea1LastBlock, 0,
        [](int b, int k) { return (b * kBlockSize + k) / 12; });
    // Area 2 is packed over the area-1 bytes already sent.
    packArea2(image);
    bus.WriteBlocks(kArea2Address, kArea2Blocks, kBlockSize, kArea2LastBlock, 0,
        [](int b, int k) { return (b * kBlockSize + k + imageoffset::Area2) / 12; });
    return true;
}

} // namespace tarnixw::vyr
