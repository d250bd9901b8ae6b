#include "tools/render/RenderOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

const char* const kRenderUsage =
    "usage: pellix-render [--size WxH] [--seed N] [--seconds S] [--every K] [--out DIR] [--no-mirrors] "
    "[--keys KEY@SECONDS,...]";

namespace {

const uint32_t kVkSpace = 32;
const uint32_t kVkLeft = 37;
const uint32_t kVkUp = 38;
const uint32_t kVkRight = 39;
const uint32_t kVkDown = 40;
const int32_t kLargestSeed = 2147483647;
const size_t kMaxKeyNameLength = 8;

struct NamedKey {
    const char* name;
    uint32_t code;
};

const NamedKey kNamedKeys[] = {
    {"space", kVkSpace}, {"left", kVkLeft}, {"up", kVkUp}, {"right", kVkRight}, {"down", kVkDown},
};

bool readInteger(const char* text, long low, long high, int32_t* value)
{
    if (text == nullptr || !((text[0] >= '0' && text[0] <= '9') || text[0] == '-')) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long read = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || read < low || read > high) {
        return false;
    }
    *value = static_cast<int32_t>(read);
    return true;
}

// A plain decimal number: digits with at most one point, nothing else.
bool readSeconds(const char* text, const char* end, double* value)
{
    if (text == end) {
        return false;
    }
    int points = 0;
    int digits = 0;
    for (const char* c = text; c != end; ++c) {
        if (*c == '.') {
            ++points;
        } else if (*c >= '0' && *c <= '9') {
            ++digits;
        } else {
            return false;
        }
    }
    if (points > 1 || digits == 0) {
        return false;
    }
    char buffer[32] = {};
    const size_t length = static_cast<size_t>(end - text);
    if (length >= sizeof(buffer)) {
        return false;
    }
    std::memcpy(buffer, text, length);
    const double read = std::strtod(buffer, nullptr);
    if (!std::isfinite(read) || read > kMaxRenderSeconds) {
        return false;
    }
    *value = read;
    return true;
}

bool readSize(const char* text, int32_t* width, int32_t* height)
{
    if (text == nullptr) {
        return false;
    }
    const char* cross = std::strchr(text, 'x');
    if (cross == nullptr) {
        return false;
    }
    char widthText[16] = {};
    const size_t length = static_cast<size_t>(cross - text);
    if (length == 0 || length >= sizeof(widthText)) {
        return false;
    }
    std::memcpy(widthText, text, length);
    int32_t w = 0;
    int32_t h = 0;
    if (!readInteger(widthText, 1, kMaxRenderSize, &w) || !readInteger(cross + 1, 1, kMaxRenderSize, &h)) {
        return false;
    }
    *width = w;
    *height = h;
    return true;
}

char lowerCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

uint32_t keyCodeForName(const char* name, size_t length)
{
    if (name == nullptr || length == 0 || length > kMaxKeyNameLength) {
        return 0;
    }
    if (length == 1) {
        const char c = name[0];
        if (c >= '0' && c <= '9') {
            return static_cast<uint32_t>(c);
        }
        if (c >= 'a' && c <= 'z') {
            return static_cast<uint32_t>(c - 'a' + 'A');
        }
        if (c >= 'A' && c <= 'Z') {
            return static_cast<uint32_t>(c);
        }
        return 0;
    }
    for (const NamedKey& named : kNamedKeys) {
        if (std::strlen(named.name) != length) {
            continue;
        }
        size_t i = 0;
        while (i < length && lowerCase(name[i]) == named.name[i]) {
            ++i;
        }
        if (i == length) {
            return named.code;
        }
    }
    return 0;
}

bool parseKeyList(const char* text, KeyPress* keys, int32_t* count)
{
    if (text == nullptr || text[0] == '\0') {
        return false;
    }
    KeyPress read[kMaxKeyPresses];
    int32_t readCount = 0;
    const char* entry = text;
    while (true) {
        const char* comma = std::strchr(entry, ',');
        const char* entryEnd = comma != nullptr ? comma : entry + std::strlen(entry);
        const char* at = static_cast<const char*>(std::memchr(entry, '@', static_cast<size_t>(entryEnd - entry)));
        if (at == nullptr || readCount == kMaxKeyPresses) {
            return false;
        }
        KeyPress press;
        press.code = keyCodeForName(entry, static_cast<size_t>(at - entry));
        if (press.code == 0 || !readSeconds(at + 1, entryEnd, &press.seconds)) {
            return false;
        }
        // Insertion keeps the list in time order; equal times stay as given.
        int32_t slot = readCount;
        while (slot > 0 && read[slot - 1].seconds > press.seconds) {
            read[slot] = read[slot - 1];
            --slot;
        }
        read[slot] = press;
        ++readCount;
        if (comma == nullptr) {
            break;
        }
        entry = comma + 1;
    }
    for (int32_t i = 0; i < readCount; ++i) {
        keys[i] = read[i];
    }
    *count = readCount;
    return true;
}

int32_t frameCountFor(double seconds)
{
    return static_cast<int32_t>(std::floor(seconds * kSimulatedFps + 0.5));
}

bool parseRenderOptions(int argc, const char* const* argv, RenderOptions* options)
{
    RenderOptions read;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (option == nullptr) {
            return false;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool tookValue = true;
        bool ok = true;
        if (std::strcmp(option, "--size") == 0) {
            ok = readSize(value, &read.width, &read.height);
        } else if (std::strcmp(option, "--seed") == 0) {
            ok = readInteger(value, 0, kLargestSeed, &read.seed);
        } else if (std::strcmp(option, "--seconds") == 0) {
            ok = value != nullptr && readSeconds(value, value + std::strlen(value), &read.seconds) &&
                 frameCountFor(read.seconds) >= 1;
        } else if (std::strcmp(option, "--every") == 0) {
            ok = readInteger(value, 1, kLargestSeed, &read.every);
        } else if (std::strcmp(option, "--out") == 0) {
            ok = value != nullptr && value[0] != '\0';
            read.outDir = value;
        } else if (std::strcmp(option, "--keys") == 0) {
            ok = parseKeyList(value, read.keys, &read.keyCount);
        } else if (std::strcmp(option, "--no-mirrors") == 0) {
            read.useMirrors = false;
            tookValue = false;
        } else if (std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0) {
            read.showHelp = true;
            tookValue = false;
        } else {
            return false;
        }
        if (!ok) {
            return false;
        }
        if (tookValue) {
            ++i;
        }
    }
    *options = read;
    return true;
}
