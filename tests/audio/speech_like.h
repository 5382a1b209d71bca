// Generated sound for measuring the clarity stages: a voice-like buzz (a gliding pitch whose
// harmonics are shaped by moving formants, in syllables) in parts between pauses, over steady
// white noise; and its levels. Shared by the tests and the benchmark. Portable.
#ifndef PARLOMIX_TEST_SPEECH_LIKE_H
#define PARLOMIX_TEST_SPEECH_LIKE_H

#include <stdint.h>

#include <vector>

const double NO_VOICE = -200;
const double PI = 3.14159265358979323846;
struct SpeechPart {
    double seconds, dbfs;  // the voice's RMS in dB below full scale (NO_VOICE: a pause)
    bool byPeak;           // dbfs is the voice's peak instead
};
// The voice alone and the noise alone, mono, +-32768 full scale.
struct SpeechLike {
    std::vector<double> voice, noise;
};
SpeechLike MakeSpeechLike(uint32_t rate, const std::vector<SpeechPart> &parts, double noiseDbfs);
// Their sum in 16 bits, the same on every channel.
std::vector<int16_t> Mix(const std::vector<double> &a, const std::vector<double> &b, int channels);
// RMS of the first channel over [from, to) seconds, in dB below full scale.
double Dbfs(const std::vector<int16_t> &v, int channels, uint32_t rate, double from, double to);

#endif
