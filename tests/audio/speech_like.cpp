// The voice: a fundamental gliding around 130 Hz with harmonics up to 4 kHz under three formant
// peaks that move with the syllables, four syllables a second dipping about 10 dB. The noise comes
// from a fixed generator, so that every run measures the same sound.
#include "tests/audio/speech_like.h"

#include <math.h>

SpeechLike MakeSpeechLike(uint32_t rate, const std::vector<SpeechPart> &parts, double noiseDbfs) {
    SpeechLike s;
    double phase = 0;
    for (const SpeechPart &part : parts) {
        size_t begin = s.voice.size(), frames = size_t(part.seconds * rate);
        double sum = 0, peak = 0;
        for (size_t i = 0; i < frames; ++i) {
            double t = double(i) / rate, f0 = 130 + 25 * sin(2 * PI * 0.7 * t), v = 0;
            phase += 2 * PI * f0 / rate;
            for (int h = 1; h * f0 < 4000; ++h)
                for (double centre : {600.0, 1500.0, 2600.0}) {
                    double d = (h * f0 - centre * (1 + 0.2 * sin(int(t * 4) * 2.1))) / 150;
                    v += exp(-d * d) * 600 / centre * sin(h * phase);
                }
            double e = sin(PI * t * 4);
            s.voice.push_back(v * (0.3 + 0.7 * e * e));
            sum += s.voice.back() * s.voice.back();
            peak = fmax(peak, fabs(s.voice.back()));
        }
        double k = part.dbfs <= NO_VOICE ? 0
                                         : 32768 * pow(10.0, part.dbfs / 20) /
                                               (part.byPeak ? peak : sqrt(sum / frames));
        for (size_t i = begin; i < s.voice.size(); ++i) s.voice[i] *= k;
    }
    uint32_t x = 12345;
    for (size_t i = 0; i < s.voice.size(); ++i, x = x * 1664525u + 1013904223u)
        s.noise.push_back(32768 * pow(10.0, noiseDbfs / 20) * sqrt(3.0) * (x / 2147483648.0 - 1));
    return s;
}

std::vector<int16_t> Mix(const std::vector<double> &a, const std::vector<double> &b, int channels) {
    std::vector<int16_t> out;
    for (size_t i = 0; i < a.size() * size_t(channels); ++i)
        out.push_back(int16_t(
            fmax(-32768, fmin(32767, lrint(a[i / size_t(channels)] + b[i / size_t(channels)])))));
    return out;
}

double Dbfs(const std::vector<int16_t> &v, int channels, uint32_t rate, double from, double to) {
    size_t a = size_t(from * rate), b = size_t(to * rate), n = size_t(channels);
    double sum = 0;
    for (size_t i = a; i < b && i * n < v.size(); ++i) sum += double(v[i * n]) * v[i * n];
    return 10 * log10(sum / double(b - a) / (32768.0 * 32768.0) + 1e-30);
}
