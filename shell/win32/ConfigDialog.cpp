#include "shell/win32/SaverState.h"

#include "resources/resource.h"

namespace {

typedef DWORD(WINAPI* PwdChangePasswordProc)(LPCSTR provider, HWND parent, DWORD reserved1, DWORD reserved2);

const char* const kPasswordProvider = "SCRSAVE";

// The box shows the stored switch; OK stores what the box shows, so what the
// user sees and what the next run uses never disagree.
void showMirrorSetting(HWND dialog)
{
    const bool on = gSaverState != nullptr && gSaverState->useMirrors != 0;
    CheckDlgButton(dialog, IDC_USE_MIRRORS, on ? BST_CHECKED : BST_UNCHECKED);
}

void storeMirrorSetting(HWND dialog)
{
    if (gSaverState == nullptr) {
        return;
    }
    gSaverState->useMirrors = IsDlgButtonChecked(dialog, IDC_USE_MIRRORS) == BST_CHECKED ? 1 : 0;
    gSaverState->saveMirrorSetting();
}

} // namespace

INT_PTR CALLBACK configDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        showMirrorSetting(dialog);
        return TRUE;  // the dialog manager focuses OK, the first tab stop
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            storeMirrorSetting(dialog);
            EndDialog(dialog, IDOK);
            return FALSE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return FALSE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

void changePassword(HWND parent)
{
    HMODULE module = LoadLibraryA("MPR.DLL");
    if (module == nullptr) {
        return;
    }
    FARPROC address = GetProcAddress(module, "PwdChangePasswordA");
    if (address != nullptr) {
        PwdChangePasswordProc change =
            reinterpret_cast<PwdChangePasswordProc>(reinterpret_cast<void*>(address));
        change(kPasswordProvider, parent, 0, 0);
    }
    FreeLibrary(module);
}
