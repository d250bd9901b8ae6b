#include <windows.h>

#include "shell/CommandLine.h"

extern HINSTANCE gInstance;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    gInstance = instance;
    parseCommandLine(GetCommandLineA());
    return 0;
}
