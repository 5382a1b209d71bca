// The audio library's interface: the calls that Parlomix.exe imports from vbmp3.dll.
// Shared by the library itself and the program; includes no windows.h.
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
    int32_t format;      // VBMP3_FORMAT_WAV, VBMP3_FORMAT_MP3 or VBMP3_FORMAT_MEDIA
    int32_t sampleRate;  // Hz of the decoded audio
    int32_t channels;    // of the decoded audio (1 or 2)
    int32_t bitRate;     // average, in kbit/s
    char reserved[252];  // zero
    int32_t length;      // whole seconds
};
static_assert(sizeof(Vbmp3FileInfo) == 272, "vbmp3 information block is 272 bytes");
static_assert(__builtin_offsetof(Vbmp3FileInfo, length) == 268, "length is the last 4 bytes");

// How the file in `format` is decoded: WAV and MP3 by the library itself, any other kind by the
// platform's media decoder.
enum { VBMP3_FORMAT_WAV = 1, VBMP3_FORMAT_MP3 = 2, VBMP3_FORMAT_MEDIA = 3 };

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
// wide open: vbmp3_open for a path of any characters, as UTF-16; vbmp3_open reads its path in the
// system's ANSI code page.
VBMP3_API int32_t VBMP3_CALL vbmp3_openW(const wchar_t *path, Vbmp3FileInfo *info);

// loop: plays `from`..`to` (seconds) over and over, going back to `from` at `to` with the short
// fade of a seek, at any pitch; `to` <= `from` ends the loop. Returns 0 with no file open. The
// loop belongs to the open file: opening or closing one ends it.
VBMP3_API int32_t VBMP3_CALL vbmp3_setLoop(int32_t from, int32_t to);
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

// reader: an independent decoder of any file the library plays, as 16-bit frames (interleaved,
// the file's own rate and channels), for reading a whole file through while another plays. It
// shares nothing with the player and needs no vbmp3_init; each reader is used by one thread at a
// time. Its platform threads run at the priority of the thread that opens it.
struct Vbmp3Reader;
struct Vbmp3ReaderInfo {
    int32_t rate;
    int32_t channels;  // 1 or 2
    int64_t frames;    // the whole length
};
static_assert(sizeof(Vbmp3ReaderInfo) == 16, "reader information block is 16 bytes");

// What vbmp3_readReader returns when the platform has not decoded more within VBMP3_READER_WAIT_MS:
// call again. A platform that delivers nothing for VBMP3_READER_STALL_MS has given up: the read
// returns 0, as at the end.
enum { VBMP3_READER_WAITING = -1, VBMP3_READER_WAIT_MS = 50, VBMP3_READER_STALL_MS = 5000 };

#ifdef __cplusplus
extern "C" {
#endif
// Null when the file cannot be opened or decoded.
VBMP3_API Vbmp3Reader *VBMP3_CALL vbmp3_openReaderW(const wchar_t *path, Vbmp3ReaderInfo *info);
// Moves to `frame` (clamped to the end); 0 when the platform refused (the reader goes on from
// where it was).
VBMP3_API int32_t VBMP3_CALL vbmp3_seekReader(Vbmp3Reader *reader, int64_t frame);
// Up to `frames` frames into `out`: how many, 0 at the end or where the decoder gave up, or
// VBMP3_READER_WAITING.
VBMP3_API int32_t VBMP3_CALL vbmp3_readReader(Vbmp3Reader *reader, int16_t *out, int32_t frames);
VBMP3_API int32_t VBMP3_CALL vbmp3_closeReader(Vbmp3Reader *reader);
#ifdef __cplusplus
}
#endif

#endif
