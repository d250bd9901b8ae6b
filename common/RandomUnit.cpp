#include "common/RandomUnit.h"

#include "platform/Platform.h"

double randomUnit()
{
    return static_cast<double>(platformRandom()) * static_cast<double>(kRandomScale);
}
