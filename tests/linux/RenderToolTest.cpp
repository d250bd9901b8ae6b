#include "tools/render/PngFile.h"
#include "tools/render/RenderOptions.h"
#include "tools/render/RenderRun.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string temporaryFolder()
{
    char pattern[] = "/tmp/pellix-render-test.XXXXXX";
    const char* made = mkdtemp(pattern);
    return made != nullptr ? std::string(made) : std::string();
}

bool exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

struct OptionsCase {
    std::vector<const char*> arguments;
    bool accepted;
};

TEST(RenderOptions, AcceptsWellFormedLinesOnly)
{
    const OptionsCase cases[] = {
        {{}, true},
        {{"--size", "640x360", "--seed", "7", "--seconds", "2.5", "--every", "12", "--out", "d"}, true},
        {{"--no-mirrors", "--keys", "2@3.0,M@6.5"}, true},
        {{"--size", "1x1"}, true},
        {{"--size", "8192x8192"}, true},
        {{"--seed", "0"}, true},
        {{"--seed", "2147483647"}, true},
        {{"--seconds", "0.03"}, true},
        {{"--size"}, false},
        {{"--size", "640"}, false},
        {{"--size", "0x360"}, false},
        {{"--size", "640x"}, false},
        {{"--size", "x360"}, false},
        {{"--size", "8193x10"}, false},
        {{"--size", "640x360x2"}, false},
        {{"--size", "-640x360"}, false},
        {{"--seed", "-1"}, false},
        {{"--seed", "2147483648"}, false},
        {{"--seed", "7a"}, false},
        {{"--seed", " 7"}, false},
        {{"--seconds", "0"}, false},
        {{"--seconds", "0.01"}, false},
        {{"--seconds", "-1"}, false},
        {{"--seconds", "1e3"}, false},
        {{"--seconds", "nan"}, false},
        {{"--seconds", "100000"}, false},
        {{"--every", "0"}, false},
        {{"--out", ""}, false},
        {{"--out"}, false},
        {{"--keys", ""}, false},
        {{"--keys", "2"}, false},
        {{"--keys", "2@"}, false},
        {{"--keys", "@1"}, false},
        {{"--keys", "2@1,"}, false},
        {{"--keys", "F1@1"}, false},
        {{"--keys", "2@-1"}, false},
        {{"--keys", "2@1.0.0"}, false},
        {{"--bogus"}, false},
        {{"-size", "640x360"}, false},
    };
    for (const OptionsCase& c : cases) {
        std::vector<const char*> argv = {"pellix-render"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        std::string shown;
        for (const char* a : c.arguments) {
            shown += std::string(a) + " ";
        }
        RenderOptions options;
        options.seed = 99;  // a marker: a refused line leaves it as it was
        EXPECT_EQ(parseRenderOptions(static_cast<int>(argv.size()), argv.data(), &options), c.accepted) << shown;
        if (!c.accepted) {
            EXPECT_EQ(options.seed, 99) << shown;
        }
    }
}

TEST(RenderOptions, ReadsTheValues)
{
    const char* argv[] = {"pellix-render", "--size", "320x200", "--seed", "42", "--seconds", "1.5",
                          "--every", "6", "--out", "out/dir", "--no-mirrors"};
    RenderOptions options;
    ASSERT_TRUE(parseRenderOptions(12, argv, &options));
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 200);
    EXPECT_EQ(options.seed, 42);
    EXPECT_DOUBLE_EQ(options.seconds, 1.5);
    EXPECT_EQ(frameCountFor(options.seconds), 36);
    EXPECT_EQ(options.every, 6);
    EXPECT_STREQ(options.outDir, "out/dir");
    EXPECT_FALSE(options.useMirrors);
    EXPECT_EQ(options.keyCount, 0);
}

TEST(RenderOptions, KeyListsAreNamedAndPutInTimeOrder)
{
    KeyPress keys[kMaxKeyPresses];
    int32_t count = 0;
    ASSERT_TRUE(parseKeyList("M@6.5,2@3.0,space@3,UP@0,0@3.0,s@1", keys, &count));
    const KeyPress expected[] = {{38, 0.0}, {83, 1.0}, {50, 3.0}, {32, 3.0}, {48, 3.0}, {77, 6.5}};
    ASSERT_EQ(count, 6);
    for (int32_t i = 0; i < count; ++i) {
        EXPECT_EQ(keys[i].code, expected[i].code) << i;
        EXPECT_DOUBLE_EQ(keys[i].seconds, expected[i].seconds) << i;
    }

    std::string tooMany;
    for (int32_t i = 0; i <= kMaxKeyPresses; ++i) {
        tooMany += (i == 0 ? "" : ",") + std::string("1@1");
    }
    count = 5;
    EXPECT_FALSE(parseKeyList(tooMany.c_str(), keys, &count));
    EXPECT_EQ(count, 5);
}

