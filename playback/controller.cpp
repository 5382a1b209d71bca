// The playback controller's state table and steps, written against PlaybackPort so that every
// cell can be checked against a fake library.
#include "playback/controller.h"

#include "res/resource.h"

static const char SEEK_ERROR_TEXT[] = "vbmp3_seek error";
static const char SET_PITCH_ERROR_TEXT[] = "vbmp3_setPitch error";

static const PlayMenuRow PLAY_MENU_ROWS[] = {
    {IDM_PLAY_PAUSE, OP_PLAY_PAUSE, 0, true},
    {IDM_STOP, OP_STOP, 0, true},
    {IDM_REW, OP_REW, OP_REW_END, true},
    {IDM_FF, OP_FF, OP_FF_END, true},
    {IDM_PITCH_UP, OP_PITCH_UP, OP_PITCH_UP_END, false},
    {IDM_PITCH_DOWN, OP_PITCH_DOWN, OP_PITCH_DOWN_END, false},
    {IDM_LOOP, OP_LOOP, 0, true},
};
static const int32_t PLAY_MENU_ROW_COUNT = sizeof PLAY_MENU_ROWS / sizeof PLAY_MENU_ROWS[0];

static void StartRefresh(const PlaybackPort *port) {
    // SetTimer on a running id restarts its period, so there is never a second refresh timer.
    port->startTimer(port->context, TIMER_REFRESH, REFRESH_PERIOD_MS);
}

static void StopRefresh(const PlaybackPort *port) { port->stopTimer(port->context, TIMER_REFRESH); }

static void StartRepeat(const PlaybackPort *port, RepeatTimers *repeats, int32_t timerId) {
    bool *running = &repeats->running[timerId - TIMER_REW_REPEAT];
    if (!*running) {
        port->startTimer(port->context, timerId, REPEAT_PERIOD_MS);
        *running = true;
    }
}

static void StopRepeat(const PlaybackPort *port, RepeatTimers *repeats, int32_t timerId) {
    bool *running = &repeats->running[timerId - TIMER_REW_REPEAT];
    if (*running) {
        port->stopTimer(port->context, timerId);
        *running = false;
    }
}

static void Play(const PlaybackPort *port) {
    port->play(port->context);
    StartRefresh(port);
}

static void Pause(const PlaybackPort *port) {
    port->pause(port->context);
    StopRefresh(port);
}

void ClearLoop(const PlaybackPort *port, PlayState *playState) {
    if (playState->loop == LOOP_ON) port->setLoop(port->context, 0, 0);
    playState->loop = LOOP_OFF;
    playState->loopFrom = playState->loopTo = 0;
}

// A seek to `target` that leaves the loop (or, with only A marked, goes before A) ends it.
static void SeekLeavesLoop(const PlaybackPort *port, int32_t target, PlayState *playState) {
    int32_t end = playState->loop == LOOP_ON ? playState->loopTo : playState->fileInfo.length;
    if (playState->loop != LOOP_OFF && (target < playState->loopFrom || target > end))
        ClearLoop(port, playState);
}

// A marks where the listener is; B the end of the second being heard, so that the passage just
// heard is inside, and always at least a second after A.
static void LoopPressed(const PlaybackPort *port, int32_t position, PlayState *playState) {
    if (playState->loop == LOOP_ON) {
        ClearLoop(port, playState);
    } else if (playState->loop == LOOP_MARKED) {
        int32_t to = position + 1;
        if (to <= playState->loopFrom) to = playState->loopFrom + 1;
        if (to > playState->fileInfo.length) to = playState->fileInfo.length;
        if (to <= playState->loopFrom) {
            ClearLoop(port, playState);
            return;
        }
        playState->loop = LOOP_ON;
        playState->loopTo = to;
        port->setLoop(port->context, playState->loopFrom, to);
    } else {
        playState->loop = LOOP_MARKED;
        playState->loopFrom = position;
    }
}

static void Resume(const PlaybackPort *port, int32_t position, const OptionData *options,
                   const PlayState *playState) {
    int32_t target = position - options->revSeconds;
    if (target < 0) {
        target = 0;
    }
    // Inside the loop a resume goes back, but never before A.
    bool inLoop = playState->loop == LOOP_ON && position >= playState->loopFrom &&
                  position <= playState->loopTo;
    if (inLoop && target < playState->loopFrom) target = playState->loopFrom;
    port->seek(port->context, target);
    port->restart(port->context);
    StartRefresh(port);
}

