// A chirp whose frequency is its own time (f = 200 + 150·t Hz), so that any 50 ms of a recording
// of it tells which moment of the source was heard there, to a couple of milliseconds: how the
// tests of real sound devices read their recordings. Portable code.
#ifndef PARLOMIX_TEST_CHIRP_H
#define PARLOMIX_TEST_CHIRP_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace driver {

const int CHIRP_RATE = 44100;

// `seconds` of the chirp, mono at CHIRP_RATE.
std::vector<int16_t> ChirpSamples(double seconds);

// The first channel of a 16-bit WAV and its rate; the data runs to the end of the file, as a
// recorder or sink that was cut off leaves its sizes unwritten. Empty for anything else.
std::vector<int16_t> RecordedSamples(const std::vector<unsigned char> &wav, uint32_t *rate);
// The same for a recording made at CHIRP_RATE.
std::vector<int16_t> CaptureSamples(const std::vector<unsigned char> &wav);

// Sound between silences of at least 150 ms: capture samples [first, end), and the source
// seconds heard at `first` and at `end` (where the sound stopped). The edges are where the sound
// first and last reaches half its loudest, so that a fade counts half, as a listener hears it.
// Stretches too short to read (under 0.1 s) are left out.
struct HeardStretch {
    size_t first, end;
    double from, to;
};
std::vector<HeardStretch> HeardStretches(const std::vector<int16_t> &capture);

// The source seconds heard at capture sample `at`, which must lie in a stretch of sound.
double SourceTimeAt(const std::vector<int16_t> &capture, size_t at);

// Whether `second`, a whole-second position, is the one of sound last heard at `heard` seconds
// (within 20 ms of a whole second it may be either).
bool IsHeardSecond(int32_t second, double heard);

// "1.000-2.000 2.500-3.500" for failure messages.
std::string Describe(const std::vector<HeardStretch> &stretches);

}  // namespace driver

#endif
