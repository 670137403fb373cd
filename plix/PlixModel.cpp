#include "PlixModel.h"

namespace tarnixw::plix {

ModelState& model()
{
    static ModelState state;
    return state;
}

void resetModel()
{
    ModelState& m = model();
    m.paramSet = {};
    m.setFlags({});
    m.buffers = plix::buffers();
    m.port.close();
}

int PackBlockA(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos)
{
    return PackBlockA(s, out, pos, model().paramSet);
}

int PackBlockB(const PLIXStagedValues& s, std::span<std::uint8_t> out, int pos)
{
    return PackBlockB(s, out, pos, model().paramSet);
}

LoadResult loadConfigurationFile(const QString& path, ModelState& m)
{
    LoadResult r = loadConfigurationFile(path, m.paramSet);
    if (r.ok())
        m.setFlags(r.value->flags);
    return r;
}

} // namespace tarnixw::plix
