#include "Console.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace tarnixw::cli {

namespace {

std::atomic<int> g_interrupts{0};

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    // The first one is taken; the next one takes its default course and ends the program.
    return g_interrupts.fetch_add(1) == 0 ? TRUE : FALSE;
}

} // namespace

void watchInterrupt()
{
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool interrupted()
{
    return g_interrupts.load() != 0;
}

void prepareStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

bool stderrIsTerminal()
{
    // A console, not a pipe or a file; the bar's cursor controls need its terminal mode.
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (err == INVALID_HANDLE_VALUE || !err || !GetConsoleMode(err, &mode))
        return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        || SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING | ENABLE_PROCESSED_OUTPUT);
}

} // namespace tarnixw::cli
