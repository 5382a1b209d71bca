// Binds the playback decisions to vbmp3.dll, the main window's timers and controls.
#include "app/playback_win.h"

#include <commctrl.h>

#include "app/controls.h"
#include "app/history_menu.h"
#include "app/playback_bind.h"
#include "app/records.h"
#include "app/status_line.h"
#include "app/status_text.h"
#include "audio/vbmp3.h"
#include "common/show_error.h"

static const char OPEN_ERROR_TEXT[] = "vbmp3_open error";
static const char OPEN_ERROR_TITLE[] = "error";

static PlaybackWindow *Bound(void *context) { return static_cast<PlaybackWindow *>(context); }

static int32_t LibraryGetState(void *, int32_t *position) { return vbmp3_getState(position); }

static int32_t LibraryPlay(void *) { return vbmp3_play(); }

static int32_t LibraryPause(void *) { return vbmp3_pause(); }

static int32_t LibraryRestart(void *) { return vbmp3_restart(); }

static int32_t LibraryStop(void *) { return vbmp3_stop(); }

static int32_t LibrarySeek(void *, int32_t seconds) { return vbmp3_seek(seconds); }

static int32_t LibrarySetPitch(void *, int32_t pitch) { return vbmp3_setPitch(pitch); }

static int32_t LibraryGetPitch(void *) { return vbmp3_getPitch(); }

static int32_t LibraryOpen(void *, const FileSpec *file, Vbmp3FileInfo *info) {
    FileSpec named = *file;
    CompleteWidePath(&named);
    return vbmp3_openW(named.widePath, info);
}

static int32_t LibraryClose(void *) { return vbmp3_close(); }

static void LibrarySetLoop(void *context, int32_t from, int32_t to) {
    vbmp3_setLoop(from, to);
    HWND bar = Bound(context)->seekBar;
    if (Bound(context)->outline) SetOutlineLoop(Bound(context)->outline, from, to);
    if (to > from)
        SendMessageA(bar, TBM_SETSEL, TRUE, MAKELPARAM(from, to));
    else
        SendMessageA(bar, TBM_CLEARSEL, TRUE, 0);
}

static void WindowStartTimer(void *context, int32_t id, int32_t periodMs) {
    SetTimer(Bound(context)->window, id, periodMs, NULL);
}

static void WindowStopTimer(void *context, int32_t id) { KillTimer(Bound(context)->window, id); }

static void WindowPostPitch(void *context, int32_t pitch) {
    PostMessageA(Bound(context)->window, WM_PITCH_CHANGED, (WPARAM)pitch, 0);
}

static void WindowDrawStatus(void *context, const PlayState *playState) {
    PlaybackWindow *bound = Bound(context);
    RECT status = ToRect(bound->layout->rects[LAYOUT_STATUS]);
    HDC dc = GetDC(bound->window);
    if (dc != NULL) {
        if (bound->statusNote)
            DrawStatusNote(dc, &status, bound->statusNote);
        else
            DrawStatusLine(dc, &status, playState, bound->note);
        ReleaseDC(bound->window, dc);
    }
}

static void WindowInvalidateStatus(void *context) {
    RECT status = ToRect(Bound(context)->layout->rects[LAYOUT_STATUS]);
    InvalidateRect(Bound(context)->window, &status, TRUE);
}

static void WindowSetThumb(void *context, int32_t position) {
    SendMessageA(Bound(context)->seekBar, TBM_SETPOS, TRUE, (LPARAM)position);
    if (Bound(context)->outline) SetOutlinePosition(Bound(context)->outline, position);
}

static int32_t WindowGetThumb(void *context) {
    return (int32_t)SendMessageA(Bound(context)->seekBar, TBM_GETPOS, 0, 0);
}

static void WindowSetSeekBar(void *context, int32_t position, int32_t length) {
    SetSeekBar(Bound(context)->seekBar, position, length);
    if (Bound(context)->outline) SetOutlineRange(Bound(context)->outline, position, length);
}

