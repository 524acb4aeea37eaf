#pragma once
#include <functional>

class Dialogs;
class frmAnfang;

// Seams around the start-up, for a second executable that measures the very same program.
// The program as users start it passes none.
struct ProgramHooks {
    // Installed instead of the real message boxes and file dialogs; null for the real ones.
    Dialogs *dialogs = nullptr;
    // Runs once the main window is shown, before the event loop starts.
    std::function<void(frmAnfang &)> shown;
};

// The whole program, from the application object to its end; returns the exit status.
int runProgram(int &argc, char **argv, const ProgramHooks &hooks = {});
