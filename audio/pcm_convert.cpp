// Sample format conversion for directly decoded WAV data; the G.711 laws are decoded here too,
// as they are stateless and a few lines of arithmetic are simpler than the codec manager.
#include "audio/pcm_convert.h"

#include <string.h>

#include "audio/wav_parse.h"

int16_t MulawToPcm16(uint8_t code) {
    code = uint8_t(~code);
    int exponent = (code >> 4) & 7, mantissa = code & 15;
    int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return int16_t((code & 0x80) ? -magnitude : magnitude);
}

int16_t AlawToPcm16(uint8_t code) {
    code ^= 0x55;
    int exponent = (code >> 4) & 7, mantissa = code & 15;
    int magnitude =
        exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return int16_t((code & 0x80) ? magnitude : -magnitude);
}

bool IsDirectFormat(uint16_t tag, int bits) {
    switch (tag) {
    case WAV_TAG_PCM: return bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case WAV_TAG_FLOAT: return bits == 32;
    case WAV_TAG_MULAW:
    case WAV_TAG_ALAW: return bits == 8;
    default: return false;
    }
}

// One sample as a 32-bit value scaled so that 16-bit full scale is +-32768.
static int32_t Sample(const uint8_t *p, uint16_t tag, int bits) {
    switch (tag) {
    case WAV_TAG_MULAW: return MulawToPcm16(*p);
    case WAV_TAG_ALAW: return AlawToPcm16(*p);
    case WAV_TAG_FLOAT: {
        float f;
        memcpy(&f, p, 4);
        if (!(f == f)) return 0;  // NaN
        float scaled = f * 32768.0f;
        if (scaled >= 32767.0f) return 32767;
        if (scaled <= -32768.0f) return -32768;
        return int32_t(scaled + (scaled >= 0 ? 0.5f : -0.5f));
    }
    default: break;
    }
    switch (bits) {
    case 8: return (int32_t(p[0]) - 128) * 256;
    case 16: return int16_t(p[0] | (p[1] << 8));
    case 24:
        return int32_t(uint32_t(p[0] << 8) | uint32_t(p[1] << 16) | uint32_t(p[2]) << 24) >> 16;
    default:
        return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                       uint32_t(p[3]) << 24) >>
               16;
    }
}

void ConvertToPcm16(const uint8_t *in, size_t frames, uint16_t tag, int bits, int channels,
                    int16_t *out) {
    int bytes = bits / 8;
    if (tag == WAV_TAG_PCM && bits == 16 && channels <= 2) {
        memcpy(out, in, frames * size_t(channels) * 2);  // the common case, little-endian host
        return;
    }
    if (channels <= 2) {
        size_t n = frames * size_t(channels);
        for (size_t i = 0; i < n; ++i) out[i] = int16_t(Sample(in + i * size_t(bytes), tag, bits));
        return;
    }
    int left = (channels + 1) / 2, right = channels / 2;
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t *frame = in + f * size_t(channels) * size_t(bytes);
        int32_t sum[2] = {0, 0};
        for (int c = 0; c < channels; ++c) sum[c & 1] += Sample(frame + c * bytes, tag, bits);
        out[2 * f] = int16_t(sum[0] / left);
        out[2 * f + 1] = int16_t(sum[1] / right);
    }
}
