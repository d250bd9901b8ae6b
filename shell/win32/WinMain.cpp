#include "shell/win32/SaverState.h"

#include "common/StartupTrace.h"
#include "resources/resource.h"
#include "shell/CommandLine.h"

#include <new>

RunMode gRunMode = RunMode::None;
SaverState* gSaverState = nullptr;
HWND gSaverWindow = nullptr;

namespace {

const int kExitCode = 0;

// The owner, parent or provider window the command line named. A bare C
// means the window that was in front when the saver was started.
HWND argumentWindow(const CommandLineChoice& choice)
{
    if (choice.useForegroundWindow) {
        return GetForegroundWindow();
    }
    return reinterpret_cast<HWND>(choice.handle);
}

void runMode(RunMode mode, HWND window, int showCommand)
{
    switch (mode) {
    case RunMode::ChangePassword:
        changePassword(window);
        break;
    case RunMode::Configure:
        DialogBoxParamA(gInstance, MAKEINTRESOURCEA(IDD_CONFIG), window, configDialogProc, 0);
        break;
    case RunMode::Preview:
    case RunMode::FullScreen:
        runSaverWindow(window, showCommand);
        break;
    case RunMode::None:
    default:
        break;
    }
}

} // namespace

// The system's display settings start the saver with its switch; whatever
// happens, the process ends with exit code 0, which is all they look at.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    traceStartup("entry");
    gInstance = instance;
    const CommandLineChoice choice = parseCommandLine(GetCommandLineA());
    gRunMode = choice.mode;
    const HWND window = argumentWindow(choice);

    gSaverState = new (std::nothrow) SaverState();
    if (gSaverState == nullptr) {
        return kExitCode;
    }
    // Every mode reads the settings, even one that then does nothing.
    gSaverState->loadScreenSaverSettings();
    gSaverState->loadMirrorSetting();

    runMode(gRunMode, window, showCommand);

    delete gSaverState;
    gSaverState = nullptr;
    return kExitCode;
}
