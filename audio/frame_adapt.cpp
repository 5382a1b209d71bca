// Mid-stream format changes brought back to the opened format (see frame_adapt.h).
#include "audio/frame_adapt.h"

void ResetFrameAdapter(FrameAdapter &a, uint32_t toRate, int toChannels) {
    a.toRate = toRate;
    a.toChannels = toChannels;
    a.at = 1;  // the first output frame is the first input frame
    a.last[0] = a.last[1] = 0;
}

// Input frame k of the current call, where 0 is the last frame of the call before.
static void FrameAt(const FrameAdapter &a, const int16_t *in, int channels, size_t k, int out[2]) {
    const int16_t *f = k == 0 ? a.last : in + (k - 1) * size_t(channels);
    if (k == 0 || channels == a.toChannels) {
        out[0] = f[0];
        out[1] = a.toChannels == 2 ? f[1] : 0;
    } else if (channels == 1) {
        out[0] = out[1] = f[0];
    } else {
        out[0] = (f[0] + f[1]) / 2;
        out[1] = 0;
    }
}

void AdaptFrames(FrameAdapter &a, const int16_t *in, size_t frames, int channels, uint32_t rate,
                 std::vector<int16_t> *out) {
    if (frames == 0 || rate == 0) return;
    double step = double(rate) / a.toRate;
    int c = a.toChannels;
    while (a.at < double(frames)) {
        size_t k = size_t(a.at);
        double f = a.at - double(k);
        int x[2], y[2];
        FrameAt(a, in, channels, k, x);
        FrameAt(a, in, channels, k + 1, y);
        for (int ch = 0; ch < c; ++ch) out->push_back(int16_t(x[ch] + (y[ch] - x[ch]) * f));
        a.at += step;
    }
    a.at -= double(frames);
    int last[2];
    FrameAt(a, in, channels, frames, last);
    a.last[0] = int16_t(last[0]);
    a.last[1] = int16_t(last[1]);
}
