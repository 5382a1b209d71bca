// The texts of the status line, the window title and the time stamp typed for the heard
// position, built without any window.
#ifndef PARLOMIX_STATUS_TEXT_H
#define PARLOMIX_STATUS_TEXT_H

#include <stddef.h>
#include <stdint.h>

// Big enough for the longest line: two times of 596523 hours (the int32 limit) and the word.
enum {
    STATUS_TEXT_SIZE = 48,
    TITLE_TEXT_SIZE = 300,
    CLOCK_TEXT_SIZE = 20,
    TIMESTAMP_TEXT_SIZE = 24
};

// The seven-character word for a library state: "STOP   ", "PLAYING" or "PAUSE  ".
const char *StatusWord(int32_t state);

// A time of whole seconds as the status line shows it, "%02d:%02d:%02d" of hours, minutes and
// seconds. Each of these returns the length written, which is shorter than the whole text only
// when `size` is too small, and never writes past `size` bytes.
int FormatClockText(char *out, size_t size, int32_t seconds);

// "%-8s  %s / %s" with the state word and the two clock texts.
int FormatStatusText(char *out, size_t size, int32_t state, int32_t position, int32_t length);

// How long a note stays on the status line.
enum { STATUS_NOTE_MS = 4000 };

// The note for what JUMP or GOTO found (a JumpResult of playback/controller.h), or "" when it
// moved; `noStamp` for a clipboard without a stamp.
const char *JumpNoteText(int32_t jumpResult, bool noStamp);

enum { STATUS_NOTE_SIZE = 96, STATUS_LINE_SIZE = STATUS_TEXT_SIZE + STATUS_NOTE_SIZE + 16 };

// The status text, then "  LOOP" while `loop` is LOOP_ON ("  LOOP A-" once only A is marked),
// then two spaces and `note` when it is not empty.
int FormatStatusLine(char *out, size_t size, int32_t state, int32_t position, int32_t length,
                     int32_t loop, const char *note);

// "[%s] " with the clock text of `position`, as typed into the focused program: "[00:12:34] ".
int FormatTimestampText(char *out, size_t size, int32_t position);

// "%s - %s": the file's name (at most 259 bytes of it) and the display name.
int FormatTitleText(char *out, size_t size, const char *fileName, const char *appName);
// The same of a real file name (at most 259 units of it), in UTF-16.
int FormatTitleTextWide(wchar_t *out, size_t size, const wchar_t *fileName, const wchar_t *appName);

#endif
