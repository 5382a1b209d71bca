// Parlomix's entry point: the single-instance rule, the main window class and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "app/app_main.h"
#include "app/main_window.h"
#include "app/records.h"
#include "common/show_error.h"
#include "res/resource.h"

// Libraries loaded by name once the program runs (those that system libraries load in turn)
// must not come from the current directory, which may be any folder a recording was opened
// from. vbmp3.dll and duvarore.dll are imports, found beside the program before this runs.
static void RestrictLibrarySearch(void) {
    SetDllDirectoryA("");
    // Where the system has it (Windows 8, or 7 with its update): the program's folder, the
    // system folder and the folders added by the program, nothing else.
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    SetDefaultDllDirectoriesProc setDefault = (SetDefaultDllDirectoriesProc)(void *)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

static bool CheckPrevInstance(const char *name) {
    HANDLE mutex = CreateMutexA(NULL, TRUE, name);
    return mutex && GetLastError() == ERROR_ALREADY_EXISTS;
}

static void ActivatePrevInstance(const char *className) {
    HWND window = FindWindowA(className, NULL);
    if (!window) return;
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    else
        SetForegroundWindow(window);
}

static ATOM RegisterMainClass(HINSTANCE instance) {
    WNDCLASSEXA wc;
    static_assert(sizeof(void *) != 4 || sizeof wc == 48,
                  "WNDCLASSEXA is 48 bytes in a 32-bit program");
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PARLOMIX));
    wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PARLOMIX));
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = appTitle;
    return RegisterClassExA(&wc);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    RestrictLibrarySearch();
    LoadStringA(instance, IDS_APP_TITLE, appTitle, sizeof appTitle);
    ZT_ExistPrevInst = RegisterWindowMessageA(EXIST_PREV_INST_NAME);
    int hasFile = GetCommandLineFile(&currentFile);

    if (CheckPrevInstance(appTitle)) {
        // Without a file the first instance is only brought to the front, so that its
        // playback is not interrupted by reopening whatever the shared record names.
        if (hasFile) {
            PostMessageA(HWND_BROADCAST, ZT_ExistPrevInst, 0, 0);
        } else {
            // Told here, before the first window comes forward and would cover the box.
            ReportTooLongCommandLineFile(NULL);
        }
        ActivatePrevInstance(appTitle);
        return 0;
    }

    // The seek bar and the up-downs are created while the main window is created.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                          ICC_LISTVIEW_CLASSES |
                                                          ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    if (!RegisterMainClass(instance)) {
        ShowError(NULL, "cannot RegisterClassEx");
        return 1;
    }
    HWND window = CreateWindowExA(0, appTitle, appTitle, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, NULL,
                                  NULL, instance, NULL);
    if (!window) {
        ShowError(NULL, "cannot CreateWindowEx");
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return (int)message.wParam;
}
