#include "platform/Platform.h"
#include "platform/PlatformInternal.h"

#include <cstring>
#include <ctime>

namespace {

const int64_t kNanosecondsPerSecond = 1000000000;

// The Windows C runtime's rand(): state * 214013 + 2531011, bits 16..30.
const uint32_t kRandMultiplier = 214013u;
const uint32_t kRandIncrement = 2531011u;
uint32_t gRandomState = 1u;

}  // namespace

// The streams linked in by EmbeddedResources.S.
extern "C" {
extern const unsigned char pellixResourceRgb[];
extern const unsigned char pellixResourceRgbEnd[];
extern const unsigned char pellixResourceMask[];
extern const unsigned char pellixResourceMaskEnd[];
extern const unsigned char pellixResourceClouds[];
extern const unsigned char pellixResourceCloudsEnd[];
extern const unsigned char pellixResourceLogo[];
extern const unsigned char pellixResourceLogoEnd[];
}

int64_t platformRealCounterValue()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

int64_t platformRealCounterFrequency()
{
    return kNanosecondsPerSecond;
}

uint32_t platformMilliseconds()
{
    return static_cast<uint32_t>(platformRealCounterValue() / 1000000);
}

bool platformFindEmbeddedResource(const char* name, const unsigned char** data, uint32_t* size)
{
    struct Entry {
        const char* name;
        const unsigned char* begin;
        const unsigned char* end;
    };
    const Entry entries[] = {
        {"JPEG_PELLIX_RGB", pellixResourceRgb, pellixResourceRgbEnd},
        {"JPEG_PELLIX_MASK", pellixResourceMask, pellixResourceMaskEnd},
        {"CLOUDS_MASK", pellixResourceClouds, pellixResourceCloudsEnd},
        {"LOGO_MASK", pellixResourceLogo, pellixResourceLogoEnd},
    };
    for (const Entry& entry : entries) {
        if (std::strcmp(entry.name, name) == 0) {
            const uint32_t length = static_cast<uint32_t>(entry.end - entry.begin);
            if (length == 0) {
                return false;
            }
            *data = entry.begin;
            *size = length;
            return true;
        }
    }
    return false;
}

void platformSleepMs(int milliseconds)
{
    if (milliseconds <= 0) {
        return;
    }
    timespec pause{};
    pause.tv_sec = milliseconds / 1000;
    pause.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&pause, &pause) != 0) {
    }
}

void platformSeedRandom(unsigned seed)
{
    gRandomState = seed;
}

int platformRandom()
{
    gRandomState = gRandomState * kRandMultiplier + kRandIncrement;
    return static_cast<int>((gRandomState >> 16) & 0x7fffu);
}
