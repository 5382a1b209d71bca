// The audio library's interface: the twelve calls that Parlomix.exe imports from vbmp3.dll.
// Shared by the program (playback/) and the library itself (audio/); includes no windows.h.
#ifndef PARLOMIX_VBMP3_H
#define PARLOMIX_VBMP3_H

#include <stdint.h>

// Natively (portable code built for tests and fuzzing) there is no DLL and no calling convention.
#if !defined(_WIN32)
#define VBMP3_API
#define VBMP3_CALL
#elif defined(VBMP3_BUILDING)
#define VBMP3_API __declspec(dllexport)
#define VBMP3_CALL __stdcall
#else
#define VBMP3_API __declspec(dllimport)
#define VBMP3_CALL __stdcall
#endif

// The block that vbmp3_open fills. The program reads only `length`, the whole playing time.
struct Vbmp3FileInfo {
    int32_t format;      // 1 WAV, 2 MP3, 3 other (decoded by the platform)
    int32_t sampleRate;  // Hz of the decoded audio
    int32_t channels;    // of the decoded audio (1 or 2)
    int32_t bitRate;     // average, in kbit/s
    char reserved[252];  // zero
    int32_t length;      // whole seconds
};
static_assert(sizeof(Vbmp3FileInfo) == 272, "vbmp3 information block is 272 bytes");
static_assert(__builtin_offsetof(Vbmp3FileInfo, length) == 268, "length is the last 4 bytes");

// What vbmp3_getState returns.
enum { VBMP3_STOPPED = 0, VBMP3_PLAYING = 1, VBMP3_PAUSED = 2 };

// The playing speed in percent: vbmp3_setPitch refuses a value outside MIN..MAX, and a freshly
// loaded library plays at NORMAL.
enum { VBMP3_PITCH_MIN = 50, VBMP3_PITCH_NORMAL = 100, VBMP3_PITCH_MAX = 300 };

#ifdef __cplusplus
extern "C" {
#endif
VBMP3_API int32_t VBMP3_CALL vbmp3_init(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_free(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_open(const char *path, Vbmp3FileInfo *info);
VBMP3_API int32_t VBMP3_CALL vbmp3_close(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_play(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_pause(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_restart(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_stop(void);
VBMP3_API int32_t VBMP3_CALL vbmp3_seek(int32_t seconds);
VBMP3_API int32_t VBMP3_CALL vbmp3_getState(int32_t *position);
VBMP3_API int32_t VBMP3_CALL vbmp3_setPitch(int32_t pitch);
VBMP3_API int32_t VBMP3_CALL vbmp3_getPitch(void);
#ifdef __cplusplus
}
#endif

// Clarity: stages that make speech easier to hear, each heard at once while playing. Flags for
// vbmp3_setClarity, any combination (0: the sound as recorded), and the channels for
// vbmp3_setChannel (the chosen side on both ears; a mono recording ignores it). Both return 0
// for a value outside these or before vbmp3_init, and keep their choice across files.
enum { VBMP3_AUTO_GAIN = 1, VBMP3_NOISE_REDUCTION = 2, VBMP3_LOW_CUT = 4 };
enum { VBMP3_CHANNEL_BOTH = 0, VBMP3_CHANNEL_LEFT = 1, VBMP3_CHANNEL_RIGHT = 2 };
#ifdef __cplusplus
extern "C" {
#endif
VBMP3_API int32_t VBMP3_CALL vbmp3_setClarity(int32_t flags);
VBMP3_API int32_t VBMP3_CALL vbmp3_setChannel(int32_t channel);
#ifdef __cplusplus
}
#endif

#endif
