// The TIMESTAMP and SNIPPET operations' decisions, free of Win32: a press queues the heard
// position as a stamp in the configured format (or a snippet, its {time} made the stamp), and the
// queue is typed into the focused program only once no modifier key is
// held, so that the binding's Ctrl never turns the digits into shortcuts. The main window polls
// with a short timer meanwhile (timestamp_win.h), never blocking its thread.
#ifndef PARLOMIX_TIMESTAMP_H
#define PARLOMIX_TIMESTAMP_H

#include <stdint.h>

#include "app/stamp.h"
#include "playback/controller.h"
#include "playback/playback_port.h"

enum {
    // The period of the poll timer, TIMER_TIMESTAMP.
    TIMESTAMP_POLL_MS = 20,
    // Stamps still waiting this long after the first press (a modifier held on, or a key state
    // that never clears) are dropped rather than typed somewhere the user no longer expects.
    TIMESTAMP_WAIT_LIMIT_MS = 10000,
    TIMESTAMP_QUEUE_SIZE = 512
};

// Stamps of presses not yet typed, back to back, and the tick of the first of them.
struct TimestampQueue {
    char text[TIMESTAMP_QUEUE_SIZE];
    int32_t length;
    uint32_t firstQueuedAt;
};

// A TIMESTAMP press (`snippet` -1) or a press of snippet `snippet` at tick `nowMs`: the stamp
// of the position the library reports now, with the settings' format and offset, or the snippet
// with that stamp for each {time}, is appended and the poll timer started. Returns false, doing
// nothing, when the text needs a position and no file is open, when it is empty, or when the
// queue has no room for it. Playback is not touched.
bool TimestampPressed(const PlaybackPort *port, bool fileOpen, TimestampQueue *queue,
                      uint32_t nowMs, const TextSettings *settings, int snippet);

enum TimestampStep { TIMESTAMP_WAIT, TIMESTAMP_TYPE, TIMESTAMP_DROP };

// One poll at tick `nowMs`: WAIT while a modifier key is held (and the limit is not reached);
// otherwise TYPE when stamps are queued, or DROP. After TYPE and DROP the caller stops the poll
// timer and empties the queue with ClearTimestamps.
TimestampStep NextTimestampStep(const TimestampQueue *queue, bool modifierHeld, uint32_t nowMs);

void ClearTimestamps(TimestampQueue *queue);

#endif
