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
};
static_assert(offsetof(PlayState, fileInfo) == 12 && sizeof(PlayState) == 284, "PlayState layout");

#endif
