// The stages run in a fixed order, each over a block of samples scaled to +-1: channel choice
// first (the rest then works on what is heard), low cut, noise reduction, automatic volume last
// (so that it measures the cleaned sound and its limiter has the last word).
// Noise reduction: short-time spectra with square-root Hann windows at half overlap; frames whose
// energy stays near the lowest recent one are pauses and teach the noise spectrum; each bin gets
// a Wiener gain from a decision-directed estimate of its speech-to-noise ratio, never below a
// floor, so that the remaining noise keeps its character instead of warbling.
// Automatic volume: the speech level is measured over blocks well above the pause floor only, so
// pauses hold the gain; the gain rises at a bounded rate and falls at once; a peak limiter with
// instant attack keeps the result under the ceiling.
#include "audio/clarity.h"

#include <math.h>
#include <string.h>

// To the digits the player's fades have always used, so that a fade with nothing to cross from
// keeps its samples.
static const double PI = 3.14159265358979;
static const double SCALE = 32768.0;
static const double PRIME_SECONDS = 0.010;  // of sound before a restart point, for the filters
static const double NOISE_FRAME_SECONDS = 0.040;  // longest frame of the noise reduction
static const size_t NOISE_FRAME_MIN = 256, NOISE_FRAME_MAX = CLARITY_MAX_LATENCY;
static const double NOISE_GAIN_FLOOR = 0.1;
static const double NOISE_DECISION = 0.9;        // weight of the last frame's speech estimate
static const double NOISE_LEARN_SECONDS = 0.25;  // time constant of the noise estimate
static const double PAUSE_MARGIN = 2;            // energy over the floor that is still a pause
static const double FLOOR_RISE_DB_PER_SECOND = 5;
static const double GAIN_BLOCK_SECONDS = 0.010;
static const double SPEECH_OVER_FLOOR = 10;  // power ratio: a block this far above is speech
static const double SILENCE_POWER = 1e-7;    // -70 dBFS: never speech
static const double LEVEL_SECONDS = 0.4, JUMP_SECONDS = 0.05;
static const double JUMP_RATIO = 10;  // a block this much louder than the level is a jump
static const double GAIN_UP_DB_PER_SECOND = 30;
static const double MIN_GAIN_DB = -20;
static const double PEAK_SECONDS = 0.1;

static double FromDb(double db) { return pow(10.0, db / 20); }

// Per-update factor of an exponential average with time constant `seconds`.
static double Keep(double updateSeconds, double seconds) { return exp(-updateSeconds / seconds); }

static void FloorInit(RisingFloor &f, double updateSeconds) {
    f.known = false;
    f.level = 0;
    f.rise = pow(10.0, FLOOR_RISE_DB_PER_SECOND * updateSeconds / 10);
}

static void FloorUpdate(RisingFloor &f, double value) {
    if (!f.known || value < f.level) {
        f.level = value;
        f.known = true;
    } else {
        f.level *= f.rise;
    }
}

bool ClarityAnyOn(const ClaritySettings &s) {
    return s.autoGain || s.noiseReduction || s.lowCut || s.channel != CLARITY_BOTH;
}

// ---- low cut --------------------------------------------------------------------------------

static BiquadCoefficients HighPass(double hz, double q, uint32_t rate) {
    double w = 2 * PI * hz / rate, cw = cos(w), alpha = sin(w) / (2 * q), a0 = 1 + alpha;
    BiquadCoefficients k;
    k.b0 = (1 + cw) / 2 / a0;
    k.b1 = -(1 + cw) / a0;
    k.b2 = k.b0;
    k.a1 = -2 * cw / a0;
    k.a2 = (1 - alpha) / a0;
    return k;
}

