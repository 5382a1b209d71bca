// The main window procedure. It keeps no logic of its own: it fixes the order of start-up and
// close, routes each message to a small handler, and refreshes the status line and the seek
// bar after an operation. Every message it handles returns 0.
#include "app/main_window.h"

#include <shellapi.h>
#include <string.h>

#include "app/app_main.h"
#include "app/controls.h"
#include "app/show_error.h"
#include "app/status_line.h"
#include "help/help_viewer.h"
#include "input/duvarore.h"
#include "input/joystick.h"
#include "input/resolve.h"
#include "input/settings_dialogs.h"
#include "input/tables.h"
#include "playback/open_file.h"
#include "playback/playback_win.h"
#include "res/resource.h"
#include "settings/history.h"
#include "settings/history_menu.h"
#include "settings/settings_file.h"

// Program-wide records of the main window.
static HINSTANCE instance;
static UINT ZT_Command;
static PlayState playState;
static int32_t fileOpen;
static Layout layout;
static HWND seekBar;
static JoyEvent joyEvent;
// The window placement record, reused for applying and reading the normal rectangle.
static WINDOWPLACEMENT placement;
static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT is 44 bytes");
// Creation went past the audio library's start: the controls, the stored rectangle and the
// history are in place, so the close may store them back.
static bool fullyCreated;

static RECT StatusRect() {
    const LayoutRect &r = layout.rects[LAYOUT_STATUS];
    RECT rect = {r.left, r.top, r.right, r.bottom};
    return rect;
}

static void OpenCurrentFile(HWND window) {
    FileSpec file;
    memcpy(&file, &currentFile, sizeof file);
    OpenAudioFile(window, &fileOpen, &playState, seekBar, file, layout, &optionData);
}

static void OnZtCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    int32_t operation = ResolveOperation((int32_t)wParam, (int32_t)lParam, &optionData);
    if (operation == OP_INVALID) return;
    ExecuteOperation(window, fileOpen, operation, &playState, &optionData);
    RefreshAfterOperation(window, seekBar, &layout, &playState);
}

static void OnCreate(HWND window, LPARAM lParam) {
    instance = ((CREATESTRUCTA *)lParam)->hInstance;
    ZT_Command = RegisterWindowMessageA(ZT_COMMAND_NAME);
    if (!ZT_Command) ShowError(window, "cannot RegisterWindowMessage");
    ZT_ExistPrevInst = RegisterWindowMessageA(EXIST_PREV_INST_NAME);
    if (!ZT_ExistPrevInst) ShowError(window, "cannot RegisterWindowMessage");
    DragAcceptFiles(window, TRUE);
    LoadSettings(window);
    SetHook(window);
    CopyKeyData(KeyDataTable);
    ProbeJoystick();
    CaptureJoystick(window);
    if (!vbmp3_init()) {
        ShowError(window, "vbmp3_init error");
        return;
    }
    ApplyStoredPitch(&optionData);
    seekBar = CreateSeekBar(window);
    CreateOptionControls(window, &optionData);
    memset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    placement.rcNormalPosition.left = optionData.windowLeft;
    placement.rcNormalPosition.top = optionData.windowTop;
    placement.rcNormalPosition.right = optionData.windowRight;
    placement.rcNormalPosition.bottom = optionData.windowBottom;
    SetWindowPlacement(window, &placement);
    LoadHistory(window, &optionData);
    fullyCreated = true;
    if (GetCommandLineFile(&currentFile)) OpenCurrentFile(window);
}

static void OnClose(HWND window) {
    KillTimer(window, TIMER_REFRESH);
    if (fileOpen) {
        vbmp3_getState(&HistoryEntryAt(0)->position);
        vbmp3_close();
        fileOpen = 0;
    }
    vbmp3_free();
    ReleaseJoystick();
    ResetHook();
    SaveSettings(window, fullyCreated && HistoryLoaded());
    DestroyWindow(window);
}

static void OnSize(HWND window, LPARAM lParam) {
    HDC dc = GetDC(window);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(window, dc);
    ComputeLayout(LOWORD(lParam), metrics.tmHeight, metrics.tmAveCharWidth, &layout);
    PlaceControls(window, &layout);
}

static void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT status = StatusRect();
    DrawStatusLine(dc, &status, &playState);
    DrawValueLabels(dc, &layout);
    EndPaint(window, &paint);
}

static void OnTimer(HWND window, WPARAM timerId) {
    if (timerId == TIMER_REFRESH)
        OnRefreshTimer(window, seekBar, &layout, &playState);
    else
        OnRepeatTimer(window, timerId, ZT_Command);
}

