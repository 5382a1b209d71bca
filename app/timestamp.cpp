// Queueing time stamps and snippets and deciding when they are typed. The stamp's clock is the
// status line's position, so both always agree when there is no offset.
#include "app/timestamp.h"

#include <stdio.h>
#include <string.h>

bool TimestampPressed(const PlaybackPort *port, bool fileOpen, TimestampQueue *queue,
                      uint32_t nowMs, const TextSettings *settings, int snippet) {
    const char *snippetText = snippet >= 0 ? settings->snippets[snippet] : nullptr;
    bool needsTime = snippetText == nullptr || SnippetNeedsTime(snippetText);
    if (needsTime && !fileOpen) return false;
    char stamp[STAMP_TEXT_SIZE] = "";
    if (needsTime) {
        int32_t position = 0;
        port->getState(port->context, &position);
        FormatStamp(stamp, sizeof stamp, settings->format,
                    ((int64_t)position + settings->offsetSeconds) * 1000);
    }
    char text[TIMESTAMP_QUEUE_SIZE];
    int length = snippetText ? ExpandSnippet(text, sizeof text, snippetText, stamp)
                             : snprintf(text, sizeof text, "%s", stamp);
    if (length <= 0 || queue->length + length >= TIMESTAMP_QUEUE_SIZE) return false;
    if (queue->length == 0) queue->firstQueuedAt = nowMs;
    memcpy(queue->text + queue->length, text, (size_t)length);
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
