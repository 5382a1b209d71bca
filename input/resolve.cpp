// The one place where every input event (hook, joystick, repeat timers) becomes an operation.
#include "input/resolve.h"

#include "input/tables.h"

int32_t ResolveOperation(int32_t operation, int32_t keyFlags, const OptionData *options) {
    const bool released = keyFlags < 0;
    switch (operation) {
    case OP_PLAY_PAUSE:
        if (options->playMode != 0) return released ? OP_PAUSE : OP_PLAY;
        return released ? OP_INVALID : OP_PLAY_PAUSE;
    case OP_STOP: return released ? OP_INVALID : OP_STOP;
    case OP_REW: return released ? OP_REW_END : OP_REW;
    case OP_FF: return released ? OP_FF_END : OP_FF;
    case OP_PITCH_UP: return released ? OP_PITCH_UP_END : OP_PITCH_UP;
    case OP_PITCH_DOWN: return released ? OP_PITCH_DOWN_END : OP_PITCH_DOWN;
    case OP_TIMESTAMP: return released ? OP_INVALID : OP_TIMESTAMP;
    default:
        // The operations past TIMESTAMP act once, on the press.
        if (operation >= OP_JUMP && operation <= OP_LAST) return released ? OP_INVALID : operation;
        return OP_INVALID;
    }
}
