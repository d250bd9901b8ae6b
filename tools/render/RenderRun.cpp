#include "tools/render/RenderRun.h"

#include "platform/Platform.h"
#include "renderer/KaleidoRenderer.h"
#include "tools/render/OffscreenGl.h"
#include "tools/render/PngFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Counts per simulated frame: the clock's millisecond arithmetic then sees
// exactly 1000 / 24 ms per frame.
const int64_t kCountsPerFrame = 1000;
const int64_t kCounterFrequency = kCountsPerFrame * kSimulatedFps;
const double kKeyTimeTolerance = 1e-6;
const size_t kMaxPathLength = 4096;
const mode_t kDirectoryMode = 0777;

bool isDirectory(const char* path)
{
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

bool makeDirectories(const char* path)
{
    char partial[kMaxPathLength] = {};
    const size_t length = std::strlen(path);
    if (length == 0 || length >= sizeof(partial)) {
        return false;
    }
    for (size_t i = 1; i <= length; ++i) {
        if (path[i] == '/' || path[i] == '\0') {
            std::memcpy(partial, path, i);
            partial[i] = '\0';
            if (mkdir(partial, kDirectoryMode) != 0 && errno != EEXIST) {
                return false;
            }
        }
    }
    return isDirectory(path);
}

int renderFrames(const RenderOptions& options)
{
    if (!makeDirectories(options.outDir)) {
        std::fprintf(stderr, "pellix-render: cannot make the folder %s\n", options.outDir);
        return kRenderExitFailure;
    }

    // The clock's origin is read by the renderer's set-up: the simulated
    // counter must be in place before it.
    platformUseTestCounter(kCounterFrequency, 0);
    gFixedRandomSeed = options.seed;

    OffscreenGl gl;
    if (!gl.open(options.width, options.height)) {
        gl.close();
        platformUseRealCounter();
        return kRenderExitFailure;
    }
    KaleidoRenderer* renderer = new (std::nothrow) KaleidoRenderer(options.width, options.height);
    if (renderer == nullptr) {
        std::fprintf(stderr, "pellix-render: out of memory\n");
        gl.close();
        platformUseRealCounter();
        return kRenderExitFailure;
    }

    const uint32_t flags = options.useMirrors ? FrameFlagMirrors : 0u;
    const int32_t frameCount = frameCountFor(options.seconds);
    std::vector<uint8_t> pixels;
    int32_t nextKey = 0;
    int exitCode = kRenderExitNormal;
    for (int32_t frame = 1; frame <= frameCount && exitCode == kRenderExitNormal; ++frame) {
        while (nextKey < options.keyCount &&
               options.keys[nextKey].seconds * kSimulatedFps <= frame + kKeyTimeTolerance) {
            renderer->handleKey(options.keys[nextKey].code);
            ++nextKey;
        }
        platformSetTestCounterValue(frame * kCountsPerFrame);
        renderer->drawFrame(flags);
        if (frame % options.every != 0) {
            continue;
        }
        char path[kMaxPathLength] = {};
        const int written = std::snprintf(path, sizeof(path), "%s/frame-%05d.png", options.outDir, frame);
        if (written < 0 || static_cast<size_t>(written) >= sizeof(path)) {
            std::fprintf(stderr, "pellix-render: the folder name is too long\n");
            exitCode = kRenderExitFailure;
            break;
        }
        gl.readBackBuffer(&pixels);
        if (!writePngFromBottomUp(path, pixels.data(), options.width, options.height)) {
            exitCode = kRenderExitFailure;
            break;
        }
        std::printf("%s\n", path);
    }
    std::fflush(stdout);

    delete renderer;
    gRenderer = nullptr;
    gl.close();
    platformUseRealCounter();
    return exitCode;
}
