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

LoadResult loadConfigurationFile(const QString& path, ModelState& m)
{
    LoadResult r = loadConfigurationFile(path, m.paramSet);
    if (r.ok())
        m.setFlags(r.value->flags);
    return r;
}

} // namespace tarnixw::plix