// Both sections in one pass, each channel's memory in registers for the whole block.
static void LowCut(Clarity &c, float *x, size_t frames) {
    const size_t n = size_t(c.channels);
    const BiquadCoefficients k0 = c.cut[0], k1 = c.cut[1];
    for (size_t ch = 0; ch < n; ++ch) {
        BiquadMemory m0 = c.cutMemory[0][ch], m1 = c.cutMemory[1][ch];
        float *p = x + ch;
        for (size_t i = 0; i < frames; ++i, p += n) {
            double in = *p;
            double y0 = k0.b0 * in + k0.b1 * m0.x1 + k0.b2 * m0.x2 - k0.a1 * m0.y1 - k0.a2 * m0.y2;
            m0.x2 = m0.x1;
            m0.x1 = in;
            m0.y2 = m0.y1;
            m0.y1 = y0;
            double y1 = k1.b0 * y0 + k1.b1 * m1.x1 + k1.b2 * m1.x2 - k1.a1 * m1.y1 - k1.a2 * m1.y2;
            m1.x2 = m1.x1;
            m1.x1 = y0;
            m1.y2 = m1.y1;
            m1.y1 = y1;
            *p = float(y1);
        }
        c.cutMemory[0][ch] = m0;
        c.cutMemory[1][ch] = m1;
    }
}

// ---- noise reduction ------------------------------------------------------------------------

static void NoiseInit(NoiseReducer &r, uint32_t rate) {
    size_t size = NOISE_FRAME_MIN;
    while (size * 2 <= NOISE_FRAME_MAX && double(size * 2) <= rate * NOISE_FRAME_SECONDS) size *= 2;
    r.size = size;
    r.hop = size / 2;
    FftInit(r.fft, size);
    r.window.resize(size);
    for (size_t i = 0; i < size; ++i)
        r.window[i] = float(sqrt(0.5 - 0.5 * cos(2 * PI * double(i) / double(size))));
    size_t bins = size / 2 + 1;
    r.frame.assign(size, 0);
    for (int ch = 0; ch < CLARITY_MAX_CHANNELS; ++ch) {
        r.in[ch].assign(size, 0);
        r.sum[ch].assign(size, 0);
        r.re[ch].assign(bins, 0);
        r.im[ch].assign(bins, 0);
    }
    r.at = 0;
    r.noise.assign(bins, 0);
    r.clean.assign(bins, 0);
    r.noiseKnown = false;
    double hopSeconds = double(r.hop) / rate;
    FloorInit(r.floor, hopSeconds);
    r.noiseKeep = Keep(hopSeconds, NOISE_LEARN_SECONDS);
}

static void NoiseFrame(NoiseReducer &r, int channels) {
    size_t bins = r.size / 2 + 1;
    for (int ch = 0; ch < channels; ++ch) {
        for (size_t i = 0; i < r.size; ++i) r.frame[i] = r.in[ch][i] * r.window[i];
        FftForward(r.fft, r.frame.data(), r.re[ch].data(), r.im[ch].data());
    }
    // The power per bin, summed over the channels (they share one gain, keeping the image).
    float *power = r.frame.data();
    double energy = 0;
    for (size_t k = 0; k < bins; ++k) {
        float p = 0;
        for (int ch = 0; ch < channels; ++ch)
            p += r.re[ch][k] * r.re[ch][k] + r.im[ch][k] * r.im[ch][k];
        power[k] = p;
        energy += p;
    }
    bool pause = !r.noiseKnown || !r.floor.known || energy < r.floor.level * PAUSE_MARGIN;
    FloorUpdate(r.floor, energy);
    if (pause) {
        float keep = r.noiseKnown ? float(r.noiseKeep) : 0.0f;
        for (size_t k = 0; k < bins; ++k) r.noise[k] = keep * r.noise[k] + (1 - keep) * power[k];
        r.noiseKnown = true;
    }
    const float decision = float(NOISE_DECISION), floorGain = float(NOISE_GAIN_FLOOR);
    for (size_t k = 0; k < bins; ++k) {
        float inverse = 1 / (r.noise[k] + 1e-12f), excess = power[k] * inverse - 1;
        float snr = decision * r.clean[k] * inverse + (1 - decision) * (excess > 0 ? excess : 0);
        float g = snr / (1 + snr);
        if (g < floorGain) g = floorGain;
        r.clean[k] = g * g * power[k];
        for (int ch = 0; ch < channels; ++ch) {
            r.re[ch][k] *= g;
            r.im[ch][k] *= g;
        }
    }
    for (int ch = 0; ch < channels; ++ch) {
        FftInverse(r.fft, r.re[ch].data(), r.im[ch].data(), r.frame.data());
        float *sum = r.sum[ch].data();
        memmove(sum, sum + r.hop, (r.size - r.hop) * sizeof *sum);
        memset(sum + r.size - r.hop, 0, r.hop * sizeof *sum);
        for (size_t i = 0; i < r.size; ++i) sum[i] += r.frame[i] * r.window[i];
        float *in = r.in[ch].data();
        memmove(in, in + r.hop, (r.size - r.hop) * sizeof *in);
    }
}

