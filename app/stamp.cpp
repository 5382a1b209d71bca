// Stamp formatting and parsing over CP932 text. A double-byte character is always stepped over
// whole: its second byte may look like a format letter or a bracket, never like a digit or ':'.
#include "app/stamp.h"

#include <stdio.h>
#include <string.h>

const char *const STAMP_PRESETS[STAMP_PRESET_COUNT] = {
    "[hh:mm:ss] ", "[hh:mm:ss.d] ", "(hh:mm:ss) ", "hh:mm:ss ", "#hh:mm:ss.dd# ",
};

void SetDefaultTextSettings(TextSettings *settings) {
    memset(settings, 0, sizeof *settings);
    snprintf(settings->format, sizeof settings->format, "%s", STAMP_PRESETS[0]);
}

enum {
    HOUR_DIGITS_MAX = 6,  // 999999 hours: far past any recording, far below overflow
    FRACTION_DIGITS_MAX = 3
};

static bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The length of the character at `s`: 2 for a double-byte character with its second byte there.
static size_t CharLength(const char *s) { return IsLeadByte((unsigned char)s[0]) && s[1] ? 2 : 1; }

// A run of `c` at `s`, at most `limit` long.
static int RunLength(const char *s, char c, int limit) {
    int n = 0;
    while (n < limit && s[n] == c) ++n;
    return n;
}

struct Writer {
    char *out;
    size_t size;
    size_t length;
};

static void Put(Writer *w, const char *text, size_t n) {
    for (size_t i = 0; i < n && w->length + 1 < w->size; ++i) w->out[w->length++] = text[i];
    if (w->size) w->out[w->length] = '\0';
}

static void PutNumber(Writer *w, const char *pattern, long long value) {
    char digits[24];
    int n = snprintf(digits, sizeof digits, pattern, value);
    Put(w, digits, (size_t)n);
}

int FormatStamp(char *out, size_t size, const char *format, int64_t milliseconds) {
    Writer w = {out, size, 0};
    if (size) out[0] = '\0';
    if (milliseconds < 0) {
        Put(&w, "-", 1);
        milliseconds = -milliseconds;
    }
    long long seconds = milliseconds / 1000;
    for (const char *f = format; *f;) {
        int fraction = RunLength(f, 'd', FRACTION_DIGITS_MAX);
        if (f[0] == 'h' && f[1] == 'h') {
            PutNumber(&w, "%02lld", seconds / 3600);
        } else if (f[0] == 'm' && f[1] == 'm') {
            PutNumber(&w, "%02lld", seconds / 60 % 60);
        } else if (f[0] == 's' && f[1] == 's') {
            PutNumber(&w, "%02lld", seconds % 60);
        } else if (fraction > 0) {
            static const int DIVISORS[] = {100, 10, 1};
            PutNumber(&w,
                      fraction == 1   ? "%01lld"
                      : fraction == 2 ? "%02lld"
                                      : "%03lld",
                      (long long)(milliseconds % 1000 / DIVISORS[fraction - 1]));
            f += fraction;
            continue;
        } else {
            size_t n = CharLength(f);
            Put(&w, f, n);
            f += n;
            continue;
        }
        f += 2;
    }
    return (int)w.length;
}

// Reads `min`..`max` digits at text[*at] that no further digit follows.
static bool ReadNumber(const char *text, size_t *at, int min, int max, long long *value) {
    int n = 0;
    long long v = 0;
    while (IsDigit(text[*at + n])) {
        if (++n > max) return false;
        v = v * 10 + (text[*at + n - 1] - '0');
    }
    if (n < min) return false;
    *at += (size_t)n;
    *value = v;
    return true;
}

// Reads ".d" to ".ddd" as milliseconds, or nothing.
static bool ReadFraction(const char *text, size_t *at, long long *ms) {
    *ms = 0;
    if (text[*at] != '.' || !IsDigit(text[*at + 1])) return true;
    size_t from = *at + 1, end = from;
    long long value = 0;
    if (!ReadNumber(text, &end, 1, FRACTION_DIGITS_MAX, &value)) return false;
    for (size_t n = end - from; n < FRACTION_DIGITS_MAX; ++n) value *= 10;
    *ms = value;
    *at = end;
    return true;
}

struct Found {
    size_t start, end;
    int64_t ms;
};

static int64_t Milliseconds(long long h, long long m, long long s, long long ms) {
    return ((h * 60 + m) * 60 + s) * 1000 + ms;
}

// hh:mm:ss or mm:ss with an optional fraction, at text[start].
static bool MatchPlain(const char *text, size_t start, Found *found) {
    size_t at = start;
    long long first = 0, second = 0, third = 0, ms = 0;
    if (!ReadNumber(text, &at, 1, HOUR_DIGITS_MAX, &first) || text[at] != ':') return false;
    ++at;
    if (!ReadNumber(text, &at, 2, 2, &second) || second >= 60) return false;
    bool hours = text[at] == ':' && IsDigit(text[at + 1]);
    if (hours) {
        ++at;
        if (!ReadNumber(text, &at, 2, 2, &third) || third >= 60) return false;
    }
    if (!ReadFraction(text, &at, &ms)) return false;
    found->start = start;
    found->end = at;
    found->ms = hours ? Milliseconds(first, second, third, ms) : Milliseconds(0, first, second, ms);
    return true;
}

