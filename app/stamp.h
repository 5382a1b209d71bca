// Time stamps as text, both ways and without any window: the configured format turned into the
// stamp TIMESTAMP and the snippets type, and the last stamp found in a text (the clipboard, the
// GOTO box) turned back into a position. The same rules serve the settings dialog's example.
#ifndef PARLOMIX_STAMP_H
#define PARLOMIX_STAMP_H

#include <stddef.h>
#include <stdint.h>

enum {
    // Room for a format or a snippet, NUL included (CP932 bytes).
    STAMP_FORMAT_SIZE = 64,
    SNIPPET_TEXT_SIZE = 128,
    SNIPPET_COUNT = 8,
    STAMP_PRESET_COUNT = 5,
    // The largest offset either way: a day.
    STAMP_OFFSET_LIMIT = 24 * 60 * 60,
    // The longest stamp a format can make: every byte of it a field of 596523 hours.
    STAMP_TEXT_SIZE = 512
};

// The settings of the 設定 → 文字入力 dialog, kept in parlomix.ini.
struct TextSettings {
    char format[STAMP_FORMAT_SIZE];
    int32_t offsetSeconds;  // added to the position in every stamp typed; JUMP takes it off
    char snippets[SNIPPET_COUNT][SNIPPET_TEXT_SIZE];
};

// The first preset, no offset, empty snippets.
void SetDefaultTextSettings(TextSettings *settings);

// The formats offered in the settings, the first being the default. In a format, hh, mm and ss
// are the hours (two digits or more), minutes and seconds, and a run of one to three d the
// tenths, hundredths or thousandths; every other character stands for itself.
extern const char *const STAMP_PRESETS[STAMP_PRESET_COUNT];

// The stamp of `milliseconds` in `format` (a negative time with a leading '-'). Returns the
// length written, which is shorter than the whole stamp only when `size` is too small; never
// writes past `size` bytes.
int FormatStamp(char *out, size_t size, const char *format, int64_t milliseconds);

// The last time stamp in `text`: the configured `format`, or hh:mm:ss or mm:ss, each with an
// optional fraction of one to three digits after '.', with or without brackets around it.
// Minutes and seconds after the first field are below 60; a first field of more than six digits
// is no stamp. True with the time in `milliseconds`; false when there is none.
bool FindLastStamp(const char *text, const char *format, int64_t *milliseconds);

// As FindLastStamp, but the whole of `text` must be the stamp, apart from spaces and the
// brackets, parentheses or '#' around it: what the GOTO box accepts.
bool ParseStampOnly(const char *text, const char *format, int64_t *milliseconds);

// An offset as the settings hold it: an optional sign and hh:mm:ss (or mm:ss), within
// STAMP_OFFSET_LIMIT seconds either way; empty text is no offset. False for anything else.
bool ParseStampOffset(const char *text, int32_t *seconds);
// "+hh:mm:ss" or "-hh:mm:ss"; the same return as FormatStamp.
int FormatStampOffset(char *out, size_t size, int32_t seconds);

// `snippet` with each "{time}" replaced by `stamp`, cut to `size` - 1 bytes. Returns the length.
int ExpandSnippet(char *out, size_t size, const char *snippet, const char *stamp);
// True when `snippet` holds "{time}".
bool SnippetNeedsTime(const char *snippet);

#endif