// Each sample goes in at the end of the input frame and leaves `size` samples later.
static void ReduceNoise(Clarity &c, float *x, size_t frames) {
    NoiseReducer &r = c.noise;
    int n = c.channels;
    for (size_t i = 0; i < frames; ++i) {
        for (int ch = 0; ch < n; ++ch) {
            float &v = x[i * size_t(n) + size_t(ch)];
            r.in[ch][r.size - r.hop + r.at] = v;
            v = r.sum[ch][r.at];
        }
        if (++r.at == r.hop) {
            NoiseFrame(r, n);
            r.at = 0;
        }
    }
}

static void ClearNoiseSignal(NoiseReducer &r) {
    for (int ch = 0; ch < CLARITY_MAX_CHANNELS; ++ch) {
        r.in[ch].assign(r.size, 0);
        r.sum[ch].assign(r.size, 0);
    }
    r.at = 0;
}

// ---- automatic volume -----------------------------------------------------------------------

static void GainInit(AutoGain &a, uint32_t rate) {
    a.block = uint32_t(rate * GAIN_BLOCK_SECONDS);
    if (a.block == 0) a.block = 1;
    double blockSeconds = double(a.block) / rate;
    a.at = 0;
    a.sum = 0;
    FloorInit(a.floor, blockSeconds);
    a.levelKnown = false;
    a.level = 0;
    a.gain = 1;
    a.step = 0;
    a.peak = 0;
    a.blockKeep = Keep(blockSeconds, LEVEL_SECONDS);
    a.jumpKeep = Keep(blockSeconds, JUMP_SECONDS);
    a.peakKeep = Keep(1.0 / rate, PEAK_SECONDS);
    a.upPerBlock = FromDb(GAIN_UP_DB_PER_SECOND * blockSeconds);
}

static void GainBlockEnd(AutoGain &a, int channels) {
    double power = a.sum / (double(a.block) * channels);
    a.sum = 0;
    a.at = 0;
    bool speech =
        a.floor.known && power > a.floor.level * SPEECH_OVER_FLOOR && power > SILENCE_POWER;
    FloorUpdate(a.floor, power);
    if (speech && !a.levelKnown) {
        a.level = power;
        a.levelKnown = true;
    } else if (speech) {
        double keep = power > a.level * JUMP_RATIO ? a.jumpKeep : a.blockKeep;
        a.level = keep * a.level + (1 - keep) * power;
    }
    double target = a.gain;
    if (a.levelKnown) {
        target = sqrt(pow(10.0, CLARITY_TARGET_DBFS / 10.0) / a.level);
        double most = FromDb(CLARITY_MAX_BOOST_DB), least = FromDb(MIN_GAIN_DB);
        target = target > most ? most : target < least ? least : target;
        if (target > a.gain * a.upPerBlock) target = a.gain * a.upPerBlock;
    }
    a.step = (target - a.gain) / a.block;
}

static void ApplyGain(Clarity &c, float *x, size_t frames) {
    AutoGain &a = c.gain;
    int n = c.channels;
    const double ceiling = FromDb(CLARITY_CEILING_MILLI_DBFS / 1000.0);
    for (size_t i = 0; i < frames; ++i) {
        float *f = x + i * size_t(n);
        double loudest = 0;
        for (int ch = 0; ch < n; ++ch) {
            a.sum += double(f[ch]) * f[ch];
            double y = fabs(f[ch] * a.gain);
            if (y > loudest) loudest = y;
        }
        a.peak = loudest > a.peak * a.peakKeep ? loudest : a.peak * a.peakKeep;
        double g = a.peak > ceiling ? a.gain * ceiling / a.peak : a.gain;
        for (int ch = 0; ch < n; ++ch) f[ch] = float(f[ch] * g);
        a.gain += a.step;
        if (++a.at == a.block) GainBlockEnd(a, n);
    }
}

// ---- the whole --------------------------------------------------------------------------------

