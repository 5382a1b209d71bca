// The playback controller's decisions: what each operation does to the audio library and the
// main window's timers in each playing state, the refresh tick, the seek bar and the pitch box.
// Plain code over a PlaybackPort; app/playback_win.h binds it to vbmp3.dll and the main window.
#ifndef PARLOMIX_CONTROLLER_H
#define PARLOMIX_CONTROLLER_H

#include <stdint.h>

#include "input/tables.h"
#include "playback/play_state.h"
#include "playback/playback_port.h"
#include "res/resource.h"
#include "settings/option_data.h"

// The periods of the main window's refresh and repeat timers (ids in res/resource.h).
enum { REFRESH_PERIOD_MS = 200, REPEAT_PERIOD_MS = 180 };

enum { REPEAT_TIMER_COUNT = TIMER_PITCH_DOWN_REPEAT - TIMER_REW_REPEAT + 1 };

// One flag per repeat timer (index = timer id - TIMER_REW_REPEAT): set while it runs.
struct RepeatTimers {
    bool running[REPEAT_TIMER_COUNT];
};

// Carries out `operation` on the open file. OP_LOOP marks A, then B (playing A-B over and over),
// then ends the loop; STOP and a seek outside the loop end it too, and a resume inside it goes
// back revSeconds but never before A. Returns 0 when no file is open (an _END operation
// still stops its repeat then, and nothing else is done), -1 when the operation
// does not apply in the current state (then `playState` keeps every byte), 1 otherwise, after
// `state` and `position` were read back. Reads revSeconds, rewSeconds, ffSeconds and pitchStep
// afresh; the pitch steps (OP_PITCH_UP, OP_PITCH_DOWN) also store the new pitch in
// `options->pitch`, so that the pitch box, the library and the saved value agree. Nothing else in
// `options` is written.
int32_t RunOperation(const PlaybackPort *port, RepeatTimers *repeats, bool fileOpen,
                     int32_t operation, PlayState *playState, OptionData *options);

// Ends the loop A-B (or the A marked for it): the library and the seek bar let it go.
void ClearLoop(const PlaybackPort *port, PlayState *playState);

enum JumpResult { JUMP_DONE, JUMP_NO_FILE, JUMP_BEFORE_START, JUMP_PAST_END };

// JUMP and GOTO: seeks to `seconds`, keeping the play state (a stopped file waits paused there);
// a seek outside the loop ends it. Nothing moves unless JUMP_DONE is returned.
JumpResult JumpTo(const PlaybackPort *port, bool fileOpen, int64_t seconds, PlayState *playState);

// Stops every repeat timer that runs: a closed or failed file ends every held step.
void StopAllRepeats(const PlaybackPort *port, RepeatTimers *repeats);

// The operation a repeat timer's tick sends again as a press (OP_REW, OP_FF, OP_PITCH_UP or
// OP_PITCH_DOWN), or 0 for any other timer id.
int32_t RepeatOperationOfTimer(int32_t timerId);

// Refresh timer tick: reads the state, ends the timer once the file stopped, draws the status
// line at once and moves the thumb.
void RefreshTick(const PlaybackPort *port, PlayState *playState);

enum SeekBarEvent { SEEK_BAR_DRAG, SEEK_BAR_RELEASE, SEEK_BAR_OTHER };

// The seek bar moved: while dragging the status line follows the thumb; on release the file
// seeks there ("vbmp3_seek error" when the library refuses) and the refresh timer restarts.
void SeekBarScrolled(const PlaybackPort *port, bool fileOpen, SeekBarEvent event,
                     PlayState *playState);

// The pitch box shows `value` after a click of its up-down: the library gets it and the stored
// pitch becomes whatever the library then holds. Needs no open file.
void PitchBoxChanged(const PlaybackPort *port, int32_t value, OptionData *options);

// Once after the library started: sends the stored pitch; if the library refuses it, the stored
// pitch takes the library's own value so that both agree.
void SendStoredPitch(const PlaybackPort *port, OptionData *options);

// A row of the Play menu: its operations in order (the second is 0 for none) and whether the
// status line and thumb are refreshed afterwards.
struct PlayMenuRow {
    int32_t commandId;
    int32_t first;
    int32_t second;
    bool refresh;
};

// The row of a Play menu command id, or null for any other id.
const PlayMenuRow *FindPlayMenuRow(int32_t commandId);

#endif
