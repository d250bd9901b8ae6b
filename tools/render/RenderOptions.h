#pragma once

#include <cstddef>
#include <cstdint>

// The command line of pellix-render, the offline frame renderer.

const int32_t kSimulatedFps = 24;
const int32_t kMaxRenderSize = 8192;
const double kMaxRenderSeconds = 86400.0;
const int32_t kMaxKeyPresses = 64;

// A command key pressed at a time on the simulated clock.
struct KeyPress {
    uint32_t code = 0;     // Windows virtual-key code, as handleKey takes it
    double seconds = 0.0;  // 0 or more
};

struct RenderOptions {
    int32_t width = 1280;            // pixels, 1 .. kMaxRenderSize
    int32_t height = 720;
    int32_t seed = 1;                // 0 .. 2^31 - 1, the random generator's seed
    double seconds = 3.0;            // simulated run time; at least one frame
    int32_t every = 24;              // keep frames every, 2 * every, ...
    const char* outDir = ".";        // not owned: a literal or one of argv
    bool useMirrors = true;
    bool showHelp = false;
    KeyPress keys[kMaxKeyPresses];   // sorted by time, equal times in the order given
    int32_t keyCount = 0;
};

// One line, no trailing newline.
extern const char* const kRenderUsage;

// Reads argv[1..argc-1]: --size WxH, --seed N, --seconds S, --every K,
// --out DIR, --no-mirrors, --keys LIST, --help. Any unknown option, missing
// or malformed value, or value out of range gives false and leaves *options
// unchanged.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions* options);

// LIST is NAME@SECONDS[,NAME@SECONDS...]; NAME a digit, a letter, or one of
// space, left, up, right, down (any case). False (and nothing written) on
// any malformed entry or more than kMaxKeyPresses entries.
bool parseKeyList(const char* text, KeyPress* keys, int32_t* count);

// The virtual-key code of a key name of `length` characters; 0 when unknown.
uint32_t keyCodeForName(const char* name, size_t length);

// Frames a run of `seconds` takes at kSimulatedFps, rounded to the nearest.
int32_t frameCountFor(double seconds);
