// The playback controller inside the main window: the handlers that MainWndProc calls for the
// Play menu, the repeat timers and the seek bar, over the port the window bound once.
#ifndef PARLOMIX_PLAYBACK_WIN_H
#define PARLOMIX_PLAYBACK_WIN_H

#include <windows.h>

#include "playback/controller.h"
#include "playback/play_state.h"
#include "playback/playback_port.h"
#include "res/resource.h"
#include "settings/option_data.h"

// After an operation from a key, a button or the Play menu: the status line is invalidated
// with erasing and the thumb goes to `position`.
void RefreshAfterOperation(const PlaybackPort *port, const PlayState *playState);

// A Play menu command (IDM_PLAY_PAUSE..IDM_PITCH_DOWN): its operations, then the refresh where
// the menu asks for one. Returns false, having done nothing, when `commandId` is no Play menu
// item.
bool OnPlayMenuCommand(const PlaybackPort *port, RepeatTimers *repeats, int32_t commandId,
                       bool fileOpen, PlayState *playState, OptionData *options);

// The repeat timers (TIMER_REW_REPEAT..TIMER_PITCH_DOWN_REPEAT): sends, synchronously,
// `ztCommand` to the window with the timer's operation as a press. Returns false for any other
// timer id.
bool OnRepeatTimer(HWND window, UINT_PTR timerId, UINT ztCommand);

// WM_HSCROLL from the seek bar, with its scroll code (TB_THUMBTRACK, TB_THUMBPOSITION, ...).
void OnSeekBarScroll(const PlaybackPort *port, int scrollCode, bool fileOpen, PlayState *playState);

#endif
