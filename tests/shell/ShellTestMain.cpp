// The shell tests' entry point. Besides running the tests it serves as the
// "other program" that sends messages to a saver window from outside, and,
// for the programs that need Wine to report Windows 95/98, it starts itself
// again under that version: Wine fixes the reported version when a process
// starts, from HKCU\Software\Wine\AppDefaults\<program>\Version.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

namespace {

#ifdef PELLIX_TESTS_NEED_WIN98
const char* const kRelaunchedVariable = "PELLIX_TEST_WIN98_RELAUNCHED";
const DWORD kWindows9xPlatform = 1;  // VER_PLATFORM_WIN32_WINDOWS

DWORD reportedPlatform()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    return version.dwPlatformId;
}

std::string appDefaultsKey()
{
    char program[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, program, sizeof(program));
    const char* name = std::strrchr(program, '\\');
    return std::string("Software\\Wine\\AppDefaults\\") + (name != nullptr ? name + 1 : program);
}

// Runs this same command line again with the version set for this program
// and returns that run's exit code.
int relaunchAsWindows98()
{
    const std::string key = appDefaultsKey();
    const char version[] = "win98";
    if (!writeRegistryValue(key.c_str(), "Version", REG_SZ, version, sizeof(version))) {
        std::fprintf(stderr, "cannot set %s\n", key.c_str());
        return 1;
    }
    SetEnvironmentVariableA(kRelaunchedVariable, "1");
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = GetCommandLineA();
    DWORD exitCode = 1;
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        std::fprintf(stderr, "cannot start the Windows 98 run\n");
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    return static_cast<int>(exitCode);
}
#endif

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], kSendMessageSwitch) == 0) {
        return sendMessageProcessMain(argc, argv);
    }
#ifdef PELLIX_TESTS_NEED_WIN98
    if (reportedPlatform() != kWindows9xPlatform) {
        if (GetEnvironmentVariableA(kRelaunchedVariable, nullptr, 0) != 0) {
            std::fprintf(stderr, "Wine does not report Windows 95/98 for this program\n");
            return 1;
        }
        return relaunchAsWindows98();
    }
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
