// Status line and title texts. The status line keeps its historical 32-byte format for times
// below 1000 hours; longer times still show whole because the buffer is larger.
#include "app/status_text.h"

#include <stdio.h>

const char *StatusWord(int32_t state) {
    switch (state) {
    case 1: return "PLAYING";
    case 2: return "PAUSE  ";
    default: return "STOP   ";
    }
}

// snprintf answers the length the whole text would have had; callers draw what is in `out`.
static int WrittenLength(int formatted, size_t size) {
    if (formatted < 0 || size == 0) {
        return 0;
    }
    return (size_t)formatted < size ? formatted : (int)(size - 1);
}

int FormatStatusText(char *out, size_t size, int32_t state, int32_t position, int32_t length) {
    int n = snprintf(out, size, "%-8s  %02d:%02d:%02d / %02d:%02d:%02d", StatusWord(state),
                     position / 60 / 60, position / 60 % 60, position % 60, length / 60 / 60,
                     length / 60 % 60, length % 60);
    return WrittenLength(n, size);
}

int FormatTitleText(char *out, size_t size, const char *fileName, const char *appName) {
    int n = snprintf(out, size, "%.259s - %s", fileName, appName);
    return WrittenLength(n, size);
}
