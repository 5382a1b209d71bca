// Status line, title and time stamp texts. The status line keeps its historical 32-byte format for
// times below 1000 hours; longer times still show whole because the buffer is larger.
#include "app/status_text.h"

#include <stdio.h>

#include "audio/vbmp3.h"
#include "common/file_spec.h"
#include "playback/controller.h"
#include "playback/play_state.h"

const char *StatusWord(int32_t state) {
    switch (state) {
    case VBMP3_PLAYING: return "PLAYING";
    case VBMP3_PAUSED: return "PAUSE  ";
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

int FormatClockText(char *out, size_t size, int32_t seconds) {
    int n =
        snprintf(out, size, "%02d:%02d:%02d", seconds / 60 / 60, seconds / 60 % 60, seconds % 60);
    return WrittenLength(n, size);
}

int FormatStatusText(char *out, size_t size, int32_t state, int32_t position, int32_t length) {
    char positionText[CLOCK_TEXT_SIZE];
    char lengthText[CLOCK_TEXT_SIZE];
    FormatClockText(positionText, sizeof positionText, position);
    FormatClockText(lengthText, sizeof lengthText, length);
    int n = snprintf(out, size, "%-8s  %s / %s", StatusWord(state), positionText, lengthText);
    return WrittenLength(n, size);
}

int FormatStatusLine(char *out, size_t size, int32_t state, int32_t position, int32_t length,
                     int32_t loop, const char *note) {
    char status[STATUS_TEXT_SIZE];
    FormatStatusText(status, sizeof status, state, position, length);
    const char *mark = loop == LOOP_ON ? "  LOOP" : loop == LOOP_MARKED ? "  LOOP A-" : "";
    bool noted = note != nullptr && note[0] != '\0';
    int n = snprintf(out, size, "%s%s%s%s", status, mark, noted ? "  " : "", noted ? note : "");
    return WrittenLength(n, size);
}

const char *JumpNoteText(int32_t jumpResult, bool noStamp) {
    if (noStamp) return "クリップボードに時刻がありません";
    switch (jumpResult) {
    case JUMP_NO_FILE: return "ファイルが開かれていません";
    case JUMP_BEFORE_START: return "その時刻は録音の始まりより前です";
    case JUMP_PAST_END: return "その時刻は録音の終わりより後です";
    default: return "";
    }
}

int FormatTimestampText(char *out, size_t size, int32_t position) {
    char clock[CLOCK_TEXT_SIZE];
    FormatClockText(clock, sizeof clock, position);
    int n = snprintf(out, size, "[%s] ", clock);
    return WrittenLength(n, size);
}

int FormatTitleText(char *out, size_t size, const char *fileName, const char *appName) {
    int n = snprintf(out, size, "%.259s - %s", fileName, appName);
    return WrittenLength(n, size);
}

int FormatTitleTextWide(wchar_t *out, size_t size, const wchar_t *fileName,
                        const wchar_t *appName) {
    if (size == 0) return 0;
    size_t at = 0;
    for (size_t i = 0; i < FILE_SPEC_TEXT - 1 && fileName[i] && at + 1 < size; ++i)
        out[at++] = fileName[i];
    for (const wchar_t *p = L" - "; *p && at + 1 < size; ++p) out[at++] = *p;
    for (size_t i = 0; appName[i] && at + 1 < size; ++i) out[at++] = appName[i];
    out[at] = L'\0';
    return (int)at;
}
