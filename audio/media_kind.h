// Recognising, from a file's first bytes, the containers the platform's media decoder opens, and
// the codec delay some platform decoders leave at the start of what they return.
#ifndef PARLOMIX_AUDIO_MEDIA_KIND_H
#define PARLOMIX_AUDIO_MEDIA_KIND_H

#include <stddef.h>
#include <stdint.h>

enum MediaKind {
    MEDIA_UNKNOWN,  // none of the below: may still be MP3 or something the platform knows
    MEDIA_MP4,      // ISO base media: M4A, MP4, MOV, 3GP
    MEDIA_ASF,      // WMA and WMV
    MEDIA_FLAC,
    MEDIA_OGG,  // Vorbis, Opus, FLAC in Ogg
};

// Bytes the recogniser wants to see; fewer are fine for short files.
enum { MEDIA_SNIFF_BYTES = 64 };

MediaKind SniffMedia(const uint8_t *head, size_t size);

// Frames of codec delay to drop after every start or seek when the platform's decoder leaves it
// in (a WMA decoder outputs one transform frame late): 0 for kinds without such a delay.
uint32_t LeftInCodecDelay(MediaKind kind, uint32_t rate);

#endif
