#pragma once

// The two product models as the test tables name them, and their configurations in the terms
// the tests edit them: the VYRANTA record, the PLIXARO parameter image.
#include "model/DeviceModel.h"
#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

namespace tarnixw::test {

enum class Model { Vyr, Plix };

inline const models::DeviceModel& describe(Model m)
{
    return m == Model::Vyr ? vyr::description() : plix::description();
}

// The models tarnixw-cli and tarnixw-devsim serve.
inline models::Models productModels()
{
    return {&vyr::description(), &plix::description()};
}

// The models as the main window offers them (and the file dialogs list their files).
inline models::Models formModels()
{
    return {&plix::description(), &vyr::description()};
}

struct Config {
    Model model = Model::Vyr;
    vyr::VYRParamSet vyr;
    plix::PLIXParamSet plix;

    models::Configuration configuration() const
    {
        return model == Model::Vyr ? vyr::configurationOf(vyr) : plix::configurationOf(plix);
    }
    operator models::Configuration() const { return configuration(); }
    static Config of(const models::Configuration& c)
    {
        Config out;
        out.model = c.model == &vyr::description() ? Model::Vyr : Model::Plix;
        if (out.model == Model::Vyr)
            out.vyr = vyr::recordOf(c);
        else
            out.plix = plix::paramSetOf(c);
        return out;
    }
    bool operator==(const Config&) const = default;
};

// The file Save File writes right after the program starts.
inline Config templateConfig(Model m)
{
    return Config::of(describe(m).defaults());
}

} // namespace tarnixw::test
