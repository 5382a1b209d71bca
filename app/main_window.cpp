// The main window procedure. It keeps no logic of its own: it fixes the order of start-up and
// close, routes each message to a small handler, and refreshes the status line and the seek
// bar after an operation. Every message it handles returns 0.
#include "app/main_window.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include "app/app_main.h"
#include "app/controls.h"
#include "app/history_menu.h"
#include "app/open_file.h"
#include "app/outline_band.h"
#include "app/playback_bind.h"
#include "app/playback_win.h"
#include "app/records.h"
#include "app/settings_dialogs.h"
#include "app/sound_menu_win.h"
#include "app/status_text.h"
#include "app/status_line.h"
#include "app/text_settings_win.h"
#include "app/timestamp_win.h"
#include "common/show_error.h"
#include "help/help_viewer.h"
#include "hook/duvarore.h"
#include "input/joystick.h"
#include "input/pedal_win.h"
#include "input/resolve.h"
#include "input/tables.h"
#include "playback/open_sequence.h"
#include "res/resource.h"
#include "settings/history.h"
#include "settings/settings_file.h"

// The window's own records, made with the window and freed with it; the program-wide records
// (records.h) live apart.
// Said once a run, when the first file that no settings file can name is opened.
static const wchar_t NOT_REMEMBERED_NOTE[] = L"この名前は次回の履歴に残せません";

struct MainWindow {
    HWND window;
    HINSTANCE instance;
    // The hook library's message; 0 when it could not be registered.
    UINT ZT_Command;
    bool fileOpen;
    PlayState playState;
    RepeatTimers repeats;
    Layout layout;
    HWND seekBar;
    PedalInput pedals;
    // Stamps of TIMESTAMP presses that wait for the binding's modifiers to be let go.
    TimestampQueue timestamps;
    // The stamp format, offset and snippets of parlomix.ini.
    TextSettings text;
    // The 音声 menu's choices, in parlomix.ini as well.
    SoundChoice sound;
    // Why JUMP or GOTO did not move, on the status line until TIMER_STATUS_NOTE; empty otherwise.
    char note[STATUS_NOTE_SIZE];
    // The window placement record, reused for applying and reading the normal rectangle.
    WINDOWPLACEMENT placement;
    // The note that a file is remembered for this run only was shown.
    bool toldNotRemembered;
    // Creation went past the audio library's start: the controls, the stored rectangle and the
    // history are in place, so the close may store them back.
    bool fullyCreated;
    // Bound once at creation, to this window, its seek bar and its layout.
    PlaybackWindow binding;
    PlaybackPort port;
    HelpViewer helpViewer;
    OutlineBand outline;
};
static_assert(sizeof(WINDOWPLACEMENT) == 44, "WINDOWPLACEMENT is 44 bytes");

static void OpenCurrentFile(MainWindow *w) {
    // currentFile is shared with other instances: the open works on a copy.
    FileSpec file;
    memcpy(&file, &currentFile, sizeof file);
    CompleteWidePath(&file);
    OutlineFileClosed(&w->outline);
    OpenFileSequence(&w->port, &w->repeats, &w->fileOpen, &w->playState, &file, &optionData);
    if (w->fileOpen) OutlineFileOpened(&w->outline, file.widePath);
    if (w->fileOpen && file.path[0] == '\0' && !w->toldNotRemembered) {
        w->toldNotRemembered = true;
        w->binding.statusNote = NOT_REMEMBERED_NOTE;
        w->port.invalidateStatus(w->port.context);
    }
}

// The note stays until the user does something else.
static void ClearStatusNote(MainWindow *w) {
    if (!w->binding.statusNote) return;
    w->binding.statusNote = nullptr;
    w->port.invalidateStatus(w->port.context);
}

// The screen's pixels per logical inch; the program is DPI-aware, so this is the real one.
static int32_t SystemDpi() {
    HDC screen = GetDC(NULL);
    int32_t dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(NULL, screen);
    return dpi;
}

static void ShowNote(MainWindow *w, const char *note) {
    snprintf(w->note, sizeof w->note, "%s", note);
    if (note[0] != '\0') SetTimer(w->window, TIMER_STATUS_NOTE, STATUS_NOTE_MS, NULL);
    w->port.invalidateStatus(w->port.context);
}

static void OnNoteTimer(MainWindow *w) {
    KillTimer(w->window, TIMER_STATUS_NOTE);
    ShowNote(w, "");
}

