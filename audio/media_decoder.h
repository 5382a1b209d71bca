// Every recording that is neither WAV nor MP3 (M4A/AAC, MP4 and MOV sound, WMA, FLAC, Ogg Vorbis
// and Opus, ...), decoded by the platform's Media Foundation on a thread of its own: COM and Media
// Foundation start and end on that thread, which reads ahead while the player plays. What the
// decoder hands out is counted from each seek target (the platform's timestamps are not trusted),
// so the position is always the frame the caller asked for plus the frames it was given.
// Media Foundation is loaded when first wanted: where Windows comes without it, WAV and MP3 still
// play and only this route fails.
#ifndef PARLOMIX_AUDIO_MEDIA_DECODER_H
#define PARLOMIX_AUDIO_MEDIA_DECODER_H

#include <stddef.h>
#include <stdint.h>

#include <string>

#include "audio/media_kind.h"

struct IMFSourceReader;
struct MediaDecoder;

struct MediaFormat {
    uint32_t rate;
    int channels;     // 1 or 2 (more are down-mixed)
    uint64_t frames;  // the whole length the container states
};

// How the decoder thread makes its source reader: the platform's by default; a test may put in
// one that stalls. Runs on the decoder thread after COM and Media Foundation have started.
typedef long (*MediaReaderMaker)(const wchar_t *path, IMFSourceReader **reader);

enum {
    MEDIA_OPEN_TIMEOUT_MS = 4000,  // a platform that has not opened the file by then has failed
    // ...except at the first open of a run, which may wait for the platform's own start (under
    // Wine, GStreamer's first scan of its plugins takes seconds on a slow machine).
    MEDIA_FIRST_OPEN_TIMEOUT_MS = 15000,
    MEDIA_SEEK_WAIT_MS = 250,      // a seek the platform has not answered by then is taken as done
    MEDIA_CLOSE_WAIT_MS = 3000,    // a thread not ended by then is left to end by itself
};

// The decoder thread's name, for debuggers and for tests that hold it up.
static const wchar_t MEDIA_THREAD_NAME[] = L"media decoder";

// False where the platform has no Media Foundation (Windows "N" editions without the Media
// Feature Pack, servers without the feature).
bool MediaPlatformPresent();

// Null when the platform cannot open or decode the file, has no sound stream in it, or does not
// answer within MEDIA_OPEN_TIMEOUT_MS (MEDIA_FIRST_OPEN_TIMEOUT_MS until the platform has
// answered an open once in this process). `kind` is what the file's first bytes showed.
MediaDecoder *OpenMediaDecoderW(const wchar_t *path, MediaKind kind,
                                MediaReaderMaker maker = nullptr);
MediaDecoder *OpenMediaDecoder(const char *path, MediaKind kind, MediaReaderMaker maker = nullptr);

// `path` read in the system's ANSI code page into `wide`; false when it is not text of that code
// page.
bool WidenAnsiPath(const char *path, std::wstring *wide);
// Ends the decoder thread; a thread the platform still holds is left to end by itself.
void CloseMediaDecoder(MediaDecoder *decoder);
MediaFormat GetMediaFormat(const MediaDecoder *decoder);
// `event` (a Win32 event handle) is set whenever the thread has decoded more, so that a reader
// that found nothing can wait for it without polling. Null: none.
void SetMediaDecoderWake(MediaDecoder *decoder, void *event);
// Moves to `frame` (clamped to the end); the thread seeks while the caller goes on. False when the
// platform refused the seek: the decoder then goes on from where it was.
bool SeekMediaDecoder(MediaDecoder *decoder, uint64_t frame);
// Up to `frames` frames into out, never waiting for the platform: fewer at the end, or while what
// comes next is still being decoded (MediaDecoderWaiting), which a later read brings.
size_t ReadMediaDecoder(MediaDecoder *decoder, int16_t *out, size_t frames);
// True when the last read came short only because the platform has not delivered yet.
bool MediaDecoderWaiting(const MediaDecoder *decoder);
uint64_t MediaDecoderPosition(const MediaDecoder *decoder);
// Decoder threads still running, abandoned ones included (0 once everything has ended).
long MediaThreadsRunning();

#endif
