// Arbitrary bytes as the command line GetCommandLineA would hand over.
#include "shell/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string line(reinterpret_cast<const char*>(data), size);
    const CommandLineChoice choice = parseCommandLine(line.c_str());
    if (static_cast<int32_t>(choice.mode) < 0 || static_cast<int32_t>(choice.mode) > 4) {
        __builtin_trap();
    }
    return 0;
}