// Seeks to the clipboard's last stamp, less the offset the stamps were typed with.
static void OnJump(MainWindow *w) {
    static char clipboard[CLIPBOARD_TEXT_SIZE];
    int64_t ms = 0;
    bool found =
        ReadClipboardText(w->window, clipboard) && FindLastStamp(clipboard, w->text.format, &ms);
    JumpResult result = JUMP_DONE;
    if (found) {
        int64_t seconds = ms / 1000 - w->text.offsetSeconds;
        result = JumpTo(&w->port, w->fileOpen, seconds, &w->playState);
    }
    ShowNote(w, JumpNoteText(result, !found));
    RefreshAfterOperation(&w->port, &w->playState);
}

static void OnGoto(MainWindow *w) {
    int32_t seconds = 0;
    if (!w->fileOpen) {
        ShowNote(w, JumpNoteText(JUMP_NO_FILE, false));
        return;
    }
    if (!ShowGoto(w->window, w->text.format, w->playState.fileInfo.length, &seconds)) return;
    ShowNote(w, JumpNoteText(JumpTo(&w->port, w->fileOpen, seconds, &w->playState), false));
    RefreshAfterOperation(&w->port, &w->playState);
}

// What CLARITY did, and that a choice could not be stored, shown for a few seconds: the user
// is typing elsewhere and hears the change, but cannot see the menu.
static const char CLARITY_SET_ASIDE_NOTE[] = "音声の調整をオフにしました";
static const char CLARITY_BROUGHT_BACK_NOTE[] = "音声の調整を元に戻しました";
static const char SOUND_NOT_SAVED_NOTE[] = "音声の設定を保存できません";

static void OnClarity(MainWindow *w) {
    ClarityToggle toggle = ToggleClarity(&w->sound);
    if (toggle == CLARITY_NOTHING) return;
    ApplySoundChoice(w->window, &w->sound);
    if (!SaveSoundChoice(&w->sound))
        ShowNote(w, SOUND_NOT_SAVED_NOTE);
    else
        ShowNote(w,
                 toggle == CLARITY_SET_ASIDE ? CLARITY_SET_ASIDE_NOTE : CLARITY_BROUGHT_BACK_NOTE);
}

static void OnZtCommand(MainWindow *w, int32_t operationOrKey, int32_t flags) {
    int32_t operation = ResolveOperation(operationOrKey, flags, &optionData);
    if (operation == OP_INVALID) return;
    ClearStatusNote(w);
    if (operation == OP_TIMESTAMP || (operation >= OP_SNIPPET1 && operation <= OP_SNIPPET8)) {
        int snippet = operation == OP_TIMESTAMP ? -1 : operation - OP_SNIPPET1;
        TimestampPressed(&w->port, w->fileOpen, &w->timestamps, GetTickCount(), &w->text, snippet);
        return;
    }
    if (operation == OP_JUMP) return OnJump(w);
    if (operation == OP_GOTO) return OnGoto(w);
    if (operation == OP_CLARITY) return OnClarity(w);
    RunOperation(&w->port, &w->repeats, w->fileOpen, operation, &w->playState, &optionData);
    RefreshAfterOperation(&w->port, &w->playState);
}

// A pedal or joystick button reaches its binding as a hot key does.
static void PostPedalEvent(void *window, const JoyEvent *event) {
    MainWindow *w = static_cast<MainWindow *>(window);
    int row = FindPedalBinding(event, KeyDataTable);
    if (row >= 0 && w->ZT_Command)
        PostMessageA(w->window, w->ZT_Command, (WPARAM)KeyDataTable[row].operation,
                     (LPARAM)event->flags);
}

// The band's height in pixels: a few lines of the window's font, so it follows the DPI.
static int32_t OutlineBandHeight(MainWindow *w) {
    return OUTLINE_BAND_LINES * WindowTextMetrics(w->window).tmHeight;
}

