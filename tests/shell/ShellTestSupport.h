#pragma once

// In-process helpers for the shell tests under Wine: the registry keys the
// saver reads, a real saver window driven by saverWindowProc with its
// messages dispatched the way the frame loop does, the stand-in password
// DLLs placed beside the test program, and a second process to send
// messages from outside.

#include "shell/win32/SaverState.h"

#include <functional>
#include <string>
#include <vector>

extern const char* const kScreenSaversKey;
extern const char* const kSaverKey;

// --- Registry (current user) -------------------------------------------
// Creates the key when missing. False when the key or value cannot be written.
bool writeRegistryValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);
bool writeRegistryDword(const char* key, const char* name, uint32_t value);
// Removes everything the saver reads or writes, so each case starts from a
// clean user hive: the two shared values (and their key when nothing else is
// in it) and the saver's own key with its parent when empty.
void removeSaverSettings();

// Replaces the key's access list with one entry that grants everyone only
// `access` (0: nothing at all); the owner can still change the list, so
// allowRegistryKey(path) gives full access back. False when the key cannot
// be opened to change its list or the list is refused.
bool restrictRegistryKey(const char* key, DWORD access);
bool allowRegistryKey(const char* key);

// What a value holds now; false when it is missing.
bool readRegistryValue(const char* key, const char* name, DWORD* type, std::vector<unsigned char>* data);

// --- Files ---------------------------------------------------------------
// The folder of the running test program, with a trailing backslash.
std::string programDirectory();
// A fresh, empty file name in the temporary folder (the file is removed).
std::string freshTempPath(const char* prefix);
// The lines of a text file; empty when it does not exist.
std::vector<std::string> readLines(const std::string& path);
size_t countLinesStartingWith(const std::vector<std::string>& lines, const char* start);

// The control panel beside the program, for LoadLibraryA("PASSWORD.CPL").
enum class PasswordPanel { Missing, Answering, WithoutVerify };
bool placePasswordPanel(PasswordPanel panel);

// --- Messages --------------------------------------------------------------
// Dispatches every message of the thread's queue until it is empty, as the
// frame loop does; returns true when WM_QUIT was among them, and then also
// sets gQuitPosted.
bool pumpMessages();
extern bool gQuitPosted;
// Pumps until condition() holds or timeoutMs passes; returns condition().
bool pumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);
const DWORD kGenerousWaitMs = 20000;

// Starts this program again as a separate process that sends `message` to
// `target` with SendMessageTimeout, and pumps until it has ended. True when
// the other process reports that the message was delivered.
bool sendFromAnotherProcess(HWND target, UINT message, WPARAM wParam, LPARAM lParam);
// The other process's side; called by the test program's main.
int sendMessageProcessMain(int argc, char** argv);
extern const char* const kSendMessageSwitch;

// Moves the real cursor and waits until the system reports it there.
bool moveCursorTo(int x, int y);

// --- The saver window ------------------------------------------------------
// A real saver window in the given mode with its own SaverState, settings
// loaded from the registry as at start-up. gRunMode, gSaverState and
// gSaverWindow point at it while it lives. A preview gets a visible host
// window as its parent.
struct TestSaverWindow {
    SaverState state;
    HWND host = nullptr;
    HWND window = nullptr;

    explicit TestSaverWindow(RunMode mode);
    ~TestSaverWindow();
    TestSaverWindow(const TestSaverWindow&) = delete;
    TestSaverWindow& operator=(const TestSaverWindow&) = delete;

    bool isOpen() const;
    // Whether WM_QUIT came out of the queue since this window was made.
    bool quitPosted() const;
    void pump();
    // Posts a message to the saver window and dispatches the queue.
    void post(UINT message, WPARAM wParam, LPARAM lParam);
    // Waits until the tick count has moved past the window's start tick, so
    // that a grace period of 0 seconds is over.
    bool waitPastStartTick();
};

// A visible top-level window of this program that takes the activation
// away from the saver window while it lives.
struct OtherWindow {
    HWND window = nullptr;
    OtherWindow();
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    bool activate();
};

// The lParam of a key message with Alt held (context code, bit 29).
const LPARAM kAltHeldKeyData = static_cast<LPARAM>(1) << 29;