static void WindowSetTitle(void *context, const FileSpec *file) {
    if (file == nullptr) {
        SetWindowTextA(Bound(context)->window, appTitle);
        return;
    }
    FileSpec named = *file;
    CompleteWidePath(&named);
    wchar_t app[APP_TITLE_SIZE];
    if (!MultiByteToWideChar(CP_ACP, 0, appTitle, -1, app, APP_TITLE_SIZE)) app[0] = L'\0';
    wchar_t title[TITLE_TEXT_SIZE];
    FormatTitleTextWide(title, TITLE_TEXT_SIZE, named.wideName, app);
    // Straight to the default handler: through the window's own (ANSI) procedure the text would
    // pass the code page and lose every character it cannot hold.
    DefWindowProcW(Bound(context)->window, WM_SETTEXT, 0, (LPARAM)title);
}

static void WindowShowError(void *context, const char *text) {
    ShowError(Bound(context)->window, text);
}

static void WindowShowOpenError(void *context) {
    MessageBoxA(Bound(context)->window, OPEN_ERROR_TEXT, OPEN_ERROR_TITLE, MB_OK);
}

static void WindowHistoryChanged(void *context) { BuildHistoryMenu(Bound(context)->window); }

void BindPlaybackPort(PlaybackPort *port, PlaybackWindow *binding, HWND window, HWND seekBar,
                      const Layout *layout) {
    binding->window = window;
    binding->seekBar = seekBar;
    binding->layout = layout;
    binding->statusNote = nullptr;
    binding->note = "";
    binding->outline = nullptr;
    port->context = binding;
    port->getState = LibraryGetState;
    port->play = LibraryPlay;
    port->pause = LibraryPause;
    port->restart = LibraryRestart;
    port->stop = LibraryStop;
    port->seek = LibrarySeek;
    port->setPitch = LibrarySetPitch;
    port->getPitch = LibraryGetPitch;
    port->open = LibraryOpen;
    port->close = LibraryClose;
    port->setLoop = LibrarySetLoop;
    port->startTimer = WindowStartTimer;
    port->stopTimer = WindowStopTimer;
    port->postPitch = WindowPostPitch;
    port->drawStatus = WindowDrawStatus;
    port->invalidateStatus = WindowInvalidateStatus;
    port->setThumb = WindowSetThumb;
    port->getThumb = WindowGetThumb;
    port->setSeekBar = WindowSetSeekBar;
    port->setTitle = WindowSetTitle;
    port->showError = WindowShowError;
    port->showOpenError = WindowShowOpenError;
    port->historyChanged = WindowHistoryChanged;
}

void RefreshAfterOperation(const PlaybackPort *port, const PlayState *playState) {
    port->invalidateStatus(port->context);
    port->setThumb(port->context, playState->position);
}

bool OnPlayMenuCommand(const PlaybackPort *port, RepeatTimers *repeats, int32_t commandId,
                       bool fileOpen, PlayState *playState, OptionData *options) {
    const PlayMenuRow *row = FindPlayMenuRow(commandId);
    if (row == nullptr) {
        return false;
    }
    RunOperation(port, repeats, fileOpen, row->first, playState, options);
    // The _END operation stops the repeat before it can fire: one menu click is one step.
    if (row->second != 0) {
        RunOperation(port, repeats, fileOpen, row->second, playState, options);
    }
    if (row->refresh) {
        RefreshAfterOperation(port, playState);
    }
    return true;
}

bool OnRepeatTimer(HWND window, UINT_PTR timerId, UINT ztCommand) {
    int32_t operation = RepeatOperationOfTimer((int32_t)timerId);
    if (operation == 0) {
        return false;
    }
    SendMessageA(window, ztCommand, (WPARAM)operation, 0);
    return true;
}

void OnSeekBarScroll(const PlaybackPort *port, int scrollCode, bool fileOpen,
                     PlayState *playState) {
    SeekBarEvent event = SEEK_BAR_OTHER;
    if (scrollCode == TB_THUMBTRACK) {
        event = SEEK_BAR_DRAG;
    } else if (scrollCode == TB_THUMBPOSITION) {
        event = SEEK_BAR_RELEASE;
    }
    SeekBarScrolled(port, fileOpen, event, playState);
}
