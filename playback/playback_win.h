// The playback controller inside the main window: ExecuteOperation bound to vbmp3.dll and the
// window's timers, and the handlers that MainWndProc calls for the Play menu, the timers, the
// seek bar and the pitch up-down.
#ifndef PARLOMIX_PLAYBACK_WIN_H
#define PARLOMIX_PLAYBACK_WIN_H

#include <windows.h>

#include "app/layout.h"
#include "playback/controller.h"
#include "playback/play_state.h"
#include "res/resource.h"
#include "settings/option_data.h"

// Carries out an operation (OP_PLAY_PAUSE..OP_INVALID) on the open file; see RunOperation.
// `options` is not const: the pitch steps store the new pitch in its `pitch`, and nothing else is
// written.
int32_t ExecuteOperation(HWND window, int32_t fileOpen, int32_t operation, PlayState *playState,
                         OptionData *options);

// Right after vbmp3_init succeeded: the library takes the stored pitch (or, if it refuses, the
// stored pitch takes the library's).
void ApplyStoredPitch(OptionData *options);

// After an operation from a key, a button or the Play menu: the status line is invalidated
// with erasing and the thumb goes to `position`.
void RefreshAfterOperation(HWND window, HWND seekBar, const Layout *layout,
                           const PlayState *playState);

// A Play menu command (IDM_PLAY_PAUSE..IDM_PITCH_DOWN): its operations, then the refresh where the
// menu asks for one. Returns 1 when `commandId` is a Play menu item, else 0 and nothing is done.
int32_t OnPlayMenuCommand(HWND window, int32_t commandId, int32_t fileOpen, PlayState *playState,
                          OptionData *options, HWND seekBar, const Layout *layout);

// TIMER_REFRESH (every REFRESH_PERIOD_MS while playing).
void OnRefreshTimer(HWND window, HWND seekBar, const Layout *layout, PlayState *playState);

// The repeat timers (TIMER_REW_REPEAT..TIMER_PITCH_DOWN_REPEAT): sends, synchronously, `ztCommand`
// to the window with the timer's operation as a press. Returns 1 for a repeat timer id, else 0.
int32_t OnRepeatTimer(HWND window, UINT_PTR timerId, UINT ztCommand);

// WM_HSCROLL from the seek bar.
void OnSeekBarScroll(HWND window, WPARAM wParam, int32_t fileOpen, HWND seekBar,
                     const Layout *layout, PlayState *playState);

// WM_VSCROLL from the pitch up-down (IDC_PITCH_UPDOWN): the pitch box's value goes to the library.
void OnPitchUpDown(HWND window, OptionData *options);

#endif