// The menu bar wraps onto a second line where the window is too narrow for its titles (a large
// font, a translated menu): the client area then loses a line that the controls need, and the
// window grows by it, keeping its width and place. A taller rectangle stays as it is.
static void GrowToFitLayout(MainWindow *w) {
    RECT client, frame;
    if (!GetClientRect(w->window, &client) || !GetWindowRect(w->window, &frame)) return;
    TEXTMETRICA metrics = WindowTextMetrics(w->window);
    Layout needed;
    ComputeLayout(client.right, metrics.tmHeight, metrics.tmAveCharWidth, w->outline.shown,
                  &needed);
    int32_t missing = LayoutHeight(&needed) - client.bottom;
    if (missing <= 0) return;
    SetWindowPos(w->window, NULL, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + missing, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static void OnCreate(MainWindow *w, HWND window, const CREATESTRUCTA *create) {
    w->window = window;
    w->instance = create->hInstance;
    w->ZT_Command = RegisterWindowMessageA(ZT_COMMAND_NAME);
    if (!w->ZT_Command) ShowError(window, "cannot RegisterWindowMessage");
    ZT_ExistPrevInst = RegisterWindowMessageA(EXIST_PREV_INST_NAME);
    if (!ZT_ExistPrevInst) ShowError(window, "cannot RegisterWindowMessage");
    DragAcceptFiles(window, TRUE);
    LoadSettings(window, &optionData, KeyDataTable);
    SetHook(window);
    CopyKeyRows(KeyDataTable, KEY_DATA_ROWS);
    ProbeJoystick();
    CaptureJoystick(window);
    PedalSink pedalSink = {w, PostPedalEvent};
    RegisterPedals(&w->pedals, &pedalSink, window, JoystickId());
    bool libraryStarted = vbmp3_init() != 0;
    if (libraryStarted) w->seekBar = CreateSeekBar(window);
    // Without the library the window gets no controls, yet opening a file still goes through
    // the port and reports the library's refusal.
    BindPlaybackPort(&w->port, &w->binding, window, w->seekBar, &w->layout);
    w->binding.note = w->note;
    LoadTextSettings(&w->text);
    if (!libraryStarted) {
        ShowError(window, "vbmp3_init error");
        return;
    }
    SendStoredPitch(&w->port, &optionData);
    LoadSoundChoice(&w->sound);
    ApplySoundChoice(window, &w->sound);
    CreateOptionControls(window, &optionData);
    CreateOutlineBand(&w->outline, window);
    w->binding.outline = &w->outline;
    bool outlineShown = LoadOutlineShown();
    CheckMenuItem(GetMenu(window), IDM_VIEW_OUTLINE, outlineShown ? MF_CHECKED : MF_UNCHECKED);
    ShowOutlineBand(&w->outline, outlineShown);
    memset(&w->placement, 0, sizeof w->placement);
    w->placement.length = sizeof w->placement;
    w->placement.rcNormalPosition = ToRect(
        InitialWindowRect(&optionData, SystemDpi(), outlineShown ? OutlineBandHeight(w) : 0));
    SetWindowPlacement(window, &w->placement);
    GrowToFitLayout(w);
    LoadHistory(window, &optionData);
    w->fullyCreated = true;
    if (GetCommandLineFile(&currentFile))
        OpenCurrentFile(w);
    else
        ReportTooLongCommandLineFile(window);
}

static void OnClose(MainWindow *w) {
    KillTimer(w->window, TIMER_REFRESH);
    OutlineFileClosed(&w->outline);
    if (w->fileOpen) {
        vbmp3_getState(&HistoryEntryAt(0)->position);
        vbmp3_close();
        w->fileOpen = false;
    }
    vbmp3_free();
    ReleaseJoystick();
    UnregisterPedals(&w->pedals);
    ResetHook();
    SaveSettings(w->window, w->fullyCreated && HistoryLoaded(), &optionData, KeyDataTable);
    DestroyWindow(w->window);
}

static void OnSize(MainWindow *w, int clientWidth) {
    TEXTMETRICA metrics = WindowTextMetrics(w->window);
    ComputeLayout(clientWidth, metrics.tmHeight, metrics.tmAveCharWidth, w->outline.shown,
                  &w->layout);
    PlaceControls(w->window, &w->layout);
}

static void OnPaint(MainWindow *w) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(w->window, &paint);
    RECT status = ToRect(w->layout.rects[LAYOUT_STATUS]);
    if (w->binding.statusNote)
        DrawStatusNote(dc, &status, w->binding.statusNote);
    else
        DrawStatusLine(dc, &status, &w->playState, w->note);
    DrawValueLabels(dc, &w->layout);
    EndPaint(w->window, &paint);
}

static void OnTimer(MainWindow *w, UINT_PTR timerId) {
    if (timerId == TIMER_REFRESH)
        RefreshTick(&w->port, &w->playState);
    else if (timerId == TIMER_TIMESTAMP)
        OnTimestampTimer(w->window, &w->timestamps);
    else if (timerId == TIMER_STATUS_NOTE)
        OnNoteTimer(w);
    else
        OnRepeatTimer(w->window, timerId, w->ZT_Command);
}

static void OnOperationSettings(MainWindow *w) {
    ShowOperationSettings(w->window, KeyDataTable);
    // The bindings may have changed: the hook matches against a fresh copy.
    CopyKeyRows(KeyDataTable, KEY_DATA_ROWS);
}

// The band comes or goes and the window's normal height follows it, its width kept; a maximised
// window keeps its size on the screen and only lays out again.
static void OnViewOutline(MainWindow *w) {
    bool shown = !w->outline.shown;
    SaveOutlineShown(shown);
    CheckMenuItem(GetMenu(w->window), IDM_VIEW_OUTLINE, shown ? MF_CHECKED : MF_UNCHECKED);
    ShowOutlineBand(&w->outline, shown);
    int32_t band = OutlineBandHeight(w);
    GetWindowPlacement(w->window, &w->placement);
    w->placement.rcNormalPosition.bottom += shown ? band : -band;
    SetWindowPlacement(w->window, &w->placement);
    RECT client;
    GetClientRect(w->window, &client);
    OnSize(w, client.right);
}

static void OnCommand(MainWindow *w, int id) {
    ClearStatusNote(w);
    int32_t historyIndex = HistoryIndexOfCommand(id);
    if (historyIndex >= 0) {
        GetHistoryFile(historyIndex, &currentFile);
        OpenCurrentFile(w);
        return;
    }
    if (OnPlayMenuCommand(&w->port, &w->repeats, id, w->fileOpen, &w->playState, &optionData))
        return;
    bool saved = true;
    if (OnSoundMenuCommand(w->window, id, &w->sound, &saved)) {
        if (!saved) ShowNote(w, SOUND_NOT_SAVED_NOTE);
        return;
    }
    switch (id) {
    case IDM_EXIT: SendMessageA(w->window, WM_CLOSE, 0, 0); break;
    case IDM_ABOUT: ShowAboutBox(w->window); break;
    case IDM_HELP: w->helpViewer.Show(w->window); break;
    case IDM_OPEN:
        if (ChooseAudioFile(w->window, &currentFile)) OpenCurrentFile(w);
        break;
    case IDM_OPERATION_SETTINGS: OnOperationSettings(w); break;
    case IDM_TEXT_SETTINGS: ShowTextSettings(w->window, &w->text); break;
    case IDM_JUMP: OnJump(w); break;
    case IDM_GOTO: OnGoto(w); break;
    case IDM_HISTORY_DELETE: OnHistoryDeleteCommand(w->window); break;
    case IDM_VIEW_OUTLINE: OnViewOutline(w); break;
    case IDC_ALWAYS_TOP:
        optionData.alwaysOnTop =
            (int32_t)SendDlgItemMessageA(w->window, IDC_ALWAYS_TOP, BM_GETCHECK, 0, 0);
        ApplyAlwaysOnTop(w->window, optionData.alwaysOnTop);
        break;
    case IDC_PLAY_MODE:
        optionData.playMode =
            (int32_t)SendDlgItemMessageA(w->window, IDC_PLAY_MODE, BM_GETCHECK, 0, 0);
        break;
    }
}

// The seek bar is the only horizontal scroller: the sender is not examined.
static void OnHScroll(MainWindow *w, int scrollCode) {
    OnSeekBarScroll(&w->port, scrollCode, w->fileOpen, &w->playState);
}

// A click or drag on the outline band moves the seek bar's thumb there and goes the seek bar's way.
static void OnOutlineSeek(MainWindow *w, int32_t second, SeekBarEvent event) {
    if (!w->seekBar) return;
    w->port.setThumb(w->port.context, second);
    SeekBarScrolled(&w->port, w->fileOpen, event, &w->playState);
}

static void OnVScroll(MainWindow *w, HWND upDown) {
    switch (GetDlgCtrlID(upDown)) {
    case IDC_PITCH_UPDOWN: {
        int32_t pitch = (int32_t)GetDlgItemInt(w->window, IDC_PITCH_BOX, NULL, TRUE);
        PitchBoxChanged(&w->port, pitch, &optionData);
        break;
    }
    case IDC_REV_UPDOWN:
        optionData.revSeconds = (int32_t)GetDlgItemInt(w->window, IDC_REV_BOX, NULL, TRUE);
        break;
    case IDC_STEP_UPDOWN:
        optionData.ffSeconds = (int32_t)GetDlgItemInt(w->window, IDC_STEP_BOX, NULL, TRUE);
        optionData.rewSeconds = optionData.ffSeconds;
        break;
    }
}

static void OnDropFiles(MainWindow *w, HDROP drop) {
    if (TakeDroppedFile(w->window, drop, &currentFile)) OpenCurrentFile(w);
}

static void OnJoyButton(MainWindow *w, UINT message, WPARAM wParam) {
    PedalJoystickButton(&w->pedals, message, wParam);
}

static void OnRawInput(MainWindow *w, HRAWINPUT input) { ReadPedalInput(&w->pedals, input); }

static void OnInputDeviceChange(MainWindow *w, WPARAM change, HANDLE device) {
    PedalDeviceChanged(&w->pedals, change, device);
}

static void OnSessionChange(MainWindow *w, WPARAM change) {
    PedalSessionChanged(&w->pedals, change);
}

static void OnPitchChanged(MainWindow *w, int32_t pitch) {
    SetDlgItemInt(w->window, IDC_PITCH_BOX, (UINT)pitch, FALSE);
}

// The record is zeroed before its members are made, as a static one would be. Without it the
// window is not made at all.
static bool OnNcCreate(HWND window) {
    MainWindow *w = new (std::nothrow) MainWindow();
    if (!w) return false;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)w);
    return true;
}

