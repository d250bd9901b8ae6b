// The three settings against Wine's real registry of the current user.
#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct StoredValue {
    const char* key;
    const char* name;
    DWORD type;
    std::vector<unsigned char> data;
};

struct LoadCase {
    const char* title;
    std::vector<StoredValue> stored;
    int32_t passwordDelay;
    int32_t mouseThreshold;
    int32_t useMirrors;
};

std::vector<unsigned char> bytesOf(uint32_t value)
{
    return {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
        static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
}

std::vector<unsigned char> textOf(const char* text)
{
    return std::vector<unsigned char>(text, text + std::strlen(text) + 1);
}

const char* const kDelay = "Password Delay";
const char* const kThreshold = "Mouse Threshold";
const char* const kMirrors = "UseMirrors";

struct SettingsTest : testing::Test {
    void SetUp() override { removeSaverSettings(); }
    void TearDown() override { removeSaverSettings(); }
};

TEST_F(SettingsTest, LoadsEachValueAsFourBytesWhateverItsType)
{
    const LoadCase cases[] = {
        {"nothing stored", {}, 15, 50, 1},
        {"mirrors off", {{kSaverKey, kMirrors, REG_DWORD, bytesOf(0)}}, 15, 50, 0},
        {"mirrors on", {{kSaverKey, kMirrors, REG_DWORD, bytesOf(1)}}, 15, 50, 1},
        {"mirrors any other non-zero", {{kSaverKey, kMirrors, REG_DWORD, bytesOf(2)}}, 15, 50, 2},
        {"eight bytes are too long",
            {{kSaverKey, kMirrors, REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0}},
                {kScreenSaversKey, kThreshold, REG_BINARY, {9, 0, 0, 0, 0, 0, 0, 0}}},
            15, 50, 1},
        {"a string of four characters is too long",
            {{kSaverKey, kMirrors, REG_SZ, textOf("0000")}, {kScreenSaversKey, kDelay, REG_SZ, textOf("1234")}},
            15, 50, 1},
        {"a string of three characters fits and reads as its bytes",
            {{kScreenSaversKey, kDelay, REG_SZ, textOf("abc")}}, 0x00636261, 50, 1},
        {"four binary bytes are accepted", {{kScreenSaversKey, kThreshold, REG_BINARY, bytesOf(300)}}, 15, 300, 1},
        {"shorter data fills the low bytes", {{kScreenSaversKey, kThreshold, REG_BINARY, {7, 0}}}, 15, 7, 1},
        {"no grace period", {{kScreenSaversKey, kDelay, REG_DWORD, bytesOf(0)}}, 0, 50, 1},
        {"grace period of minus one",
            {{kScreenSaversKey, kDelay, REG_DWORD, bytesOf(0xFFFFFFFFu)}}, -1, 50, 1},
        {"all three together",
            {{kScreenSaversKey, kDelay, REG_DWORD, bytesOf(30)},
                {kScreenSaversKey, kThreshold, REG_DWORD, bytesOf(5)},
                {kSaverKey, kMirrors, REG_DWORD, bytesOf(0)}},
            30, 5, 0},
    };
    for (const LoadCase& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        removeSaverSettings();
        for (const StoredValue& value : testCase.stored) {
            ASSERT_TRUE(writeRegistryValue(value.key, value.name, value.type, value.data.data(),
                static_cast<DWORD>(value.data.size())));
        }
        SaverState state;
        state.checkingPassword = 1;
        state.loadScreenSaverSettings();
        state.loadMirrorSetting();
        EXPECT_EQ(state.passwordDelay, testCase.passwordDelay);
        EXPECT_EQ(state.mouseThreshold, testCase.mouseThreshold);
        EXPECT_EQ(state.useMirrors, testCase.useMirrors);
        EXPECT_EQ(state.checkingPassword, 0);
    }
}

// The keys are opened for full access although only read: one the user may
// only read, or not open at all, leaves every default standing, and saving
// into it changes nothing and fails quietly.
TEST_F(SettingsTest, AKeyThatCannotBeOpenedForFullAccessLeavesTheDefaults)
{
    const struct {
        const char* title;
        DWORD access;
    } cases[] = {{"read only", KEY_READ}, {"no access", 0}};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.title);
        removeSaverSettings();
        ASSERT_TRUE(writeRegistryDword(kScreenSaversKey, kDelay, 30));
        ASSERT_TRUE(writeRegistryDword(kScreenSaversKey, kThreshold, 5));
        ASSERT_TRUE(writeRegistryDword(kSaverKey, kMirrors, 0));
        ASSERT_TRUE(restrictRegistryKey(kScreenSaversKey, testCase.access));
        ASSERT_TRUE(restrictRegistryKey(kSaverKey, testCase.access));
        HKEY probe = nullptr;
        const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kSaverKey, 0, KEY_ALL_ACCESS, &probe);
        if (opened == ERROR_SUCCESS) {
            RegCloseKey(probe);
        }

        SaverState state;
        state.loadScreenSaverSettings();
        state.loadMirrorSetting();
        const int32_t loadedMirrors = state.useMirrors;
        state.useMirrors = 1;
        state.saveMirrorSetting();

        EXPECT_TRUE(allowRegistryKey(kScreenSaversKey));
        EXPECT_TRUE(allowRegistryKey(kSaverKey));
        ASSERT_EQ(opened, ERROR_ACCESS_DENIED) << "the registry did not refuse the restricted key";
        EXPECT_EQ(state.passwordDelay, 15);
        EXPECT_EQ(state.mouseThreshold, 50);
        EXPECT_EQ(loadedMirrors, 1);
        DWORD type = 0;
        std::vector<unsigned char> data;
        ASSERT_TRUE(readRegistryValue(kSaverKey, kMirrors, &type, &data));
        EXPECT_EQ(data, bytesOf(0));
    }
}

TEST_F(SettingsTest, ConstructionLeavesNoWindowAndNoCloseRequest)
{
    SaverState state;
    EXPECT_EQ(state.window, nullptr);
    EXPECT_EQ(state.closeRequested, 0);
}

TEST_F(SettingsTest, SavingCreatesTheKeyAndWritesADword)
{
    const int32_t values[] = {1, 0, 7, -1};
    for (int32_t value : values) {
        SCOPED_TRACE(value);
        removeSaverSettings();
        DWORD type = 0;
        std::vector<unsigned char> data;
        ASSERT_FALSE(readRegistryValue(kSaverKey, kMirrors, &type, &data));

        SaverState state;
        state.useMirrors = value;
        state.saveMirrorSetting();

        ASSERT_TRUE(readRegistryValue(kSaverKey, kMirrors, &type, &data));
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(data, bytesOf(static_cast<uint32_t>(value)));

        SaverState reloaded;
        reloaded.loadMirrorSetting();
        EXPECT_EQ(reloaded.useMirrors, value);
    }
}

TEST_F(SettingsTest, SavingReplacesAValueOfAnotherType)
{
    const std::vector<unsigned char> text = textOf("yes, please");
    ASSERT_TRUE(writeRegistryValue(kSaverKey, kMirrors, REG_SZ, text.data(), static_cast<DWORD>(text.size())));
    SaverState state;
    state.loadMirrorSetting();
    EXPECT_EQ(state.useMirrors, 1);
    state.useMirrors = 0;
    state.saveMirrorSetting();

    DWORD type = 0;
    std::vector<unsigned char> data;
    ASSERT_TRUE(readRegistryValue(kSaverKey, kMirrors, &type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, bytesOf(0));
}

} // namespace
