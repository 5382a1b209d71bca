// Reading a WAV file's layout: RIFF/RF64 chunks, the format (with WAVE_FORMAT_EXTENSIBLE resolved
// to its real tag), where the sound data lies and how many sample frames it holds. Portable.
#ifndef PARLOMIX_AUDIO_WAV_PARSE_H
#define PARLOMIX_AUDIO_WAV_PARSE_H

#include <stdint.h>

#include <vector>

#include "audio/byte_source.h"

enum : uint16_t {
    WAV_TAG_PCM = 0x0001,
    WAV_TAG_MS_ADPCM = 0x0002,
    WAV_TAG_FLOAT = 0x0003,
    WAV_TAG_ALAW = 0x0006,
    WAV_TAG_MULAW = 0x0007,
    WAV_TAG_IMA_ADPCM = 0x0011,
    WAV_TAG_GSM610 = 0x0031,
    WAV_TAG_MP3 = 0x0055,
    WAV_TAG_EXTENSIBLE = 0xFFFE,
};

struct WavInfo {
    uint16_t tag;  // the real format tag
    uint16_t channels;
    uint32_t sampleRate;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    // A WAVEFORMATEX image (18 bytes + cbSize) with the real tag, ready for the codec manager.
    std::vector<uint8_t> format;
    uint64_t dataOffset;
    uint64_t dataSize;        // whole blocks only
    uint32_t framesPerBlock;  // sample frames in one block (1 for PCM)
    uint64_t frames;          // sample frames in the data, trimmed by a fact chunk
    bool rf64;
};

// The WAVEFORMATEX image is 18 bytes before its extra data.
enum { WAV_FORMAT_HEADER_BYTES = 18 };

// False when the bytes are not a WAV file this library can play (or hold no sound data).
bool ParseWav(const ByteSource &source, WavInfo *info);

#endif
