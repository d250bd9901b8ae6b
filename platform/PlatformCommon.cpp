// The parts of the seam that are the same on every platform: the test
// counter and the resource overrides.
#include "platform/Platform.h"
#include "platform/PlatformInternal.h"

#include <cstring>

namespace {

struct TestCounter {
    bool active = false;
    int64_t frequency = 0;
    int64_t value = 0;
};

struct ResourceOverride {
    const char* name = nullptr;
    const unsigned char* data = nullptr;
    uint32_t size = 0;
};

TestCounter gTestCounter;
ResourceOverride gOverrides[kMaxResourceOverrides];

}  // namespace

void platformUseTestCounter(int64_t frequency, int64_t value)
{
    gTestCounter.active = true;
    gTestCounter.frequency = frequency;
    gTestCounter.value = value;
}

void platformSetTestCounterValue(int64_t value)
{
    gTestCounter.value = value;
}

void platformUseRealCounter()
{
    gTestCounter.active = false;
}

int64_t platformCounterValue()
{
    return gTestCounter.active ? gTestCounter.value : platformRealCounterValue();
}

int64_t platformCounterFrequency()
{
    return gTestCounter.active ? gTestCounter.frequency : platformRealCounterFrequency();
}

bool platformOverrideResource(const char* name, const unsigned char* data, uint32_t size)
{
    for (ResourceOverride& entry : gOverrides) {
        if (entry.name != nullptr && std::strcmp(entry.name, name) == 0) {
            entry.data = data;
            entry.size = size;
            return true;
        }
    }
    for (ResourceOverride& entry : gOverrides) {
        if (entry.name == nullptr) {
            entry.name = name;
            entry.data = data;
            entry.size = size;
            return true;
        }
    }
    return false;
}

void platformClearResourceOverrides()
{
    for (ResourceOverride& entry : gOverrides) {
        entry = ResourceOverride();
    }
}

bool platformFindResource(const char* name, const unsigned char** data, uint32_t* size)
{
    if (name == nullptr) {
        return false;
    }
    for (const ResourceOverride& entry : gOverrides) {
        if (entry.name != nullptr && std::strcmp(entry.name, name) == 0) {
            if (entry.data == nullptr || entry.size == 0) {
                return false;
            }
            *data = entry.data;
            *size = entry.size;
            return true;
        }
    }
    return platformFindEmbeddedResource(name, data, size);
}
