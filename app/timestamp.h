// The TIMESTAMP operation's decisions, free of Win32: a press queues the heard position as
// "[hh:mm:ss] ", and the queue is typed into the focused program only once no modifier key is
// held, so that the binding's Ctrl never turns the digits into shortcuts. The main window polls
// with a short timer meanwhile (timestamp_win.h), never blocking its thread.
#ifndef PARLOMIX_TIMESTAMP_H
#define PARLOMIX_TIMESTAMP_H

#include <stdint.h>

#include "playback/controller.h"
#include "playback/playback_port.h"

enum {
    // The period of the poll timer, TIMER_TIMESTAMP.
    TIMESTAMP_POLL_MS = 20,
    // Stamps still waiting this long after the first press (a modifier held on, or a key state
    // that never clears) are dropped rather than typed somewhere the user no longer expects.
    TIMESTAMP_WAIT_LIMIT_MS = 10000,
    TIMESTAMP_QUEUE_SIZE = 96
};

// Stamps of presses not yet typed, back to back, and the tick of the first of them.
struct TimestampQueue {
    char text[TIMESTAMP_QUEUE_SIZE];
    int32_t length;
    uint32_t firstQueuedAt;
};

// A TIMESTAMP press at tick `nowMs`: with a file open, the position the library reports now is
// appended as its stamp and the poll timer started; returns false, doing nothing, when no file
// is open or the queue is full. Playback is not touched.
bool TimestampPressed(const PlaybackPort *port, bool fileOpen, TimestampQueue *queue,
                      uint32_t nowMs);

enum TimestampStep { TIMESTAMP_WAIT, TIMESTAMP_TYPE, TIMESTAMP_DROP };

// One poll at tick `nowMs`: WAIT while a modifier key is held (and the limit is not reached);
// otherwise TYPE when stamps are queued, or DROP. After TYPE and DROP the caller stops the poll
// timer and empties the queue with ClearTimestamps.
TimestampStep NextTimestampStep(const TimestampQueue *queue, bool modifierHeld, uint32_t nowMs);

void ClearTimestamps(TimestampQueue *queue);

#endif
