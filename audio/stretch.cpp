// WSOLA: each step finds, near where the tempo says the next segment should start, the offset
// whose start best matches how the previous segment would have gone on, and cross-fades into it.
// Correlation runs on a mono mix, coarse (every 4th offset, every 2nd sample) then fine around
// the winner, which keeps it to a few dozen multiply-adds per output frame.
#include "audio/stretch.h"

#include <math.h>
#include <string.h>

namespace {
struct Shape {
    int sequence, window, overlap;  // in frames
};
}  // namespace

// Longer segments and a wider search when slowing down (speech stays smooth); shorter when
// speeding up (syllables are not skipped).
static Shape ShapeFor(double tempo, uint32_t rate) {
    double t = tempo < 0.5 ? 0.5 : tempo > 2.0 ? 2.0 : tempo;
    double k = (t - 0.5) / 1.5;
    double sequenceMs = 90 - 50 * k, windowMs = 20 - 5 * k, overlapMs = 8;
    Shape s;
    s.sequence = int(sequenceMs * rate / 1000);
    s.window = int(windowMs * rate / 1000);
    s.overlap = int(overlapMs * rate / 1000);
    if (s.overlap < 16) s.overlap = 16;
    if (s.window < 8) s.window = 8;
    if (s.sequence < 3 * s.overlap) s.sequence = 3 * s.overlap;
    return s;
}

static uint64_t InEnd(const Stretch &s) { return s.inStart + s.in.size() / size_t(s.channels); }

static const int16_t *InAt(const Stretch &s, uint64_t frame) {
    return s.in.data() + size_t(frame - s.inStart) * size_t(s.channels);
}

static void Emit(Stretch &s, const int16_t *frames, size_t count, double from, double to) {
    if (s.finished && to > s.sourceEnd) {
        // Past the real end lies only the silence added at the finish.
        if (from >= s.sourceEnd) return;
        double perFrame = (to - from) / double(count);
        count = size_t(ceil((s.sourceEnd - from) / perFrame));
        to = s.sourceEnd;
    }
    if (!count) return;
    s.out.insert(s.out.end(), frames, frames + count * size_t(s.channels));
    s.marks.push_back({uint32_t(count), from, to});
}

static void DropInputBefore(Stretch &s, uint64_t frame) {
    if (frame <= s.inStart) return;
    uint64_t end = InEnd(s);
    if (frame > end) frame = end;
    s.in.erase(s.in.begin(),
               s.in.begin() + ptrdiff_t(size_t(frame - s.inStart) * size_t(s.channels)));
    s.inStart = frame;
}

void StretchReset(Stretch &s, int channels, uint32_t rate, uint64_t position) {
    double tempo = s.tempo > 0 ? s.tempo : 1.0;
    s.channels = channels;
    s.rate = rate;
    s.tempo = tempo;
    s.passing = tempo == 1.0;
    s.finished = false;
    s.sourceEnd = 0;
    s.in.clear();
    s.inStart = position;
    s.cursor = position;
    s.tail = position;
    s.nominal = double(position);
    s.out.clear();
    s.outAt = 0;
    s.marks.clear();
    s.markAt = 0;
    s.markUsed = 0;
}

void StretchSetTempo(Stretch &s, double tempo) {
    if (tempo == s.tempo) return;
    if (s.passing) {
        // Stretching starts where the passthrough stands: the first match is that very spot.
        s.tail = s.cursor;
        s.nominal = double(s.cursor);
        s.passing = false;
    }
    s.tempo = tempo;
}

static void ToMono(const Stretch &s, uint64_t from, size_t count, std::vector<float> &mono) {
    mono.resize(count);
    const int16_t *p = InAt(s, from);
    if (s.channels == 1) {
        for (size_t i = 0; i < count; ++i) mono[i] = p[i];
    } else {
        for (size_t i = 0; i < count; ++i) mono[i] = float(p[2 * i]) + float(p[2 * i + 1]);
    }
}

// Normalised correlation of a with b over n samples; four partial sums in float keep it to
// plain vector arithmetic.
static float Score(const float *a, const float *b, size_t n) {
    float dot[4] = {0, 0, 0, 0}, energy[4] = {0, 0, 0, 0};
    size_t i = 0;
    for (; i + 4 <= n; i += 4)
        for (int k = 0; k < 4; ++k) {
            dot[k] += a[i + k] * b[i + k];
            energy[k] += b[i + k] * b[i + k];
        }
    for (; i < n; ++i) {
        dot[0] += a[i] * b[i];
        energy[0] += b[i] * b[i];
    }
    return (dot[0] + dot[1] + dot[2] + dot[3]) /
           sqrtf(energy[0] + energy[1] + energy[2] + energy[3] + 1e-3f);
}

