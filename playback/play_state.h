// PlayState describes the open file as the library last reported it. The main window keeps one
// in its own record, beside the flag that says whether a file is open at all.
#ifndef PARLOMIX_PLAY_STATE_H
#define PARLOMIX_PLAY_STATE_H

#include <stddef.h>
#include <stdint.h>

#include "audio/vbmp3.h"

struct PlayState {
    int32_t state;           // VBMP3_STOPPED, VBMP3_PLAYING or VBMP3_PAUSED
    int32_t position;        // whole seconds
    int32_t seekPosition;    // target of the last REW/FF step; where OP_SEEK goes
    Vbmp3FileInfo fileInfo;  // its last 4 bytes are the length
    // The loop A-B: LOOP_OFF, LOOP_MARKED once A is set, LOOP_ON while A-B repeats (seconds).
    int32_t loop;
    int32_t loopFrom;
    int32_t loopTo;
};
static_assert(offsetof(PlayState, fileInfo) == 12 && sizeof(PlayState) == 296, "PlayState layout");

enum { LOOP_OFF = 0, LOOP_MARKED = 1, LOOP_ON = 2 };

#endif
