// The configuration dialog from the saver's own resource script, driven
// in-process through configDialogProc with real button clicks.
#include "ShellTestSupport.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const kMirrors = "UseMirrors";
const int kInformationLineCount = 3;
const char* const kVersionLine = "Version 1.0";

struct ConfigDialog {
    SaverState state;
    HWND dialog = nullptr;

    // A stored value of -1 means nothing stored.
    explicit ConfigDialog(int64_t stored)
    {
        removeSaverSettings();
        if (stored >= 0) {
            writeRegistryDword(kSaverKey, kMirrors, static_cast<uint32_t>(stored));
        }
        state.loadScreenSaverSettings();
        state.loadMirrorSetting();
        gSaverState = &state;
        gRunMode = RunMode::Configure;
        dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIG), nullptr,
            configDialogProc, 0);
        ShowWindow(dialog, SW_SHOW);
        pumpMessages();
    }
    ~ConfigDialog()
    {
        if (dialog != nullptr) {
            DestroyWindow(dialog);
        }
        pumpMessages();
        gSaverState = nullptr;
        gRunMode = RunMode::None;
        removeSaverSettings();
    }
    ConfigDialog(const ConfigDialog&) = delete;
    ConfigDialog& operator=(const ConfigDialog&) = delete;

    bool boxChecked() const { return IsDlgButtonChecked(dialog, IDC_USE_MIRRORS) == BST_CHECKED; }
    void click(int id)
    {
        SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        pumpMessages();
    }
    // EndDialog hides a dialog that was not made modal.
    bool ended() const { return !IsWindowVisible(dialog); }
};

bool storedMirrors(uint32_t* value)
{
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (!readRegistryValue(kSaverKey, kMirrors, &type, &data) || type != REG_DWORD || data.size() != 4) {
        return false;
    }
    *value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
    return true;
}

struct BoxCase {
    int64_t stored;
    bool checked;
};

TEST(ConfigDialogTest, TheBoxShowsTheStoredSwitch)
{
    const BoxCase cases[] = {{-1, true}, {0, false}, {1, true}, {2, true}};
    for (const BoxCase& testCase : cases) {
        SCOPED_TRACE(testCase.stored);
        ConfigDialog config(testCase.stored);
        ASSERT_NE(config.dialog, nullptr);
        EXPECT_EQ(config.boxChecked(), testCase.checked);
        EXPECT_EQ(GetFocus(), GetDlgItem(config.dialog, IDOK));
        EXPECT_FALSE(config.ended());
    }
}

struct OkCase {
    int64_t stored;
    bool toggle;
    uint32_t saved;
};

TEST(ConfigDialogTest, OkStoresWhatTheBoxShows)
{
    const OkCase cases[] = {
        {-1, false, 1}, {-1, true, 0}, {0, false, 0}, {0, true, 1}, {1, true, 0}, {2, false, 1},
    };
    for (const OkCase& testCase : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << testCase.stored << " toggled " << testCase.toggle);
        ConfigDialog config(testCase.stored);
        if (testCase.toggle) {
            config.click(IDC_USE_MIRRORS);
            EXPECT_TRUE(config.boxChecked() != (testCase.saved == 0));
        }
        // Ticking the box alone stores nothing yet.
        uint32_t value = 0;
        EXPECT_EQ(storedMirrors(&value), testCase.stored >= 0);
        config.click(IDOK);
        EXPECT_TRUE(config.ended());
        ASSERT_TRUE(storedMirrors(&value));
        EXPECT_EQ(value, testCase.saved);
        EXPECT_EQ(config.state.useMirrors, static_cast<int32_t>(testCase.saved));
    }
}

TEST(ConfigDialogTest, CancelAndTheCloseBoxStoreNothing)
{
    struct Leave {
        const char* title;
        bool useCloseBox;
    };
    const Leave ways[] = {{"Cancel", false}, {"close box", true}};
    const int64_t storedValues[] = {-1, 0};
    for (const Leave& way : ways) {
        for (int64_t stored : storedValues) {
            SCOPED_TRACE(testing::Message() << way.title << ", stored " << stored);
            ConfigDialog config(stored);
            config.click(IDC_USE_MIRRORS);
            if (way.useCloseBox) {
                SendMessageA(config.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                pumpMessages();
            } else {
                config.click(IDCANCEL);
            }
            EXPECT_TRUE(config.ended());
            uint32_t value = 0;
            ASSERT_EQ(storedMirrors(&value), stored >= 0);
            if (stored >= 0) {
                EXPECT_EQ(value, static_cast<uint32_t>(stored));
            }
        }
    }
}

// Each information line is one line high: text wider than its control would
// wrap out of sight. (The version line's size is fixed with the template.)
TEST(ConfigDialogTest, TheInformationLinesFitTheirControls)
{
    ConfigDialog config(-1);
    int informationLines = 0;
    for (HWND child = GetWindow(config.dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {0};
        GetClassNameA(child, className, sizeof(className));
        char text[128] = {0};
        const int length = GetWindowTextA(child, text, sizeof(text));
        SCOPED_TRACE(text);
        EXPECT_GT(length, 0);
        const bool informationLine = lstrcmpiA(className, "Static") == 0 && lstrcmpA(text, kVersionLine) != 0;
        if (!informationLine) {
            continue;
        }
        ++informationLines;
        RECT client = {};
        GetClientRect(child, &client);
        HDC dc = GetDC(child);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text, length, &extent);
        SelectObject(dc, previous);
        ReleaseDC(child, dc);
        EXPECT_LE(extent.cx, client.right) << "text " << extent.cx << " px, control " << client.right << " px";
        EXPECT_LE(extent.cy, client.bottom);
    }
    EXPECT_EQ(informationLines, kInformationLineCount);
}

} // namespace