static void Halve(const std::vector<float> &from, std::vector<float> &to) {
    to.resize(from.size() / 2);
    for (size_t i = 0; i < to.size(); ++i) to[i] = from[2 * i];
}

// The segment start in [lo, hi] whose opening best continues the audio at `tail`: every 4th
// offset on every 2nd sample first, then each offset near the winner on every sample.
static uint64_t BestMatch(Stretch &s, uint64_t lo, uint64_t hi, uint64_t center, int overlap) {
    ToMono(s, s.tail, size_t(overlap), s.monoA);
    ToMono(s, lo, size_t(hi - lo) + size_t(overlap), s.monoB);
    Halve(s.monoA, s.halfA);
    Halve(s.monoB, s.halfB);
    double half = double(hi - lo) / 2 + 1;
    auto weight = [&](uint64_t at, float score) {
        double x = (double(at) - double(center)) / half;
        return score > 0 ? score * (1 - 0.25 * x * x) : score * (1 + 0.25 * x * x);
    };
    auto coarse = [&](uint64_t at) {
        size_t k = size_t(at - lo) / 2, n = size_t(overlap) / 2;
        if (k + n > s.halfB.size()) n = s.halfB.size() - k;
        return weight(at, Score(s.halfA.data(), s.halfB.data() + k, n));
    };
    auto fine = [&](uint64_t at) {
        return weight(at, Score(s.monoA.data(), s.monoB.data() + (at - lo), size_t(overlap)));
    };
    uint64_t best = center < lo ? lo : center > hi ? hi : center;
    double bestScore = coarse(best);
    for (uint64_t at = lo; at <= hi; at += 4) {
        double score = coarse(at);
        if (score > bestScore) bestScore = score, best = at;
    }
    uint64_t fineLo = best >= lo + 3 ? best - 3 : lo, fineHi = best + 3 <= hi ? best + 3 : hi;
    bestScore = fine(best);
    for (uint64_t at = fineLo; at <= fineHi; ++at) {
        double score = fine(at);
        if (score > bestScore) bestScore = score, best = at;
    }
    return best;
}

// Input needed for the next stretching step, as an absolute end frame.
static uint64_t StepNeeds(const Stretch &s, const Shape &shape) {
    uint64_t center = uint64_t(s.nominal + 0.5);
    uint64_t hi = center + uint64_t(shape.window / 2);
    uint64_t a = hi + uint64_t(shape.sequence), b = s.tail + uint64_t(shape.overlap);
    return a > b ? a : b;
}

static void CrossFade(Stretch &s, uint64_t from, uint64_t to, int overlap,
                      std::vector<int16_t> &fade) {
    int c = s.channels;
    fade.resize(size_t(overlap) * size_t(c));
    const int16_t *a = InAt(s, from), *b = InAt(s, to);
    for (int i = 0; i < overlap; ++i) {
        float w = (float(i) + 0.5f) / float(overlap);
        for (int ch = 0; ch < c; ++ch) {
            float v = float(a[i * c + ch]) * (1 - w) + float(b[i * c + ch]) * w;
            fade[size_t(i * c + ch)] = int16_t(lrintf(v));
        }
    }
}