void ClarityOpen(Clarity &c, int channels, uint32_t rate) {
    c.channels = channels < 1                      ? 1
                 : channels > CLARITY_MAX_CHANNELS ? CLARITY_MAX_CHANNELS
                                                   : channels;
    c.rate = rate ? rate : 1;
    c.on = ClaritySettings{false, false, false, CLARITY_BOTH};
    // Fourth-order Butterworth: the two sections' Q values.
    c.cut[0] = HighPass(CLARITY_LOW_CUT_HZ, 0.54119610, c.rate);
    c.cut[1] = HighPass(CLARITY_LOW_CUT_HZ, 1.30656296, c.rate);
    memset(c.cutMemory, 0, sizeof c.cutMemory);
    NoiseInit(c.noise, c.rate);
    GainInit(c.gain, c.rate);
    c.discard = 0;
}

size_t ClarityLatency(const Clarity &c) { return c.on.noiseReduction ? c.noise.size : 0; }

uint64_t ClarityRestart(Clarity &c, const ClaritySettings &settings, uint64_t frame) {
    c.on = settings;
    memset(c.cutMemory, 0, sizeof c.cutMemory);
    ClearNoiseSignal(c.noise);
    c.gain.at = 0;
    c.gain.sum = 0;
    c.gain.step = 0;
    c.gain.peak = 0;
    uint64_t prime =
        ClarityAnyOn(settings) ? ClarityLatency(c) + uint64_t(c.rate * PRIME_SECONDS) : 0;
    if (prime > frame) prime = frame;
    c.discard = uint32_t(prime + ClarityLatency(c));
    return frame - prime;
}

static void ChooseChannel(const Clarity &c, float *x, size_t frames) {
    int from = c.on.channel == CLARITY_LEFT ? 0 : 1;
    for (size_t i = 0; i < frames; ++i) x[2 * i + size_t(1 - from)] = x[2 * i + size_t(from)];
}

static const size_t BLOCK_FRAMES = 512;

size_t ClarityProcess(Clarity &c, int16_t *frames, size_t count) {
    if (!ClarityAnyOn(c.on)) return count;
    size_t n = size_t(c.channels), kept = 0;
    c.work.resize(BLOCK_FRAMES * n);
    float *x = c.work.data();
    for (size_t at = 0; at < count; at += BLOCK_FRAMES) {
        size_t m = count - at < BLOCK_FRAMES ? count - at : BLOCK_FRAMES;
        const int16_t *in = frames + at * n;
        for (size_t i = 0; i < m * n; ++i) x[i] = float(in[i]) * (1.0f / 32768);
        if (c.on.channel != CLARITY_BOTH && n == 2) ChooseChannel(c, x, m);
        if (c.on.lowCut) LowCut(c, x, m);
        if (c.on.noiseReduction) ReduceNoise(c, x, m);
        if (c.on.autoGain) ApplyGain(c, x, m);
        size_t skip = c.discard < m ? c.discard : m;
        c.discard -= uint32_t(skip);
        int16_t *out = frames + kept * n;
        // Clamped, then rounded half away from zero by a truncating conversion: a library lrint
        // per sample showed in the cost under Wine. Whole numbers (a channel copied) stay exact.
        for (size_t i = skip * n; i < m * n; ++i) {
            float v = float(x[i] * SCALE);
            v = v > 32767.0f ? 32767.0f : v < -32768.0f ? -32768.0f : v;
            *out++ = int16_t(v < 0 ? v - 0.5f : v + 0.5f);
        }
        kept += m - skip;
    }
    return kept;
}

size_t ClarityDrain(Clarity &c, int16_t *frames) {
    size_t latency = ClarityLatency(c);
    memset(frames, 0, latency * size_t(c.channels) * sizeof *frames);
    return ClarityProcess(c, frames, latency);
}

void ClarityFadeIn(int16_t *fresh, const int16_t *old, size_t frames, int channels, uint32_t done,
                   uint32_t length) {
    size_t n = size_t(channels);
    for (size_t i = 0; i < frames && done < length; ++i, ++done) {
        double k = double(done) / length, gain = 0.5 - 0.5 * cos(PI * k);
        for (size_t ch = 0; ch < n; ++ch) {
            double v = fresh[i * n + ch] * gain;
            if (old) v += old[i * n + ch] * (1 - gain);
            fresh[i * n + ch] = int16_t(lrint(v));
        }
    }
}