static void RewStep(const PlaybackPort *port, RepeatTimers *repeats, int32_t position,
                    PlayState *playState, const OptionData *options) {
    StopRepeat(port, repeats, TIMER_FF_REPEAT);
    int32_t target = position - options->rewSeconds;
    if (target < 0) {
        target = 0;
    }
    playState->seekPosition = target;
    SeekLeavesLoop(port, target, playState);
    port->seek(port->context, target);
    StartRepeat(port, repeats, TIMER_REW_REPEAT);
}

static void FfStep(const PlaybackPort *port, RepeatTimers *repeats, int32_t position,
                   PlayState *playState, const OptionData *options) {
    StopRepeat(port, repeats, TIMER_REW_REPEAT);
    int32_t target = position + options->ffSeconds;
    if (playState->fileInfo.length < target) {
        target = playState->fileInfo.length;
    }
    playState->seekPosition = target;
    SeekLeavesLoop(port, target, playState);
    port->seek(port->context, target);
    StartRepeat(port, repeats, TIMER_FF_REPEAT);
}

static void PitchStep(const PlaybackPort *port, RepeatTimers *repeats, int32_t direction,
                      OptionData *options) {
    int32_t timerId;
    int32_t pitch = port->getPitch(port->context);
    if (direction > 0) {
        timerId = TIMER_PITCH_UP_REPEAT;
        pitch += options->pitchStep;
        if (pitch > VBMP3_PITCH_MAX) {
            pitch = VBMP3_PITCH_MAX;
        }
    } else {
        timerId = TIMER_PITCH_DOWN_REPEAT;
        pitch -= options->pitchStep;
        if (pitch < VBMP3_PITCH_MIN) {
            pitch = VBMP3_PITCH_MIN;
        }
    }
    port->setPitch(port->context, pitch);
    options->pitch = pitch;
    port->postPitch(port->context, pitch);
    // A held binding halts on the normal pitch; only a step that lands on it exactly stops.
    if (pitch == VBMP3_PITCH_NORMAL) {
        StopRepeat(port, repeats, timerId);
    } else {
        StartRepeat(port, repeats, timerId);
    }
}

static void SeekPaused(const PlaybackPort *port, int32_t state, const PlayState *playState) {
    // The library seeks only a playing or paused file.
    if (state == VBMP3_STOPPED) {
        port->play(port->context);
        port->pause(port->context);
    } else if (state == VBMP3_PLAYING) {
        port->pause(port->context);
    }
    port->seek(port->context, playState->seekPosition);
}

// The repeat timer that an _END operation stops, or 0 for any other operation.
static int32_t RepeatOfEndOperation(int32_t operation) {
    switch (operation) {
    case OP_REW_END: return TIMER_REW_REPEAT;
    case OP_FF_END: return TIMER_FF_REPEAT;
    case OP_PITCH_UP_END: return TIMER_PITCH_UP_REPEAT;
    case OP_PITCH_DOWN_END: return TIMER_PITCH_DOWN_REPEAT;
    default: return 0;
    }
}

void StopAllRepeats(const PlaybackPort *port, RepeatTimers *repeats) {
    for (int32_t timerId = TIMER_REW_REPEAT; timerId <= TIMER_PITCH_DOWN_REPEAT; ++timerId) {
        StopRepeat(port, repeats, timerId);
    }
}

int32_t RunOperation(const PlaybackPort *port, RepeatTimers *repeats, bool fileOpen,
                     int32_t operation, PlayState *playState, OptionData *options) {
    if (!fileOpen) {
        // A release must never be lost: the file may have gone while its key was held, and the
        // repeat would otherwise step through the next file that opens.
        int32_t repeat = RepeatOfEndOperation(operation);
        if (repeat != 0) {
            StopRepeat(port, repeats, repeat);
        }
        return 0;
    }
    int32_t position = 0;
    int32_t state = port->getState(port->context, &position);
    bool stopped = state == VBMP3_STOPPED;
    bool playing = state == VBMP3_PLAYING;
    bool paused = state == VBMP3_PAUSED;

    switch (operation) {
    case OP_PLAY_PAUSE:
        if (playing) {
            Pause(port);
        } else if (paused) {
            Resume(port, position, options, playState);
        } else {
            Play(port);
        }
        break;
    case OP_PLAY:
        if (playing) {
            return -1;
        }
        if (paused) {
            Resume(port, position, options, playState);
        } else {
            Play(port);
        }
        break;
    case OP_PAUSE:
        if (!playing) {
            return -1;
        }
        Pause(port);
        break;
    case OP_STOP:
        if (stopped) {
            return -1;
        }
        port->stop(port->context);
        StopRefresh(port);
        ClearLoop(port, playState);
        break;
    case OP_REW:
        if (stopped) {
            return -1;
        }
        RewStep(port, repeats, position, playState, options);
        break;
    case OP_FF:
        if (stopped) {
            return -1;
        }
        FfStep(port, repeats, position, playState, options);
        break;
    case OP_REW_END:
    case OP_FF_END:
    case OP_PITCH_UP_END:
    case OP_PITCH_DOWN_END: StopRepeat(port, repeats, RepeatOfEndOperation(operation)); break;
    case OP_PITCH_UP: PitchStep(port, repeats, +1, options); break;
    case OP_PITCH_DOWN: PitchStep(port, repeats, -1, options); break;
    case OP_SEEK: SeekPaused(port, state, playState); break;
    case OP_LOOP:
        if (stopped) {
            return -1;
        }
        LoopPressed(port, position, playState);
        break;
    case OP_INVALID: return -1;
    default: break;
    }
    playState->state = port->getState(port->context, &playState->position);
    return 1;
}

