#pragma once

#include "tools/render/RenderOptions.h"

// One offline run: the renderer and its scene in an EGL context of the
// chosen size, the clock driven by a simulated counter at kSimulatedFps, the
// keys handed to handleKey before the first frame at or after their time.
// Frames are numbered from 1 (at 1/24 s); frame n is kept when n is a
// multiple of `every` and written as DIR/frame-NNNNN.png, its path printed
// on standard output. The same options give the same bytes on the same Mesa.

const int kRenderExitNormal = 0;
const int kRenderExitFailure = 1;
const int kRenderExitUsage = 2;

// Returns the process exit code.
int renderFrames(const RenderOptions& options);

// mkdir -p: true when `path` is a directory afterwards.
bool makeDirectories(const char* path);
