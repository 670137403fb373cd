// tarnixw-devsim: a simulated VYRANTA or PLIXARO on a pseudo-terminal.
#include "Devsim.h"

#include "plix/PlixDescription.h"
#include "vyr/VyrDescription.h"

int main(int argc, char** argv)
{
    return tarnixw::sim::runDevsim(argc, argv, {&tarnixw::vyr::description(), &tarnixw::plix::description()});
}