int32_t RepeatOperationOfTimer(int32_t timerId) {
    switch (timerId) {
    case TIMER_REW_REPEAT: return OP_REW;
    case TIMER_FF_REPEAT: return OP_FF;
    case TIMER_PITCH_UP_REPEAT: return OP_PITCH_UP;
    case TIMER_PITCH_DOWN_REPEAT: return OP_PITCH_DOWN;
    default: return 0;
    }
}

void RefreshTick(const PlaybackPort *port, PlayState *playState) {
    playState->state = port->getState(port->context, &playState->position);
    if (playState->state == VBMP3_STOPPED) {
        StopRefresh(port);
    }
    port->drawStatus(port->context, playState);
    port->setThumb(port->context, playState->position);
}

void SeekBarScrolled(const PlaybackPort *port, bool fileOpen, SeekBarEvent event,
                     PlayState *playState) {
    if (!fileOpen) {
        port->setThumb(port->context, 0);
        return;
    }
    playState->state = port->getState(port->context, &playState->position);
    if (playState->state == VBMP3_STOPPED) {
        port->setThumb(port->context, 0);
        return;
    }
    if (event == SEEK_BAR_DRAG) {
        StopRefresh(port);
        playState->position = port->getThumb(port->context);
        port->drawStatus(port->context, playState);
    } else if (event == SEEK_BAR_RELEASE) {
        int32_t target = port->getThumb(port->context);
        SeekLeavesLoop(port, target, playState);
        if (port->seek(port->context, target) == 0) {
            port->showError(port->context, SEEK_ERROR_TEXT);
            return;
        }
        playState->state = port->getState(port->context, &playState->position);
        port->invalidateStatus(port->context);
        StartRefresh(port);
    }
}

JumpResult JumpTo(const PlaybackPort *port, bool fileOpen, int64_t seconds, PlayState *playState) {
    if (!fileOpen) return JUMP_NO_FILE;
    if (seconds < 0) return JUMP_BEFORE_START;
    if (seconds > playState->fileInfo.length) return JUMP_PAST_END;
    int32_t position = 0;
    int32_t state = port->getState(port->context, &position);
    // The library seeks only a playing or paused file: a stopped one waits paused there.
    if (state == VBMP3_STOPPED) {
        port->play(port->context);
        port->pause(port->context);
    }
    SeekLeavesLoop(port, (int32_t)seconds, playState);
    if (port->seek(port->context, (int32_t)seconds) == 0) {
        port->showError(port->context, SEEK_ERROR_TEXT);
    }
    playState->state = port->getState(port->context, &playState->position);
    return JUMP_DONE;
}

void PitchBoxChanged(const PlaybackPort *port, int32_t value, OptionData *options) {
    int32_t accepted = port->setPitch(port->context, value);
    options->pitch = port->getPitch(port->context);
    if (accepted == 0) {
        port->showError(port->context, SET_PITCH_ERROR_TEXT);
    }
}

void SendStoredPitch(const PlaybackPort *port, OptionData *options) {
    if (port->setPitch(port->context, options->pitch) == 0) {
        options->pitch = port->getPitch(port->context);
    }
}

const PlayMenuRow *FindPlayMenuRow(int32_t commandId) {
    for (int32_t i = 0; i < PLAY_MENU_ROW_COUNT; ++i) {
        if (PLAY_MENU_ROWS[i].commandId == commandId) {
            return &PLAY_MENU_ROWS[i];
        }
    }
    return nullptr;
}
