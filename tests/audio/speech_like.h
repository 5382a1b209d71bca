// Generated sound for measuring the clarity stages: a voice-like buzz (a gliding pitch with its
// harmonics shaped by moving formants, in syllables) in parts separated by pauses, over steady
// noise, and the levels measured from it. Shared by the tests and the benchmark. Portable.
#ifndef PARLOMIX_TEST_SPEECH_LIKE_H
#define PARLOMIX_TEST_SPEECH_LIKE_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

struct SpeechPart {
    double seconds;
    double dbfs;  // RMS of the voice in the part; below NO_VOICE a pause
    bool byPeak;  // dbfs is the part's peak instead
};
const double NO_VOICE = -200;

// Mono float samples (+-1) at `rate`: the voice alone, and the noise alone at `noiseDbfs` RMS.
struct SpeechLike {
    std::vector<float> voice, noise;
};
SpeechLike MakeSpeechLike(uint32_t rate, const std::vector<SpeechPart> &parts, double noiseDbfs);
// voice + noise as 16-bit samples, the same on every channel.
std::vector<int16_t> Mix(const SpeechLike &s, int channels);
// RMS in dB below full scale of one channel over [from, to) seconds; `values` are +-32768 or +-1.
double Dbfs(const std::vector<int16_t> &values, int channels, uint32_t rate, double from,
            double to);
double Dbfs(const std::vector<float> &values, uint32_t rate, double from, double to);

#endif
