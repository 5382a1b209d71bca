// vbmp3.dll's exported calls. This first version starts and frees, and answers every call
// safely in the stopped state with no file: open fails.
#include <windows.h>

#include "playback/vbmp3.h"

static bool started;
static int32_t pitch = 100;

extern "C" {
VBMP3_API int32_t VBMP3_CALL vbmp3_init(void) {
    if (waveOutGetNumDevs() == 0) return 0;
    started = true;
    return 1;
}
VBMP3_API int32_t VBMP3_CALL vbmp3_free(void) {
    started = false;
    return 1;
}
VBMP3_API int32_t VBMP3_CALL vbmp3_open(const char *, Vbmp3FileInfo *) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_close(void) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_play(void) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_pause(void) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_restart(void) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_stop(void) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_seek(int32_t) { return 0; }
VBMP3_API int32_t VBMP3_CALL vbmp3_getState(int32_t *position) {
    if (position) *position = 0;
    return 0;
}
VBMP3_API int32_t VBMP3_CALL vbmp3_setPitch(int32_t value) {
    if (!started || value < 50 || value > 300) return 0;
    pitch = value;
    return 1;
}
VBMP3_API int32_t VBMP3_CALL vbmp3_getPitch(void) { return started ? pitch : 0; }
}