static void OnNcDestroy(HWND window, MainWindow *w) {
    OutlineFileClosed(&w->outline);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    delete w;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame's own messages before WM_NCCREATE (WM_GETMINMAXINFO) find no record yet.
    if (message == WM_NCCREATE && !OnNcCreate(window)) return FALSE;
    MainWindow *record = (MainWindow *)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (!record) return DefWindowProcA(window, message, wParam, lParam);
    MainWindow &w = *record;

    // The registered numbers are tested first; a number that could not be registered is 0 and
    // must never match.
    if (w.ZT_Command && message == w.ZT_Command)
        return OnZtCommand(&w, (int32_t)wParam, (int32_t)lParam), 0;
    if (ZT_ExistPrevInst && message == ZT_ExistPrevInst) return OpenCurrentFile(&w), 0;

    switch (message) {
    case WM_NCDESTROY: OnNcDestroy(window, &w); break;
    case WM_CREATE: OnCreate(&w, window, (const CREATESTRUCTA *)lParam); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_SIZE: OnSize(&w, LOWORD(lParam)); return 0;
    case WM_PAINT: OnPaint(&w); return 0;
    case WM_CLOSE: OnClose(&w); return 0;
    case WM_COMMAND: OnCommand(&w, LOWORD(wParam)); return 0;
    case WM_TIMER: OnTimer(&w, (UINT_PTR)wParam); return 0;
    case WM_HSCROLL: OnHScroll(&w, LOWORD(wParam)); return 0;
    case WM_VSCROLL: OnVScroll(&w, (HWND)lParam); return 0;
    case WM_DROPFILES: OnDropFiles(&w, (HDROP)wParam); return 0;
    case MM_JOY1BUTTONDOWN:
    case MM_JOY2BUTTONDOWN:
    case MM_JOY1BUTTONUP:
    case MM_JOY2BUTTONUP: OnJoyButton(&w, message, wParam); return 0;
    // The platform frees the input's buffer in DefWindowProc.
    case WM_INPUT: OnRawInput(&w, (HRAWINPUT)lParam); break;
    case WM_INPUT_DEVICE_CHANGE: OnInputDeviceChange(&w, wParam, (HANDLE)lParam); return 0;
    case WM_WTSSESSION_CHANGE: OnSessionChange(&w, wParam); return 0;
    case WM_PITCH_CHANGED: OnPitchChanged(&w, (int32_t)wParam); return 0;
    case WM_OUTLINE_PROGRESS: OnOutlineProgress(&w.outline, wParam); return 0;
    case WM_OUTLINE_SEEK: OnOutlineSeek(&w, (int32_t)wParam, (SeekBarEvent)lParam); return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
