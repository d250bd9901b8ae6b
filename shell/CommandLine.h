#pragma once

#include <cstdint>

// The run modes the command line chooses.
enum class RunMode : int32_t {
    None = 0,
    Configure = 1,
    ChangePassword = 2,
    Preview = 3,
    FullScreen = 4,
};

// What the command line asked for. `handle` is the window handle argument
// as atoi read it (0 when none); `useForegroundWindow` is set for a bare C,
// whose owner is the foreground window at dispatch time.
struct CommandLineChoice {
    RunMode mode = RunMode::None;
    intptr_t handle = 0;
    bool useForegroundWindow = false;
};

// Reads the whole command line, program name included, as GetCommandLineA
// gives it. Never reads past the terminating NUL; a null text reads as empty.
CommandLineChoice parseCommandLine(const char* text);
