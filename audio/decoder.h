// The decoder the player reads from: one open file as 16-bit mono or stereo sample frames at
// the file's own rate, with sample-exact seeking. PCM WAV is converted directly; MP3 and
// compressed WAV go through the platform's Audio Compression Manager; every other recording goes
// through the platform's Media Foundation (see media_decoder.h).
#ifndef PARLOMIX_AUDIO_DECODER_H
#define PARLOMIX_AUDIO_DECODER_H

#include <stddef.h>
#include <stdint.h>

struct Decoder;

struct DecodedFormat {
    int fileKind;  // VBMP3_FORMAT_WAV, VBMP3_FORMAT_MP3 or VBMP3_FORMAT_MEDIA (audio/vbmp3.h)
    uint32_t rate;
    int channels;     // 1 or 2
    uint64_t frames;  // whole length
    uint32_t kbps;    // average bit rate of the file's sound data
};

// Null when the file cannot be read or neither we nor the platform can decode it. The path is
// Unicode; the ANSI form is read in the system's code page.
Decoder *OpenDecoderW(const wchar_t *path);
Decoder *OpenDecoder(const char *path);
void CloseDecoder(Decoder *decoder);
DecodedFormat GetDecodedFormat(const Decoder *decoder);
// Moves to sample frame `frame` (clamped to the end). False when the platform refused: the decoder
// goes on from where it was.
bool SeekDecoder(Decoder *decoder, uint64_t frame);
// Up to `frames` frames into out (interleaved); fewer at the end (0 once there), or while the
// platform has not decoded what comes next (DecoderWaiting): reads never wait for it.
size_t ReadDecoder(Decoder *decoder, int16_t *out, size_t frames);
bool DecoderWaiting(const Decoder *decoder);
// `event` (a Win32 event handle) is set when a decoder that kept a reader waiting has more.
void SetDecoderWake(Decoder *decoder, void *event);
uint64_t DecoderPosition(const Decoder *decoder);

#endif
