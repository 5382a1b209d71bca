// What an output device tells about itself over time, kept apart from the device calls: how far
// the position it reports runs ahead of what the listener hears (its lead), and whether it has
// stopped taking sound (unplugged). No windows.h; the feeder feeds it what the device reports.
#ifndef PARLOMIX_OUTPUT_CLOCK_H
#define PARLOMIX_OUTPUT_CLOCK_H

#include <stdint.h>

enum {
    LEAD_OBSERVATIONS = 16,  // the lead is the median of the last this many buffers back
    DEVICE_LOST_MS = 200,    // queued sound and no progress for this long: the device is gone
};

struct OutputClock {
    uint32_t observed[LEAD_OBSERVATIONS];  // frames, oldest overwritten first
    uint32_t count;                        // observations since the device was opened
    uint64_t lastPosition;
    uint32_t lastProgressMs;
};

// A device just opened: nothing known of its lead, progress counted from `nowMs`.
void ResetOutputClock(OutputClock &c, uint32_t nowMs);

// A buffer whose last frame was output frame `end` - 1 came back (the device has played it) when
// the device reported `position` with `written` frames given to it. The difference is how far
// the position runs ahead of the listener; a device that has taken everything (starved, or a
// fade that ended the sound) says nothing about it.
void NoteBufferBack(OutputClock &c, uint64_t end, uint64_t position, uint64_t written);

bool LeadKnown(const OutputClock &c);
// The median of the recent observations (0 when none).
uint32_t LeadFrames(const OutputClock &c);

// Sound starts (again) now: a stall is counted from here, not from before a pause.
void RestartWatch(OutputClock &c, uint32_t nowMs);

// Called on every feeder pass while playing. True once the device has had sound queued and has
// neither moved its position nor given a buffer back for DEVICE_LOST_MS.
bool DeviceStalled(OutputClock &c, uint64_t position, bool bufferBack, bool queued, uint32_t nowMs);

#endif
