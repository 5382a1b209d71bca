// A real-input FFT of one power-of-two size, for the noise reduction's short-time spectra: a
// complex radix-2 transform of half the size with the usual split of the even and odd samples.
// Tables are made once per size; a transform allocates nothing. Portable.
#ifndef PARLOMIX_AUDIO_FFT_H
#define PARLOMIX_AUDIO_FFT_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

enum { FFT_MIN_SIZE = 8, FFT_MAX_SIZE = 1 << 16 };

struct Fft {
    size_t size;                     // real points
    std::vector<float> cosT, sinT;   // e^(-2 pi i k / size) for k < size / 2
    // The half-size transform's twiddles, stage after stage, each stage's in a row.
    std::vector<float> stageCos, stageSin;
    std::vector<uint32_t> reversed;  // bit-reversed order of the half-size transform
    std::vector<float> re, im;       // scratch of the half-size transform
};

// `size` a power of two within FFT_MIN_SIZE..FFT_MAX_SIZE; false otherwise.
bool FftInit(Fft &f, size_t size);
// size real samples -> size / 2 + 1 bins (re, im), unscaled.
void FftForward(Fft &f, const float *in, float *re, float *im);
// The inverse of FftForward, scaled so that FftInverse(FftForward(x)) = x.
void FftInverse(Fft &f, const float *re, const float *im, float *out);

#endif
