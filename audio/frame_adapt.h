// Bringing decoded sound whose rate or channel count changed in mid-stream back to the format the
// stream opened with: HE-AAC's decoder doubles its rate once the second band starts, and its
// parametric stereo turns mono into stereo, while the output device keeps what it was opened for.
// Linear interpolation is enough here: a change of type happens in the first frames after a start.
#ifndef PARLOMIX_AUDIO_FRAME_ADAPT_H
#define PARLOMIX_AUDIO_FRAME_ADAPT_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct FrameAdapter {
    uint32_t toRate;
    int toChannels;  // 1 or 2
    double at;       // the next output frame, in input frames counted from `last`
    int16_t last[2];
};

// A fresh start (after a seek): nothing held from before.
void ResetFrameAdapter(FrameAdapter &a, uint32_t toRate, int toChannels);

// Appends `frames` 16-bit frames of `channels` (1 or 2) at `rate`, converted, to `out`.
void AdaptFrames(FrameAdapter &a, const int16_t *in, size_t frames, int channels, uint32_t rate,
                 std::vector<int16_t> *out);

#endif
