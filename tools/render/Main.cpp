#include "tools/render/RenderOptions.h"
#include "tools/render/RenderRun.h"

#include <cstdio>

int main(int argc, char** argv)
{
    RenderOptions options;
    if (!parseRenderOptions(argc, argv, &options)) {
        std::fprintf(stderr, "%s\n", kRenderUsage);
        return kRenderExitUsage;
    }
    if (options.showHelp) {
        std::printf("%s\n", kRenderUsage);
        return kRenderExitNormal;
    }
    return renderFrames(options);
}