static void OnOperationSettings(HWND window) {
    ShowOperationSettings(window, KeyDataTable);
    // The bindings may have changed: the hook matches against a fresh copy.
    CopyKeyData(KeyDataTable);
}

static void OnCommand(HWND window, WPARAM wParam, HelpViewer *helpViewer) {
    int id = LOWORD(wParam);
    int32_t historyIndex = HistoryIndexOfCommand(id);
    if (historyIndex >= 0) {
        GetHistoryFile(historyIndex, &currentFile);
        OpenCurrentFile(window);
        return;
    }
    if (OnPlayMenuCommand(window, id, fileOpen, &playState, &optionData, seekBar, &layout)) return;
    switch (id) {
    case IDM_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_ABOUT: ShowAboutBox(window); break;
    case IDM_HELP: helpViewer->Show(window); break;
    case IDM_OPEN:
        if (ChooseAudioFile(window, &currentFile)) OpenCurrentFile(window);
        break;
    case IDM_OPERATION_SETTINGS: OnOperationSettings(window); break;
    case IDM_HISTORY_DELETE: OnHistoryDeleteCommand(window); break;
    case IDC_ALWAYS_TOP:
        optionData.alwaysOnTop =
            (int32_t)SendDlgItemMessageA(window, IDC_ALWAYS_TOP, BM_GETCHECK, 0, 0);
        ApplyAlwaysOnTop(window, optionData.alwaysOnTop);
        break;
    case IDC_PLAY_MODE:
        optionData.playMode =
            (int32_t)SendDlgItemMessageA(window, IDC_PLAY_MODE, BM_GETCHECK, 0, 0);
        break;
    }
}

// The seek bar is the only horizontal scroller: the sender is not examined.
static void OnHScroll(HWND window, WPARAM wParam) {
    OnSeekBarScroll(window, wParam, fileOpen, seekBar, &layout, &playState);
}

static void OnVScroll(HWND window, LPARAM lParam) {
    switch (GetDlgCtrlID((HWND)lParam)) {
    case IDC_PITCH_UPDOWN: OnPitchUpDown(window, &optionData); break;
    case IDC_REV_UPDOWN:
        optionData.revSeconds = (int32_t)GetDlgItemInt(window, IDC_REV_BOX, NULL, TRUE);
        break;
    case IDC_STEP_UPDOWN:
        optionData.ffSeconds = (int32_t)GetDlgItemInt(window, IDC_STEP_BOX, NULL, TRUE);
        optionData.rewSeconds = optionData.ffSeconds;
        break;
    }
}

static void OnDropFiles(HWND window, WPARAM wParam) {
    if (TakeDroppedFile((HDROP)wParam, &currentFile)) OpenCurrentFile(window);
}

static void OnJoyButton(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int row = FindJoyBinding(message, wParam, lParam, &joyEvent, KeyDataTable);
    if (row >= 0 && ZT_Command)
        PostMessageA(window, ZT_Command, (WPARAM)KeyDataTable[row].operation,
                     (LPARAM)joyEvent.flags);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Constructed on the first message, whatever it is; uninitialised at process exit.
    static HelpViewer helpViewer;

    // The registered numbers are tested first; a number that could not be registered is 0 and
    // must never match.
    if (ZT_Command && message == ZT_Command) return OnZtCommand(window, wParam, lParam), 0;
    if (ZT_ExistPrevInst && message == ZT_ExistPrevInst) return OpenCurrentFile(window), 0;

    switch (message) {
    case WM_CREATE: OnCreate(window, lParam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: OnSize(window, lParam); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_CLOSE: OnClose(window); return 0;
    case WM_COMMAND: OnCommand(window, wParam, &helpViewer); return 0;
    case WM_TIMER: OnTimer(window, wParam); return 0;
    case WM_HSCROLL: OnHScroll(window, wParam); return 0;
    case WM_VSCROLL: OnVScroll(window, lParam); return 0;
    case WM_DROPFILES: OnDropFiles(window, wParam); return 0;
    case MM_JOY1BUTTONDOWN:
    case MM_JOY2BUTTONDOWN:
    case MM_JOY1BUTTONUP:
    case MM_JOY2BUTTONUP: OnJoyButton(window, message, wParam, lParam); return 0;
    case WM_PITCH_CHANGED: SetDlgItemInt(window, IDC_PITCH_BOX, (UINT)wParam, FALSE); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
