#pragma once

#include <windows.h>

// Shared by the stand-in system DLLs: one line appended per event to the
// file named by the environment variable `variable`, opened and closed for
// every line so that a reader sees each event at once, even when the
// process dies right after. Nothing is written when the variable is unset.
inline void fakeLogLine(const char* variable, const char* line)
{
    char path[MAX_PATH] = {0};
    const DWORD length = GetEnvironmentVariableA(variable, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        return;
    }
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, line, lstrlenA(line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
}
