#include "VyrParamSet.h"

#include "VyrBytes.h"

namespace tarnixw::vyr {

std::array<std::uint8_t, fileoffset::Size> VYRParamSet::toFileBytes() const
{
    std::array<std::uint8_t, fileoffset::Size> out{};
    bytes::lay(*this, bytes::Part::File, out, 0, false);
    return out;
}

VYRParamSet VYRParamSet::fromFileBytes(std::span<const std::uint8_t, fileoffset::Size> in)
{
    VYRParamSet r;
    bytes::read(r, bytes::Part::File, in, 0, false);
    return r;
}

} // namespace tarnixw::vyr
