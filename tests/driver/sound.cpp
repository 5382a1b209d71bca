// Tone files and the analysis of the captured sound: 50 ms windows, each read by its zero
// crossings, which is exact enough to tell tones 100 Hz apart.
#include "tests/driver/sound.h"

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <string.h>

#include "tests/driver/chirp.h"
#include "tests/driver/driver.h"

namespace driver {

static const uint32_t kRate = 16000;
static const double kBase = 300.0, kStep = 100.0;

bool WritePcmWav(const std::string &path, uint32_t rate, uint16_t channels, uint16_t bits,
                 const void *samples, size_t bytes) {
    uint32_t dataSize = uint32_t(bytes);
    uint16_t align = uint16_t(channels * bits / 8);
    std::vector<unsigned char> file(44 + dataSize);
    unsigned char *h = file.data();
    auto put32 = [](unsigned char *at, uint32_t v) { memcpy(at, &v, 4); };
    auto put16 = [](unsigned char *at, uint16_t v) { memcpy(at, &v, 2); };
    memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataSize);
    memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);
    put16(h + 22, channels);
    put32(h + 24, rate);
    put32(h + 28, rate * align);
    put16(h + 32, align);
    put16(h + 34, bits);
    memcpy(h + 36, "data", 4);
    put32(h + 40, dataSize);
    memcpy(h + 44, samples, bytes);
    return WriteBytes(path, file.data(), file.size());
}

bool WriteToneFile(const std::string &path, int seconds) {
    std::vector<int16_t> samples(size_t(kRate) * seconds);
    for (size_t i = 0; i < samples.size(); ++i) {
        double frequency = kBase + kStep * double(i / kRate);
        samples[i] =
            int16_t(8000.0 * sin(2.0 * 3.14159265358979 * frequency * double(i % kRate) / kRate));
    }
    return WritePcmWav(path, kRate, 1, 16, samples.data(), samples.size() * 2);
}

std::vector<SecondRun> CapturedSeconds() {
    std::vector<unsigned char> wav = ReadBytes(UnixToWindows(Env("PARLOMIX_CAPTURE")));
    std::vector<SecondRun> runs;
    uint32_t rate;
    std::vector<int16_t> sound = RecordedSamples(wav, &rate);
    if (sound.empty()) {
        ADD_FAILURE() << "no captured sound (" << wav.size() << " bytes, " << rate << " Hz)";
        return runs;
    }
    const size_t window = rate / 20;
    for (size_t start = 0; start + window <= sound.size(); start += window) {
        double energy = 0;
        int crossings = 0;
        int16_t previous = 0;
        for (size_t i = 0; i < window; ++i) {
            int16_t sample = sound[start + i];
            energy += double(sample) * sample;
            if (i > 0 && (previous < 0) != (sample < 0)) ++crossings;
            previous = sample;
        }
        if (sqrt(energy / window) < 1000) continue;
        double frequency = crossings * 10.0;  // two crossings a period, twenty windows a second
        int second = int(lround((frequency - kBase) / kStep));
        if (second < 0 || fabs(frequency - (kBase + kStep * second)) > 30.0) continue;
        if (!runs.empty() && runs.back().second == second)
            ++runs.back().windows;
        else
            runs.push_back({second, 1});
    }
    // A window across a jump mixes two tones and may read as a third: drop such short runs.
    std::vector<SecondRun> steady;
    for (const SecondRun &run : runs) {
        if (run.windows < 3) continue;
        if (!steady.empty() && steady.back().second == run.second)
            steady.back().windows += run.windows;
        else
            steady.push_back(run);
    }
    return steady;
}

std::vector<int> CapturedSecondList() {
    std::vector<int> seconds;
    for (const SecondRun &run : CapturedSeconds()) seconds.push_back(run.second);
    return seconds;
}

std::string Describe(const std::vector<SecondRun> &runs) {
    std::string text;
    for (const SecondRun &run : runs)
        text += std::to_string(run.second) + "x" + std::to_string(run.windows) + " ";
    return text;
}

}  // namespace driver
