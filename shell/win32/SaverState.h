#pragma once

#include <windows.h>

#include "shell/CommandLine.h"

// The one record of the shell's state, created by start-up before the
// settings are read and deleted just before the program ends.
struct SaverState {
    HWND window;               // the saver window; set at WM_CREATE
    int32_t passwordDelay;     // seconds of grace after window creation
    int32_t mouseThreshold;    // pixels the cursor may move along either axis
    POINT startCursor;         // screen coordinates; WM_CREATE and after each password check
    uint32_t startTick;        // GetTickCount at WM_CREATE
    int32_t checkingPassword;  // 1 while a password check runs
    int32_t closeRequested;    // 1 from the first close request on
    int32_t useMirrors;        // 0: mirrors off; anything else: on

    // Sets only window (null) and closeRequested (0) as start-up expects;
    // the rest is zeroed too so nothing reads an indeterminate value.
    SaverState();

    // Registry, current user; failures are silent and leave the defaults.
    void loadScreenSaverSettings();
    void loadMirrorSetting();
    void saveMirrorSetting();

    // Closing rules of the full-screen saver.
    void requestClose();
    void beginPasswordCheck();
    void endPasswordCheck();
};

// The module instance (defined in the platform seam, set by WinMain).
extern HINSTANCE gInstance;
extern RunMode gRunMode;
extern SaverState* gSaverState;
extern HWND gSaverWindow;

// The saver window with its OpenGL context and frame loop, for Preview and
// FullScreen; returns after teardown or at once after a failure.
void runSaverWindow(HWND parent, int showCommand);

LRESULT CALLBACK saverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Non-zero when the saver may close: NT always; on 95/98 PASSWORD.CPL's
// VerifyScreenSavePwd, loaded and freed for every check; TRUE when absent.
BOOL verifyPassword(HWND window);

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Hands the password change to MPR.DLL's PwdChangePasswordA("SCRSAVE", parent, 0, 0).
void changePassword(HWND parent);
