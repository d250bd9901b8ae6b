#include "common/StartupTrace.h"
#include "shell/linux/LinuxOptions.h"
#include "shell/linux/LinuxSaver.h"

#include <cstdio>

int main(int argc, char** argv)
{
    traceStartup("entry");
    LinuxOptions options;
    if (!parseLinuxOptions(argc, argv, &options)) {
        std::fprintf(stderr, "%s\n", kLinuxUsage);
        return kExitUsage;
    }
    if (options.showHelp) {
        std::printf("%s\n", kLinuxUsage);
        return kExitNormal;
    }
    installStopSignals();
    LinuxSaver saver;
    return saver.run(options);
}
