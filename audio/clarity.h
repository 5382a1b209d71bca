// Stages that make speech easier to hear, applied to the decoded sound before the time stretch:
// which channel is heard, a low cut against hum and rumble, a noise reduction that learns the
// noise from the pauses, and an automatic volume with a limiter. With every stage off the sound
// passes untouched. A change of settings takes effect at a restart of the stream; the player
// cross-fades from what was playing into the restarted stream (ClarityFadeIn), so nothing clicks.
// Portable.
#ifndef PARLOMIX_AUDIO_CLARITY_H
#define PARLOMIX_AUDIO_CLARITY_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "audio/fft.h"

// Which input channel is heard on both sides; a mono recording ignores it.
enum ClarityChannel { CLARITY_BOTH, CLARITY_LEFT, CLARITY_RIGHT };

struct ClaritySettings {
    bool autoGain, noiseReduction, lowCut;
    ClarityChannel channel;
};

enum {
    CLARITY_MAX_CHANNELS = 2,
    CLARITY_MAX_LATENCY = 2048,  // frames; ClarityDrain writes at most this many
    CLARITY_LOW_CUT_HZ = 120,
    // What the automatic volume aims for, as the RMS of speech in dB below full scale (a full
    // scale sine is -3), and the ceiling its limiter keeps every sample under.
    CLARITY_TARGET_DBFS = -20,
    CLARITY_CEILING_MILLI_DBFS = -1500,
    CLARITY_MAX_BOOST_DB = 30,
};

// The lowest recent value of a level, rising slowly while the level stays above it: what a
// pause sounds like.
struct RisingFloor {
    double level;
    double rise;  // factor per update
    bool known;
};

struct BiquadCoefficients {
    double b0, b1, b2, a1, a2;
};
struct BiquadMemory {
    double x1, x2, y1, y2;
};

struct NoiseReducer {
    size_t size, hop;  // frame and step of the short-time spectra
    Fft fft;
    std::vector<float> window;                     // square root of a Hann window
    std::vector<float> in[CLARITY_MAX_CHANNELS];   // the last `size` input samples
    std::vector<float> sum[CLARITY_MAX_CHANNELS];  // overlap-add of processed frames
    size_t at;                                     // samples since the last frame
    std::vector<float> frame, re[CLARITY_MAX_CHANNELS], im[CLARITY_MAX_CHANNELS];
    std::vector<float> noise;  // per bin: power of the noise, learned in pauses
    std::vector<float> clean;  // per bin: power of the last frame after the gain
    bool noiseKnown;
    RisingFloor floor;  // of the frame energy
    double noiseKeep;   // per frame: how much of the noise estimate stays
};

struct AutoGain {
    uint32_t block, at;  // measuring block and frames into it
    double sum;          // of squares in the block
    RisingFloor floor;   // of the block power
    double level;        // power of speech, from blocks well above the floor
    bool levelKnown;
    double gain, step;  // gain now, and its change per frame within this block
    double peak;        // the limiter's envelope: recent largest sample after the gain
    double blockKeep, jumpKeep, peakKeep, upPerBlock;
};

struct Clarity {
    int channels;
    uint32_t rate;
    ClaritySettings on;
    BiquadCoefficients cut[2];  // two sections make a fourth-order Butterworth high-pass
    BiquadMemory cutMemory[2][CLARITY_MAX_CHANNELS];
    NoiseReducer noise;
    AutoGain gain;
    uint32_t discard;  // output frames still to drop after a restart
    std::vector<float> work;
};

// A new recording: everything learned about the last one is forgotten; every stage is off.
void ClarityOpen(Clarity &c, int channels, uint32_t rate);
// Starts the stream afresh at source frame `frame` with `settings`. What the stages learned (the
// noise, the speech level) is kept. Returns the frame to decode from: the stages are primed by
// sound before `frame`, and ClarityProcess drops what they make of it, so that the first frame it
// returns is `frame` itself.
uint64_t ClarityRestart(Clarity &c, const ClaritySettings &settings, uint64_t frame);
// Processes `count` interleaved frames in place and returns how many are kept at the front.
size_t ClarityProcess(Clarity &c, int16_t *frames, size_t count);
// The input has ended: writes the frames the stages still hold (at most ClarityLatency) and
// returns their number.
size_t ClarityDrain(Clarity &c, int16_t *frames);
// Frames between an input frame and its output.
size_t ClarityLatency(const Clarity &c);
bool ClarityAnyOn(const ClaritySettings &s);

// A raised-cosine fade of `fresh` in over `length` frames, of which `done` have passed, and of
// `old` (null: silence) out over the same frames.
void ClarityFadeIn(int16_t *fresh, const int16_t *old, size_t frames, int channels, uint32_t done,
                   uint32_t length);

#endif
