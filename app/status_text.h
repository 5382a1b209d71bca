// The texts of the status line and the window title, built without any window.
#ifndef PARLOMIX_STATUS_TEXT_H
#define PARLOMIX_STATUS_TEXT_H

#include <stddef.h>
#include <stdint.h>

// Big enough for the longest line: two times of 596523 hours (the int32 limit) and the word.
enum { STATUS_TEXT_SIZE = 48, TITLE_TEXT_SIZE = 300 };

// The seven-character word for a library state: "STOP   ", "PLAYING" or "PAUSE  ".
const char *StatusWord(int32_t state);

// "%-8s  %02d:%02d:%02d / %02d:%02d:%02d" with the state word and the two times; returns the
// length written, which is shorter than the whole line only when `size` is too small. Never
// writes past `size` bytes.
int FormatStatusText(char *out, size_t size, int32_t state, int32_t position, int32_t length);

// "%s - %s": the file's name (at most 259 bytes of it) and the display name; returns the length
// written, as above.
int FormatTitleText(char *out, size_t size, const char *fileName, const char *appName);

#endif
