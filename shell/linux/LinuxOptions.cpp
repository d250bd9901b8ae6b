#include "shell/linux/LinuxOptions.h"

#include <cstring>

const char* const kLinuxUsage =
    "usage: pellix [-fullscreen | -root | -window-id ID] [-no-mirrors] [-fps] [-help]";

namespace {

const unsigned long kLargestWindowId = 0xFFFFFFFFul;
const unsigned kHexBase = 16;
const unsigned kDecimalBase = 10;

// "-name" and "--name" both match.
bool isOption(const char* argument, const char* name)
{
    if (argument[0] != '-') {
        return false;
    }
    const char* rest = argument + 1;
    if (rest[0] == '-') {
        ++rest;
    }
    return std::strcmp(rest, name) == 0;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

bool parseWindowId(const char* text, unsigned long* id)
{
    if (text == nullptr || text[0] == '\0') {
        return false;
    }
    unsigned base = kDecimalBase;
    const char* digits = text;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = kHexBase;
        digits = text + 2;
    }
    if (digits[0] == '\0') {
        return false;
    }
    unsigned long value = 0;
    for (const char* c = digits; *c != '\0'; ++c) {
        const int digit = digitValue(*c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return false;
        }
        value = value * base + static_cast<unsigned long>(digit);
        if (value > kLargestWindowId) {
            return false;
        }
    }
    if (value == 0) {
        return false;
    }
    *id = value;
    return true;
}

bool parseLinuxOptions(int argc, const char* const* argv, LinuxOptions* options)
{
    LinuxOptions read;
    int modeCount = 0;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument == nullptr) {
            return false;
        }
        if (isOption(argument, "fullscreen")) {
            read.mode = LinuxMode::FullScreen;
            ++modeCount;
        } else if (isOption(argument, "root")) {
            read.mode = LinuxMode::Root;
            ++modeCount;
        } else if (isOption(argument, "window-id")) {
            if (i + 1 >= argc || !parseWindowId(argv[i + 1], &read.windowId)) {
                return false;
            }
            ++i;
            read.mode = LinuxMode::WindowId;
            ++modeCount;
        } else if (isOption(argument, "no-mirrors")) {
            read.useMirrors = false;
        } else if (isOption(argument, "fps")) {
            read.showFps = true;
        } else if (isOption(argument, "help") || isOption(argument, "h")) {
            read.showHelp = true;
        } else {
            return false;
        }
    }
    if (modeCount > 1) {
        return false;
    }
    *options = read;
    return true;
}
