#include "common/StartupTrace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kTraceVariable[] = "PELLIX_TRACE_STARTUP";

// Read once: the answer cannot change while the process runs.
bool tracing()
{
    static const bool enabled = [] {
        const char* value = std::getenv(kTraceVariable);
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

}  // namespace

void traceStartup(const char* milestone)
{
    traceStartup(milestone, nullptr);
}

void traceStartup(const char* milestone, const char* detail)
{
    if (!tracing()) {
        return;
    }
    // Wall-clock time, so that a script can set it against the moment it
    // started the process, also across Wine.
    const long long ms = static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch()).count());
    std::fprintf(stderr, "pellix-trace %lld %s%s%s\n", ms, milestone, detail != nullptr ? " " : "",
                 detail != nullptr ? detail : "");
    std::fflush(stderr);
}
