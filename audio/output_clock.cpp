// The output device's position, lead and stall watch (see output_clock.h).
#include "audio/output_clock.h"

#include <algorithm>

uint64_t AdvanceCounter(DeviceCounter &c, uint32_t raw, uint32_t unitsPerFrame) {
    c.total += uint32_t(raw - c.last);  // wraps cleanly
    c.last = raw;
    return c.total / unitsPerFrame;
}

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

uint64_t HeardOutput(const OutputClock &c, uint64_t position, uint64_t heardWhole,
                     uint64_t notYetWhole) {
    uint64_t lead = LeadKnown(c) ? LeadFrames(c) : position;
    uint64_t at = position > lead ? position - lead : 0;
    if (at > notYetWhole) at = notYetWhole;
    return at < heardWhole ? heardWhole : at;
}

void RestartWatch(OutputClock &c, uint64_t position, uint32_t nowMs) {
    c.lastPosition = position;
    c.lastProgressMs = nowMs;
    c.moved = false;
}

bool DeviceStalled(OutputClock &c, uint64_t position, bool bufferBack, bool queued,
                   uint32_t nowMs) {
    if (!queued) {
        c.lastPosition = position;
        c.lastProgressMs = nowMs;
        return false;
    }
    if (position != c.lastPosition || bufferBack) {
        c.lastPosition = position;
        c.lastProgressMs = nowMs;
        c.moved = true;
        return false;
    }
    uint32_t limit = c.moved ? uint32_t(DEVICE_LOST_MS) : uint32_t(DEVICE_START_MS);
    return uint32_t(nowMs - c.lastProgressMs) >= limit;  // wraps cleanly
}