TEST(RenderOptions, KeyNames)
{
    struct NameCase {
        const char* name;
        uint32_t code;
    };
    const NameCase cases[] = {
        {"0", 48}, {"9", 57}, {"m", 77}, {"M", 77}, {"z", 90}, {"space", 32}, {"Left", 37},
        {"up", 38}, {"RIGHT", 39}, {"down", 40}, {"", 0}, {"-", 0}, {"spaces", 0}, {"upp", 0},
    };
    for (const NameCase& c : cases) {
        EXPECT_EQ(keyCodeForName(c.name, std::string(c.name).size()), c.code) << c.name;
    }
}

std::vector<uint8_t> readPngRgb(const std::string& path, png_uint_32* width, png_uint_32* height)
{
    std::vector<uint8_t> rgb;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        return rgb;
    }
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        rgb.clear();
    }
    *width = image.width;
    *height = image.height;
    return rgb;
}

TEST(PngFile, WritesTopRowFirstAndDropsAlpha)
{
    const std::string folder = temporaryFolder();
    ASSERT_FALSE(folder.empty());
    const int32_t width = 3;
    const int32_t height = 2;
    // Bottom row first, as glReadPixels leaves it.
    const std::vector<uint8_t> rgba = {
        10, 11, 12, 0, 20, 21, 22, 50, 30, 31, 32, 255,        // bottom row
        40, 41, 42, 255, 50, 51, 52, 255, 60, 61, 62, 255,     // top row
    };
    const std::string path = folder + "/frame.png";
    ASSERT_TRUE(writePngFromBottomUp(path.c_str(), rgba.data(), width, height));
    png_uint_32 readWidth = 0;
    png_uint_32 readHeight = 0;
    const std::vector<uint8_t> rgb = readPngRgb(path, &readWidth, &readHeight);
    EXPECT_EQ(readWidth, 3u);
    EXPECT_EQ(readHeight, 2u);
    const std::vector<uint8_t> expected = {40, 41, 42, 50, 51, 52, 60, 61, 62, 10, 11, 12, 20, 21, 22, 30, 31, 32};
    EXPECT_EQ(rgb, expected);

    // The same pixels give the same bytes.
    const std::string again = folder + "/again.png";
    ASSERT_TRUE(writePngFromBottomUp(again.c_str(), rgba.data(), width, height));
    FILE* first = std::fopen(path.c_str(), "rb");
    FILE* second = std::fopen(again.c_str(), "rb");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    int a = 0;
    int b = 0;
    do {
        a = std::fgetc(first);
        b = std::fgetc(second);
        ASSERT_EQ(a, b);
    } while (a != EOF);
    std::fclose(first);
    std::fclose(second);

    const std::string nowhere = folder + "/missing/frame.png";
    EXPECT_FALSE(writePngFromBottomUp(nowhere.c_str(), rgba.data(), width, height));
    EXPECT_FALSE(exists(nowhere));
    std::remove(path.c_str());
    std::remove(again.c_str());
    rmdir(folder.c_str());
}

TEST(RenderRun, MakesNestedFoldersAndRefusesFiles)
{
    const std::string folder = temporaryFolder();
    ASSERT_FALSE(folder.empty());
    const std::string nested = folder + "/a/b/c";
    EXPECT_TRUE(makeDirectories(nested.c_str()));
    EXPECT_TRUE(makeDirectories(nested.c_str()));  // already there
    EXPECT_TRUE(makeDirectories((nested + "/").c_str()));
    const std::string file = folder + "/plain";
    FILE* made = std::fopen(file.c_str(), "w");
    ASSERT_NE(made, nullptr);
    std::fclose(made);
    EXPECT_FALSE(makeDirectories(file.c_str()));
    EXPECT_FALSE(makeDirectories((file + "/below").c_str()));
    EXPECT_FALSE(makeDirectories(""));
    std::remove(file.c_str());
    rmdir(nested.c_str());
    rmdir((folder + "/a/b").c_str());
    rmdir((folder + "/a").c_str());
    rmdir(folder.c_str());
}

}  // namespace