// Runs whatever steps the buffered input allows.
static void Process(Stretch &s) {
    std::vector<int16_t> fade;
    for (;;) {
        uint64_t end = InEnd(s);
        if (s.passing) {
            if (s.finished && double(end) > s.sourceEnd) end = uint64_t(s.sourceEnd);
            if (s.cursor < s.inStart) s.cursor = s.inStart;
            if (end > s.cursor) {
                Emit(s, InAt(s, s.cursor), size_t(end - s.cursor), double(s.cursor), double(end));
                s.cursor = end;
            }
            DropInputBefore(s, s.cursor);
            return;
        }
        Shape shape = ShapeFor(s.tempo, s.rate);
        if (s.finished && s.nominal >= s.sourceEnd) {
            DropInputBefore(s, end);
            return;
        }
        if (StepNeeds(s, shape) > end) return;
        uint64_t center = uint64_t(s.nominal + 0.5);
        uint64_t half = uint64_t(shape.window / 2);
        // Going back to passthrough, the input must not resume behind the position already
        // reported: search no earlier than one overlap before it.
        uint64_t back =
            s.tempo == 1.0 && half > uint64_t(shape.overlap) ? uint64_t(shape.overlap) : half;
        uint64_t lo = center >= s.inStart + back ? center - back : s.inStart;
        uint64_t hi = center + half;
        uint64_t seg = BestMatch(s, lo, hi, center, shape.overlap);
        CrossFade(s, s.tail, seg, shape.overlap, fade);
        if (s.tempo == 1.0) {
            // Back to passthrough: after this one cross-fade, the input itself.
            double resume = double(seg + uint64_t(shape.overlap));
            Emit(s, fade.data(), size_t(shape.overlap), s.nominal,
                 resume > s.nominal ? resume : s.nominal);
            s.cursor = seg + uint64_t(shape.overlap);
            s.passing = true;
            continue;
        }
        int body = shape.sequence - 2 * shape.overlap;
        double step = s.tempo * (shape.sequence - shape.overlap);
        double mid = s.nominal + step * shape.overlap / double(shape.sequence - shape.overlap);
        Emit(s, fade.data(), size_t(shape.overlap), s.nominal, mid);
        Emit(s, InAt(s, seg + uint64_t(shape.overlap)), size_t(body), mid, s.nominal + step);
        s.tail = seg + uint64_t(shape.sequence - shape.overlap);
        s.nominal += step;
        uint64_t nextLo = uint64_t(s.nominal + 0.5);
        nextLo = nextLo > half ? nextLo - half : 0;
        DropInputBefore(s, nextLo < s.tail ? nextLo : s.tail);
    }
}

size_t StretchWanted(const Stretch &s) {
    uint64_t end = InEnd(s);
    if (s.passing) return s.cursor >= end ? 4096 : 0;
    uint64_t need = StepNeeds(s, ShapeFor(s.tempo, s.rate));
    return need > end ? size_t(need - end) : 0;
}

void StretchPut(Stretch &s, const int16_t *frames, size_t count) {
    if (s.passing && s.in.empty() && s.cursor == s.inStart) {
        // Nothing held back: the input goes straight out.
        Emit(s, frames, count, double(s.cursor), double(s.cursor + count));
        s.cursor += count;
        s.inStart = s.cursor;
        return;
    }
    s.in.insert(s.in.end(), frames, frames + count * size_t(s.channels));
    Process(s);
}

void StretchFinish(Stretch &s) {
    if (s.finished) return;
    s.finished = true;
    s.sourceEnd = double(InEnd(s));
    if (!s.passing) {
        // Silence after the end lets the last steps run whole; Emit cuts them at the end.
        Shape widest = ShapeFor(0.5, s.rate);
        s.in.resize(s.in.size() + size_t(widest.sequence + widest.window + widest.overlap) *
                                      size_t(s.channels),
                    0);
    }
    Process(s);
}

size_t StretchReady(const Stretch &s) { return (s.out.size() - s.outAt) / size_t(s.channels); }

size_t StretchTake(Stretch &s, int16_t *out, size_t maxFrames, double *from, double *to) {
    Process(s);
    size_t n = StretchReady(s);
    if (n > maxFrames) n = maxFrames;
    if (n == 0) {
        *from = *to = s.passing ? double(s.cursor) : s.nominal;
        return 0;
    }
    memcpy(out, s.out.data() + s.outAt, n * size_t(s.channels) * 2);
    s.outAt += n * size_t(s.channels);
    // Walk the marks to find the source positions of the first and past-the-last frame.
    size_t left = n;
    bool first = true;
    while (left > 0 && s.markAt < s.marks.size()) {
        const StretchMark &m = s.marks[s.markAt];
        double perFrame = (m.to - m.from) / m.frames;
        if (first) {
            *from = m.from + perFrame * s.markUsed;
            first = false;
        }
        uint32_t avail = m.frames - s.markUsed;
        uint32_t used = left < avail ? uint32_t(left) : avail;
        s.markUsed += used;
        left -= used;
        *to = m.from + perFrame * s.markUsed;
        if (s.markUsed == m.frames) {
            ++s.markAt;
            s.markUsed = 0;
        }
    }
    // Compact the queues once they are consumed, or mostly.
    if (s.outAt == s.out.size()) {
        s.out.clear();
        s.outAt = 0;
    } else if (s.outAt > 65536 && s.outAt * 2 > s.out.size()) {
        s.out.erase(s.out.begin(), s.out.begin() + ptrdiff_t(s.outAt));
        s.outAt = 0;
    }
    if (s.markAt == s.marks.size()) {
        s.marks.clear();
        s.markAt = 0;
    } else if (s.markAt > 256) {
        s.marks.erase(s.marks.begin(), s.marks.begin() + ptrdiff_t(s.markAt));
        s.markAt = 0;
    }
    return n;
}
