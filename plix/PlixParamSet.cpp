#include "PlixParamSet.h"

namespace tarnixw::plix {

QByteArray PLIXParamSet::toBytes() const
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), kParamSetSize);
}

bool PLIXParamSet::assign(const QByteArray& data)
{
    if (data.size() != kParamSetSize)
        return false;
    for (int i = 0; i < kParamSetSize; ++i)
        bytes[i] = std::uint8_t(data[i]);
    return true;
}

} // namespace tarnixw::plix
