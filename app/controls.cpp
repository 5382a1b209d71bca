// The main window's child controls: the seek bar, three read-only value boxes with their
// up-downs and two check boxes. They hand the keyboard focus back to the main window, so the
// window's accelerator and the hot keys never end up typing into a control.
#include "app/controls.h"

#include <commctrl.h>

#include "audio/vbmp3.h"

static LRESULT CallPrevious(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                            SUBCLASSPROC procedure) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(control, procedure, 0);
    return DefSubclassProc(control, message, wParam, lParam);
}

static LRESULT CALLBACK SeekBarProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS) SetFocus(GetParent(control));
    return CallPrevious(control, message, wParam, lParam, SeekBarProc);
}

static LRESULT CALLBACK OptionControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS) {
        int id = GetDlgCtrlID(control);
        if (id != IDC_ALWAYS_TOP && id != IDC_PLAY_MODE) SetFocus(GetParent(control));
    } else if (message == WM_KEYDOWN) {
        SetFocus(GetParent(control));
        return 0;
    }
    return CallPrevious(control, message, wParam, lParam, OptionControlProc);
}

static void Subclass(HWND control, SUBCLASSPROC procedure) {
    SetWindowSubclass(control, procedure, 0, 0);
}

static HWND CreateChild(HWND window, DWORD exStyle, const char *className, const char *text,
                        DWORD style, int id) {
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(window, GWLP_HINSTANCE);
    return CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           window, (HMENU)(INT_PTR)id, instance, NULL);
}

TEXTMETRICA WindowTextMetrics(HWND window) {
    HDC dc = GetDC(window);
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(window, dc);
    return metrics;
}

HWND CreateSeekBar(HWND window) {
    HWND bar =
        CreateChild(window, 0, TRACKBAR_CLASSA, "Trackbar Control",
                    TBS_AUTOTICKS | TBS_TOP | TBS_FIXEDLENGTH | TBS_ENABLESELRANGE, IDC_SEEK_BAR);
    if (!bar) return NULL;
    SendMessageA(bar, TBM_SETTHUMBLENGTH, WindowTextMetrics(window).tmHeight, 0);
    SendMessageA(bar, TBM_SETPAGESIZE, 0, 0);
    Subclass(bar, SeekBarProc);
    return bar;
}

static void CreateValue(HWND window, int boxId, int upDownId, int low, int high, int value) {
    HWND box = CreateChild(window, WS_EX_CLIENTEDGE, "EDIT", NULL, ES_READONLY, boxId);
    HWND upDown =
        CreateChild(window, 0, UPDOWN_CLASSA, NULL, UDS_SETBUDDYINT | UDS_ALIGNRIGHT, upDownId);
    SendMessageA(upDown, UDM_SETBUDDY, (WPARAM)box, 0);
    SendMessageA(upDown, UDM_SETRANGE32, low, high);
    SendMessageA(upDown, UDM_SETPOS32, 0, value);
    Subclass(box, OptionControlProc);
    Subclass(upDown, OptionControlProc);
}

static void CreateCheck(HWND window, int id, const char *text, int32_t value) {
    HWND check = CreateChild(window, 0, "button", text, BS_AUTOCHECKBOX, id);
    SendMessageA(check, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
    Subclass(check, OptionControlProc);
}

void ApplyAlwaysOnTop(HWND window, int32_t alwaysOnTop) {
    SetWindowPos(window, alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE);
}

void CreateOptionControls(HWND window, const OptionData *options) {
    CreateValue(window, IDC_PITCH_BOX, IDC_PITCH_UPDOWN, VBMP3_PITCH_MIN, VBMP3_PITCH_MAX,
                options->pitch);
    CreateValue(window, IDC_REV_BOX, IDC_REV_UPDOWN, STEP_SECONDS_MIN, STEP_SECONDS_MAX,
                options->revSeconds);
    CreateValue(window, IDC_STEP_BOX, IDC_STEP_UPDOWN, STEP_SECONDS_MIN, STEP_SECONDS_MAX,
                options->rewSeconds);
    CreateCheck(window, IDC_ALWAYS_TOP, "Always top", options->alwaysOnTop);
    CreateCheck(window, IDC_PLAY_MODE, "Play mode", options->playMode);
    ApplyAlwaysOnTop(window, options->alwaysOnTop);
}

static void Place(HWND window, int id, const LayoutRect &r) {
    HWND control = GetDlgItem(window, id);
    if (control) MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void PlaceControls(HWND window, const Layout *layout) {
    const LayoutRect *r = layout->rects;
    Place(window, IDC_SEEK_BAR, r[LAYOUT_SEEK_BAR]);
    Place(window, IDC_PITCH_BOX, r[LAYOUT_PITCH_BOX]);
    Place(window, IDC_PITCH_UPDOWN, r[LAYOUT_PITCH_UPDOWN]);
    Place(window, IDC_REV_BOX, r[LAYOUT_REV_BOX]);
    Place(window, IDC_REV_UPDOWN, r[LAYOUT_REV_UPDOWN]);
    Place(window, IDC_STEP_BOX, r[LAYOUT_STEP_BOX]);
    Place(window, IDC_STEP_UPDOWN, r[LAYOUT_STEP_UPDOWN]);
    Place(window, IDC_ALWAYS_TOP, r[LAYOUT_ALWAYS_TOP]);
    Place(window, IDC_PLAY_MODE, r[LAYOUT_PLAY_MODE]);
    Place(window, IDC_OUTLINE, r[LAYOUT_OUTLINE]);
}

void SetSeekBar(HWND seekBar, int32_t position, int32_t length) {
    if (!seekBar) return;
    SendMessageA(seekBar, TBM_SETRANGEMAX, TRUE, length);
    SendMessageA(seekBar, TBM_SETTICFREQ, 600, 0);
    SendMessageA(seekBar, TBM_SETPOS, TRUE, position);
}
