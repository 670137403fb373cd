// Tarnixw: configures VYRANTA and PLIXARO devices over a USB serial cable.
#include "Application.h"
#include "Program.h"

int main(int argc, char** argv)
{
    tarnixw::app::Application application(argc, argv);
    return tarnixw::app::runProgram(application);
}
