// HTML Help through hhctrl.ocx, loaded at run time from the system folder so that no import
// library is needed and a system without it still runs; and the About box.
#include "help/help_viewer.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "res/resource.h"
#include "settings/settings_file.h"

typedef HWND(WINAPI *HtmlHelpProc)(HWND, LPCWSTR, UINT, DWORD_PTR);

static const wchar_t HELP_FILE_NAME[] = L"help.chm";

enum { HH_DISPLAY_TOPIC_ = 0x0000, HH_INITIALIZE_ = 0x001C, HH_UNINITIALIZE_ = 0x001D };

static HtmlHelpProc htmlHelp;
static bool loadTried;

// By its full path in the system folder: by name alone, a file called hhctrl.ocx in the program's
// folder or the current directory would be loaded instead. Its own libraries come from there too.
static HMODULE LoadSystemLibrary(const char *name) {
    char directory[MAX_PATH];
    char path[SETTINGS_PATH_SIZE];
    UINT length = GetSystemDirectoryA(directory, sizeof directory);
    if (length == 0 || length >= sizeof directory ||
        !ComposeSettingsPath(directory, name, path, sizeof path)) {
        return NULL;
    }
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static HWND CallHtmlHelp(HWND owner, const wchar_t *file, UINT command, DWORD_PTR data) {
    if (!loadTried) {
        loadTried = true;
        HMODULE module = LoadSystemLibrary("hhctrl.ocx");
        if (module) htmlHelp = (HtmlHelpProc)(void *)GetProcAddress(module, "HtmlHelpW");
    }
    return htmlHelp ? htmlHelp(owner, file, command, data) : NULL;
}

HelpViewer::HelpViewer() {
    directory[0] = L'\0';
    helpPath[0] = L'\0';
    CallHtmlHelp(NULL, NULL, HH_INITIALIZE_, 0);
}

HelpViewer::~HelpViewer() { CallHtmlHelp(NULL, NULL, HH_UNINITIALIZE_, 0); }

void HelpViewer::Show(HWND owner) {
    GetProgramDirectory(directory);
    // A directory whose help path would not fit has no help file that can be named.
    size_t length = wcslen(directory);
    if (length == 0 || length + wcslen(HELP_FILE_NAME) >= MAX_PATH) return;
    wcscpy(helpPath, directory);
    wcscat(helpPath, HELP_FILE_NAME);
    CallHtmlHelp(owner, helpPath, HH_DISPLAY_TOPIC_, 0);
}

static INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void ShowAboutBox(HWND owner) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDlgProc, 0);
}
