// The output device's lead and stall watch (see output_clock.h).
#include "audio/output_clock.h"

#include <algorithm>

void ResetOutputClock(OutputClock &c, uint32_t nowMs) {
    c = OutputClock();
    c.lastProgressMs = nowMs;
}

void NoteBufferBack(OutputClock &c, uint64_t end, uint64_t position, uint64_t written) {
    if (position >= written) return;
    uint64_t ahead = position > end ? position - end : 0;
    c.observed[c.count % LEAD_OBSERVATIONS] = ahead > UINT32_MAX ? UINT32_MAX : uint32_t(ahead);
    ++c.count;
}

bool LeadKnown(const OutputClock &c) { return c.count != 0; }

uint32_t LeadFrames(const OutputClock &c) {
    uint32_t n = c.count < LEAD_OBSERVATIONS ? c.count : uint32_t(LEAD_OBSERVATIONS);
    if (n == 0) return 0;
    uint32_t sorted[LEAD_OBSERVATIONS];
    std::copy(c.observed, c.observed + n, sorted);
    std::sort(sorted, sorted + n);
    return sorted[n / 2];
}

void RestartWatch(OutputClock &c, uint32_t nowMs) { c.lastProgressMs = nowMs; }

bool DeviceStalled(OutputClock &c, uint64_t position, bool bufferBack, bool queued,
                   uint32_t nowMs) {
    if (position != c.lastPosition || bufferBack || !queued) {
        c.lastPosition = position;
        c.lastProgressMs = nowMs;
        return false;
    }
    return uint32_t(nowMs - c.lastProgressMs) >= DEVICE_LOST_MS;  // wraps cleanly
}
