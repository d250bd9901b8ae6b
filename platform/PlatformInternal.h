#pragma once

// What each platform file supplies to PlatformCommon.cpp.
#include <cstdint>

int64_t platformRealCounterValue();
int64_t platformRealCounterFrequency();

// The program's own embedded stream `name`; same contract as
// platformFindResource.
bool platformFindEmbeddedResource(const char* name, const unsigned char** data, uint32_t* size);
