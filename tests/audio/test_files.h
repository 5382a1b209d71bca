// Small helpers shared by the audio tests: reading fixtures and building WAV images in memory.
#ifndef PARLOMIX_TESTS_AUDIO_TEST_FILES_H
#define PARLOMIX_TESTS_AUDIO_TEST_FILES_H

#include <stdint.h>

#include <string>
#include <vector>

// The fixture's path as the test process sees it (Z:\... under Wine).
std::string FixturePath(const char *name);
std::vector<uint8_t> ReadFixture(const char *name);
// The test's scratch folder (created), as the process sees it; names join with "/".
std::string WorkDir();
bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes);

void PutLe16(std::vector<uint8_t> &v, uint32_t x);
void PutLe32(std::vector<uint8_t> &v, uint32_t x);
void PutId(std::vector<uint8_t> &v, const char *id);
// A 16/18/40-byte fmt chunk body (40 makes it WAVE_FORMAT_EXTENSIBLE around `tag`).
std::vector<uint8_t> FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                uint16_t blockAlign, size_t bodyBytes);
// RIFF/WAVE file from chunks given as (id, body); bodies of odd length get a pad byte.
struct Chunk {
    const char *id;
    std::vector<uint8_t> body;
};
std::vector<uint8_t> RiffFile(const std::vector<Chunk> &chunks, bool padOdd = true);
// A PCM16 WAV of the given interleaved samples.
std::vector<uint8_t> Pcm16Wav(const std::vector<int16_t> &samples, int channels, uint32_t rate);

#endif
