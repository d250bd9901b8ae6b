// Command lines of 100,000 characters through the real parser: whatever
// their shape, the parser stays inside the text and picks the mode the
// leading characters name. (Windows itself passes at most 32,767 characters
// to a program; the parser must not depend on that.)

#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const size_t kLength = 100000;

struct LongLineCase {
    const char* title;
    std::string text;
    RunMode mode;
};

std::string padded(const std::string& start, char fill)
{
    std::string text = start;
    text.resize(kLength, fill);
    return text;
}

TEST(LongCommandLine, ParsesWithinTheTextWhateverItHolds)
{
    const LongLineCase cases[] = {
        {"program name only", padded("p", 'p'), RunMode::Configure},
        {"quoted program name never closed", padded("\"C:\\saver", 'a'), RunMode::Configure},
        {"spaces after the name", padded("p.scr", ' '), RunMode::Configure},
        {"full screen then text", padded("p.scr /s ", 'x'), RunMode::FullScreen},
        {"preview with a huge number", padded("p.scr /p ", '9'), RunMode::Preview},
        {"preview with endless colons", padded("p.scr /p", ':'), RunMode::Preview},
        {"configure with a huge owner", padded("p.scr /c:", '7'), RunMode::Configure},
        {"password change with spaces", padded("p.scr /a", ' '), RunMode::ChangePassword},
        {"unknown switch run on", padded("p.scr /", 'q'), RunMode::None},
        {"switch characters only", padded("p.scr ", '/'), RunMode::None},
    };
    for (const LongLineCase& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        ASSERT_EQ(testCase.text.size(), kLength);
        const CommandLineChoice choice = parseCommandLine(testCase.text.c_str());
        EXPECT_EQ(choice.mode, testCase.mode);
    }
}

}  // namespace