// The configured format at text[start], spaces at either end of the format left out.
static bool MatchFormat(const char *text, size_t start, const char *format, Found *found) {
    while (*format == ' ') ++format;
    size_t formatLength = strlen(format);
    while (formatLength > 0 && format[formatLength - 1] == ' ') --formatLength;
    if (formatLength == 0) return false;
    long long h = 0, m = 0, s = 0, ms = 0;
    bool any = false;
    size_t at = start;
    for (size_t f = 0; f < formatLength;) {
        int fraction = RunLength(format + f, 'd', FRACTION_DIGITS_MAX);
        const char *token = format + f;
        if (token[0] == 'h' && token[1] == 'h') {
            if (!ReadNumber(text, &at, 1, HOUR_DIGITS_MAX, &h)) return false;
        } else if (token[0] == 'm' && token[1] == 'm') {
            if (!ReadNumber(text, &at, 2, 2, &m) || m >= 60) return false;
        } else if (token[0] == 's' && token[1] == 's') {
            if (!ReadNumber(text, &at, 2, 2, &s) || s >= 60) return false;
        } else if (fraction > 0) {
            long long value = 0;
            if (!ReadNumber(text, &at, fraction, fraction, &value)) return false;
            for (int n = fraction; n < FRACTION_DIGITS_MAX; ++n) value *= 10;
            ms = value;
            f += (size_t)fraction;
            any = true;
            continue;
        } else {
            size_t n = CharLength(token);
            if (strncmp(text + at, token, n) != 0) return false;
            at += n;
            f += n;
            continue;
        }
        any = true;
        f += 2;
    }
    if (!any) return false;
    found->start = start;
    found->end = at;
    found->ms = Milliseconds(h, m, s, ms);
    return true;
}

static bool FindLast(const char *text, const char *format, Found *last) {
    bool any = false;
    for (size_t i = 0; text[i]; i += CharLength(text + i)) {
        // A stamp never starts inside a number or right after one of its own separators.
        bool inside = i > 0 && (IsDigit(text[i - 1]) || text[i - 1] == ':' || text[i - 1] == '.');
        Found found;
        if (format && !(inside && IsDigit(text[i])) && MatchFormat(text, i, format, &found)) {
            *last = found;
            any = true;
        } else if (!inside && IsDigit(text[i]) && MatchPlain(text, i, &found)) {
            *last = found;
            any = true;
        }
    }
    return any;
}

bool FindLastStamp(const char *text, const char *format, int64_t *milliseconds) {
    Found found;
    if (!FindLast(text, format, &found)) return false;
    *milliseconds = found.ms;
    return true;
}

static bool OnlyFraming(const char *from, const char *to) {
    for (; from < to; ++from) {
        if (!strchr(" \t[]()#", *from)) return false;
    }
    return true;
}

bool ParseStampOnly(const char *text, const char *format, int64_t *milliseconds) {
    Found found;
    if (!FindLast(text, format, &found)) return false;
    if (!OnlyFraming(text, text + found.start) ||
        !OnlyFraming(text + found.end, text + strlen(text)))
        return false;
    *milliseconds = found.ms;
    return true;
}

bool ParseStampOffset(const char *text, int32_t *seconds) {
    while (*text == ' ') ++text;
    if (*text == '\0') {
        *seconds = 0;
        return true;
    }
    bool negative = *text == '-';
    if (negative || *text == '+') ++text;
    int64_t ms = 0;
    if (!ParseStampOnly(text, nullptr, &ms) || ms % 1000 != 0 || ms / 1000 > STAMP_OFFSET_LIMIT)
        return false;
    *seconds = (int32_t)(negative ? -(ms / 1000) : ms / 1000);
    return true;
}

int FormatStampOffset(char *out, size_t size, int32_t seconds) {
    Writer w = {out, size, 0};
    if (size) out[0] = '\0';
    Put(&w, seconds < 0 ? "-" : "+", 1);
    char clock[STAMP_TEXT_SIZE];
    int n = FormatStamp(clock, sizeof clock, "hh:mm:ss",
                        (int64_t)(seconds < 0 ? -(int64_t)seconds : seconds) * 1000);
    Put(&w, clock, (size_t)n);
    return (int)w.length;
}

static const char TIME_FIELD[] = "{time}";

int ExpandSnippet(char *out, size_t size, const char *snippet, const char *stamp) {
    Writer w = {out, size, 0};
    if (size) out[0] = '\0';
    size_t fieldLength = sizeof TIME_FIELD - 1;
    for (const char *s = snippet; *s;) {
        if (strncmp(s, TIME_FIELD, fieldLength) == 0) {
            Put(&w, stamp, strlen(stamp));
            s += fieldLength;
        } else {
            size_t n = CharLength(s);
            Put(&w, s, n);
            s += n;
        }
    }
    return (int)w.length;
}

bool SnippetNeedsTime(const char *snippet) { return strstr(snippet, TIME_FIELD) != nullptr; }
