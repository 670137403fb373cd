#pragma once

namespace tarnixw::app {

class Application;

// The whole program once its application object exists: installs the Qt dialogs, shows the
// splash, runs the event loop until the main window is closed and returns the exit status.
// main() is nothing but this; the whole-program test runs it too.
int runProgram(Application& application);

} // namespace tarnixw::app
