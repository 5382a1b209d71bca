// Speed change that keeps the pitch: WSOLA tuned for speech (segments of 40-90 ms joined by
// 8 ms cross-fades at the best-matching offset within a 15-20 ms window). At tempo 1 it passes
// the input through sample for sample; moving in or out of that passthrough is cross-faded.
// Each output stretch carries the source positions it stands for, so the player can tell
// what the listener hears. Portable.
#ifndef PARLOMIX_AUDIO_STRETCH_H
#define PARLOMIX_AUDIO_STRETCH_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct StretchMark {
    uint32_t frames;  // output frames this mark covers
    double from, to;  // source frame positions at its start and end
};

struct Stretch {
    int channels;
    uint32_t rate;
    double tempo;             // source frames per output frame
    bool passing;             // passthrough: output is the input itself
    bool finished;            // no more input will come
    double sourceEnd;         // once finished: the source frame where the input ended
    std::vector<int16_t> in;  // interleaved input, in[0] is source frame inStart
    uint64_t inStart;
    uint64_t cursor;           // passthrough: next source frame to copy
    uint64_t tail;             // stretching: where the previous segment would go on
    double nominal;            // stretching: the ideal source position of the next segment
    std::vector<int16_t> out;  // produced, not yet taken
    size_t outAt;
    std::vector<StretchMark> marks;
    size_t markAt;
    uint32_t markUsed;                              // frames of marks[markAt] already taken
    std::vector<float> monoA, monoB, halfA, halfB;  // scratch for the correlation
};

void StretchReset(Stretch &s, int channels, uint32_t rate, uint64_t sourcePosition);
// 0.5 .. 3.0; exactly 1.0 passes through.
void StretchSetTempo(Stretch &s, double tempo);
// Input frames the stretch wants before it can produce more (0 when it has enough).
size_t StretchWanted(const Stretch &s);
void StretchPut(Stretch &s, const int16_t *frames, size_t count);
// The input has ended: what is left is passed out as it is.
void StretchFinish(Stretch &s);
// Takes up to maxFrames produced frames; from/to receive the source positions they span.
size_t StretchTake(Stretch &s, int16_t *out, size_t maxFrames, double *from, double *to);
// Frames produced and waiting.
size_t StretchReady(const Stretch &s);

#endif
