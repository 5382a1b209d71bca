// Queueing time stamps and deciding when they are typed. The stamp is the status line's clock
// text of the position, so both always agree.
#include "app/timestamp.h"

#include <string.h>

#include "app/status_text.h"

bool TimestampPressed(const PlaybackPort *port, bool fileOpen, TimestampQueue *queue,
                      uint32_t nowMs) {
    if (!fileOpen) return false;
    int32_t position = 0;
    port->getState(port->context, &position);
    char stamp[TIMESTAMP_TEXT_SIZE];
    int length = FormatTimestampText(stamp, sizeof stamp, position);
    if (length <= 0 || queue->length + length >= TIMESTAMP_QUEUE_SIZE) return false;
    if (queue->length == 0) queue->firstQueuedAt = nowMs;
    memcpy(queue->text + queue->length, stamp, (size_t)length);
    queue->length += length;
    queue->text[queue->length] = '\0';
    // A running timer restarts its period; the first press's tick still bounds the wait.
    port->startTimer(port->context, TIMER_TIMESTAMP, TIMESTAMP_POLL_MS);
    return true;
}

TimestampStep NextTimestampStep(const TimestampQueue *queue, bool modifierHeld, uint32_t nowMs) {
    if (queue->length == 0) return TIMESTAMP_DROP;
    // Unsigned, so that the tick counter's wrap-around changes nothing.
    if (nowMs - queue->firstQueuedAt >= (uint32_t)TIMESTAMP_WAIT_LIMIT_MS) return TIMESTAMP_DROP;
    return modifierHeld ? TIMESTAMP_WAIT : TIMESTAMP_TYPE;
}

void ClearTimestamps(TimestampQueue *queue) { memset(queue, 0, sizeof *queue); }
