#include "shell/CommandLine.h"

#include <cstdlib>

namespace {

const char* skipSpacesAndColons(const char* cursor)
{
    while (*cursor == ' ' || *cursor == ':') {
        ++cursor;
    }
    return cursor;
}

}  // namespace

CommandLineChoice parseCommandLine(const char* text)
{
    CommandLineChoice choice;
    const char* cursor = text != nullptr ? text : "";

    if (*cursor == '"') {
        ++cursor;
        while (*cursor != '\0' && *cursor != '"') {
            ++cursor;
        }
    } else {
        while (*cursor != '\0' && *cursor != ' ') {
            ++cursor;
        }
    }
    if (*cursor != '\0') {
        ++cursor;
    }
    while (*cursor == ' ') {
        ++cursor;
    }

    if (*cursor == '\0') {
        choice.mode = RunMode::Configure;
        return choice;
    }
    if (*cursor == '-' || *cursor == '/') {
        ++cursor;
    }

    switch (*cursor) {
    case 'P':
    case 'p':
    case 'L':
    case 'l':
        choice.mode = RunMode::Preview;
        choice.handle = std::atoi(skipSpacesAndColons(cursor + 1));
        break;
    case 'S':
    case 's':
        choice.mode = RunMode::FullScreen;
        break;
    case 'C':
    case 'c':
        choice.mode = RunMode::Configure;
        cursor = skipSpacesAndColons(cursor + 1);
        if (*cursor == '\0') {
            choice.useForegroundWindow = true;
        } else {
            choice.handle = std::atoi(cursor);
        }
        break;
    case 'A':
    case 'a':
        choice.mode = RunMode::ChangePassword;
        choice.handle = std::atoi(skipSpacesAndColons(cursor + 1));
        break;
    default:
        break;
    }
    return choice;
}
