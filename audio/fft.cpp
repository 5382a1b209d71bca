// The real transform packs even samples as real and odd samples as imaginary parts into a complex
// transform of half the size, then separates the two spectra with one twiddle per bin; the
// inverse does the same backwards. The complex transform is the textbook iterative radix-2.
#include "audio/fft.h"

#include <math.h>

static const double PI = 3.14159265358979323846;

bool FftInit(Fft &f, size_t size) {
    if (size < FFT_MIN_SIZE || size > FFT_MAX_SIZE || (size & (size - 1))) return false;
    size_t half = size / 2;
    f.size = size;
    f.cosT.resize(half);
    f.sinT.resize(half);
    for (size_t k = 0; k < half; ++k) {
        f.cosT[k] = float(cos(2 * PI * double(k) / double(size)));
        f.sinT[k] = float(-sin(2 * PI * double(k) / double(size)));
    }
    int bits = 0;
    while ((size_t(1) << bits) < half) ++bits;
    f.reversed.resize(half);
    for (size_t m = 0; m < half; ++m) {
        uint32_t r = 0;
        for (int b = 0; b < bits; ++b)
            if (m & (size_t(1) << b)) r |= uint32_t(1) << (bits - 1 - b);
        f.reversed[m] = r;
    }
    f.stageCos.clear();
    f.stageSin.clear();
    for (size_t span = 2; span < half; span <<= 1)
        for (size_t j = 0; j < span; ++j) {
            f.stageCos.push_back(float(cos(PI * double(j) / double(span))));
            f.stageSin.push_back(float(-sin(PI * double(j) / double(span))));
        }
    f.re.assign(half, 0);
    f.im.assign(half, 0);
    return true;
}

// One stage's butterflies over a block: a (the first half) and b (the second), twiddles in a
// row. A function of its own, so that the compiler sees the four rows cannot overlap and
// vectorises it.
static inline void Butterflies(float *__restrict ar, float *__restrict ai, float *__restrict br,
                               float *__restrict bi, const float *__restrict wc,
                               const float *__restrict ws, float conjugate, size_t span) {
    for (size_t j = 0; j < span; ++j) {
        // The table holds e^(-i...); the inverse takes its conjugate.
        float wr = wc[j], wi = conjugate * ws[j];
        float tr = br[j] * wr - bi[j] * wi, ti = br[j] * wi + bi[j] * wr;
        br[j] = ar[j] - tr;
        bi[j] = ai[j] - ti;
        ar[j] += tr;
        ai[j] += ti;
    }
}

// In place on f.re / f.im, which hold the input in bit-reversed order; `sign` -1 forward, +1
// inverse (unscaled). The first two stages are done together as radix-4 butterflies, whose
// twiddles are 1 and -+i; the others read theirs in a row.
static void Complex(Fft &f, float sign) {
    size_t half = f.size / 2;
    float *__restrict re = f.re.data(), *__restrict im = f.im.data();
    const float *wc = f.stageCos.data(), *ws = f.stageSin.data();
    size_t span = 2;
    if (half >= 4) {
        for (size_t a = 0; a < half; a += 4) {
            float r0 = re[a] + re[a + 1], i0 = im[a] + im[a + 1];
            float r1 = re[a] - re[a + 1], i1 = im[a] - im[a + 1];
            float r2 = re[a + 2] + re[a + 3], i2 = im[a + 2] + im[a + 3];
            float r3 = re[a + 2] - re[a + 3], i3 = im[a + 2] - im[a + 3];
            // The third input times -i (forward) or +i (inverse).
            float tr = -sign * i3, ti = sign * r3;
            re[a] = r0 + r2;
            im[a] = i0 + i2;
            re[a + 2] = r0 - r2;
            im[a + 2] = i0 - i2;
            re[a + 1] = r1 + tr;
            im[a + 1] = i1 + ti;
            re[a + 3] = r1 - tr;
            im[a + 3] = i1 - ti;
        }
        wc += 2;
        ws += 2;
        span = 4;
    } else {
        for (size_t a = 0; a < half; a += 2) {
            float tr = re[a + 1], ti = im[a + 1];
            re[a + 1] = re[a] - tr;
            im[a + 1] = im[a] - ti;
            re[a] += tr;
            im[a] += ti;
        }
    }
    for (; span < half; wc += span, ws += span, span <<= 1)
        for (size_t start = 0; start < half; start += 2 * span)
            Butterflies(re + start, im + start, re + start + span, im + start + span, wc, ws, -sign,
                        span);
}

void FftForward(Fft &f, const float *in, float *re, float *im) {
    size_t half = f.size / 2;
    for (size_t m = 0; m < half; ++m) {
        f.re[f.reversed[m]] = in[2 * m];
        f.im[f.reversed[m]] = in[2 * m + 1];
    }
    Complex(f, -1);
    re[0] = f.re[0] + f.im[0];
    im[0] = 0;
    re[half] = f.re[0] - f.im[0];
    im[half] = 0;
    for (size_t k = 1; k < half; ++k) {
        float a = f.re[k], b = f.im[k], c = f.re[half - k], d = f.im[half - k];
        float er = 0.5f * (a + c), ei = 0.5f * (b - d);
        float orr = 0.5f * (b + d), oi = -0.5f * (a - c);
        float wr = f.cosT[k], wi = f.sinT[k];
        re[k] = er + wr * orr - wi * oi;
        im[k] = ei + wr * oi + wi * orr;
    }
}

void FftInverse(Fft &f, const float *re, const float *im, float *out) {
    size_t half = f.size / 2;
    for (size_t k = 0; k < half; ++k) {
        float a = re[k], b = im[k], c = re[half - k], d = im[half - k];
        float er = 0.5f * (a + c), ei = 0.5f * (b - d);
        float dr = 0.5f * (a - c), di = 0.5f * (b + d);
        float wr = f.cosT[k], wi = f.sinT[k];
        float orr = dr * wr + di * wi, oi = di * wr - dr * wi;
        f.re[f.reversed[k]] = er - oi;
        f.im[f.reversed[k]] = ei + orr;
    }
    Complex(f, 1);
    float scale = 1.0f / float(half);
    for (size_t m = 0; m < half; ++m) {
        out[2 * m] = f.re[m] * scale;
        out[2 * m + 1] = f.im[m] * scale;
    }
}
