// The voice: a fundamental gliding around 130 Hz, harmonics up to 4 kHz weighted by three formant
// peaks that move from syllable to syllable, and a syllable envelope of four a second that dips
// about 10 dB. Noise: white, from a fixed generator, so that every run measures the same sound.
#include "tests/audio/speech_like.h"

#include <math.h>

static const double PI = 3.14159265358979323846;

static double Formants(double hz, int syllable) {
    static const double centres[3][3] = {{600, 1200, 2600}, {400, 2000, 2800}, {700, 1100, 2400}};
    double w = 0;
    for (int f = 0; f < 3; ++f) {
        double d = (hz - centres[syllable % 3][f]) / 150;
        w += exp(-d * d) / (1 + f);
    }
    return w + 0.02;
}

SpeechLike MakeSpeechLike(uint32_t rate, const std::vector<SpeechPart> &parts, double noiseDbfs) {
    SpeechLike s;
    double phase = 0;
    for (const SpeechPart &part : parts) {
        size_t begin = s.voice.size(), frames = size_t(part.seconds * rate);
        s.voice.resize(begin + frames, 0);
        if (part.dbfs <= NO_VOICE) continue;
        double sum = 0, peak = 0;
        for (size_t i = 0; i < frames; ++i) {
            double t = double(i) / rate, f0 = 130 + 25 * sin(2 * PI * 0.7 * t);
            phase += 2 * PI * f0 / rate;
            int syllable = int(t * 4);
            double v = 0;
            for (int h = 1; h * f0 < 4000; ++h) v += Formants(h * f0, syllable) * sin(h * phase);
            double e = sin(PI * t * 4);
            v *= 0.3 + 0.7 * e * e;
            s.voice[begin + i] = float(v);
            sum += v * v;
            peak = fmax(peak, fabs(v));
        }
        double have = part.byPeak ? peak : sqrt(sum / double(frames));
        double k = pow(10.0, part.dbfs / 20) / have;
        for (size_t i = 0; i < frames; ++i) s.voice[begin + i] *= float(k);
    }
    s.noise.resize(s.voice.size());
    uint32_t x = 12345;
    double k = pow(10.0, noiseDbfs / 20) * sqrt(3.0);
    for (float &v : s.noise) {
        x = x * 1664525u + 1013904223u;
        v = float(k * (double(x >> 8) / double(1 << 23) - 1));
    }
    return s;
}

std::vector<int16_t> Mix(const SpeechLike &s, int channels) {
    std::vector<int16_t> out(s.voice.size() * size_t(channels));
    for (size_t i = 0; i < out.size(); ++i) {
        double v = lrint((s.voice[i / size_t(channels)] + s.noise[i / size_t(channels)]) * 32768);
        out[i] = int16_t(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    }
    return out;
}

template <typename T>
static double Level(const std::vector<T> &v, int channels, uint32_t rate, double from, double to,
                    double full) {
    size_t a = size_t(from * rate), b = size_t(to * rate), n = size_t(channels);
    if (b > v.size() / n) b = v.size() / n;
    double sum = 0;
    for (size_t i = a; i < b; ++i) sum += double(v[i * n]) * double(v[i * n]);
    return b > a ? 10 * log10(sum / double(b - a) / (full * full) + 1e-30) : -300;
}

double Dbfs(const std::vector<int16_t> &values, int channels, uint32_t rate, double from,
            double to) {
    return Level(values, channels, rate, from, to, 32768);
}
double Dbfs(const std::vector<float> &values, uint32_t rate, double from, double to) {
    return Level(values, 1, rate, from, to, 1);
}
