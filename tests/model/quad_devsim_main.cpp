// tarnixw-devsim serving the product models and the test-only third one.
#include "QuadModel.h"

#include "plix/PlixDescription.h"
#include "sim/Devsim.h"
#include "vyr/VyrDescription.h"

int main(int argc, char** argv)
{
    return tarnixw::sim::runDevsim(
        argc, argv, {&tarnixw::vyr::description(), &tarnixw::plix::description(), &tarnixw::test::quadModel()});
}
