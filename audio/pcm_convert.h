// Sample conversion from the WAV formats read directly (PCM 8/16/24/32-bit, 32-bit float,
// µ-law, A-law) to the 16-bit mono or stereo the output plays; more channels are down-mixed.
#ifndef PARLOMIX_AUDIO_PCM_CONVERT_H
#define PARLOMIX_AUDIO_PCM_CONVERT_H

#include <stddef.h>
#include <stdint.h>

// Channels after down-mixing: mono stays mono, everything else becomes stereo.
inline int OutputChannels(int channels) { return channels == 1 ? 1 : 2; }

// True for the tags ConvertToPcm16 understands.
bool IsDirectFormat(uint16_t tag, int bits);

// Converts `frames` frames of `channels` interleaved samples; `out` receives
// frames * OutputChannels(channels) samples. With more than two channels the even-numbered
// ones are averaged into the left and the odd-numbered into the right.
void ConvertToPcm16(const uint8_t *in, size_t frames, uint16_t tag, int bits, int channels,
                    int16_t *out);

int16_t MulawToPcm16(uint8_t code);
int16_t AlawToPcm16(uint8_t code);

#endif
