#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* line;
    RunMode mode;
    intptr_t handle;
    bool foreground;
};

const Case kCases[] = {
    {"pellix.scr", RunMode::Configure, 0, false},
    {"", RunMode::Configure, 0, false},
    {"pellix.scr   ", RunMode::Configure, 0, false},
    {"pellix.scr /c", RunMode::Configure, 0, true},
    {"pellix.scr /c:0", RunMode::Configure, 0, false},
    {"pellix.scr /c 5000", RunMode::Configure, 5000, false},
    {"pellix.scr /C::  77", RunMode::Configure, 77, false},
    {"pellix.scr /p 1234", RunMode::Preview, 1234, false},
    {"pellix.scr /p:1234", RunMode::Preview, 1234, false},
    {"pellix.scr -P1234", RunMode::Preview, 1234, false},
    {"pellix.scr l 1234", RunMode::Preview, 1234, false},
    {"pellix.scr /L : 99 12", RunMode::Preview, 99, false},
    {"pellix.scr /p x12", RunMode::Preview, 0, false},
    {"pellix.scr /p", RunMode::Preview, 0, false},
    {"pellix.scr /s", RunMode::FullScreen, 0, false},
    {"pellix.scr S", RunMode::FullScreen, 0, false},
    {"pellix.scr /save", RunMode::FullScreen, 0, false},
    {"pellix.scr /s 1234", RunMode::FullScreen, 0, false},
    {"\"C:\\Program Files\\pellix.scr\" /s", RunMode::FullScreen, 0, false},
    {"\"C:\\Program Files\\pellix.scr\"/s", RunMode::FullScreen, 0, false},
    {"\"C:\\unterminated /s", RunMode::Configure, 0, false},
    {"pellix.scr/s", RunMode::Configure, 0, false},
    {"pellix.scr\t/s", RunMode::Configure, 0, false},
    {"pellix.scr \t/s", RunMode::None, 0, false},
    {"pellix.scr /x", RunMode::None, 0, false},
    {"pellix.scr /", RunMode::None, 0, false},
    {"pellix.scr -", RunMode::None, 0, false},
    {"pellix.scr //s", RunMode::None, 0, false},
    {"pellix.scr /a", RunMode::ChangePassword, 0, false},
    {"pellix.scr /a 4242", RunMode::ChangePassword, 4242, false},
    {"pellix.scr -A:17", RunMode::ChangePassword, 17, false},
};

}  // namespace

TEST(CommandLine, ReadsEveryFormOfTheSwitches)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        const CommandLineChoice choice = parseCommandLine(c.line);
        EXPECT_EQ(choice.mode, c.mode);
        EXPECT_EQ(choice.handle, c.handle);
        EXPECT_EQ(choice.useForegroundWindow, c.foreground);
    }
}

TEST(CommandLine, NullAndHugeLinesAreSafe)
{
    EXPECT_EQ(parseCommandLine(nullptr).mode, RunMode::Configure);
    std::string longLine = "pellix.scr /p " + std::string(100000, '9');
    EXPECT_EQ(parseCommandLine(longLine.c_str()).mode, RunMode::Preview);
    std::string spaces = "pellix.scr" + std::string(100000, ' ');
    EXPECT_EQ(parseCommandLine(spaces.c_str()).mode, RunMode::Configure);
}
