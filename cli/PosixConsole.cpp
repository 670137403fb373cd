#include "Console.h"

#include <csignal>
#include <unistd.h>

namespace tarnixw::cli {

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

} // namespace

void watchInterrupt()
{
    struct sigaction sa { };
    sa.sa_handler = onInterrupt;
    sa.sa_flags = SA_RESETHAND; // the next one takes its default course
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
}

bool interrupted()
{
    return g_interrupted != 0;
}

void prepareStandardStreams()
{ }

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace tarnixw::cli
