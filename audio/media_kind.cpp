// Container signatures and decoder delays for the media route; no platform calls, so the rules
// are tested natively.
#include "audio/media_kind.h"

#include <string.h>

#include "audio/byte_source.h"

static const uint8_t ASF_HEADER_GUID[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                            0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

// Old QuickTime files may open with any of these top-level atoms instead of "ftyp".
static bool IsQuickTimeAtom(const uint8_t *type) {
    static const char *const ATOMS[] = {"moov", "mdat", "wide", "free", "skip", "pnot"};
    for (const char *atom : ATOMS)
        if (memcmp(type, atom, 4) == 0) return true;
    return false;
}

MediaKind SniffMedia(const uint8_t *head, size_t size) {
    if (size >= 16 && memcmp(head, ASF_HEADER_GUID, 16) == 0) return MEDIA_ASF;
    if (size >= 4 && memcmp(head, "fLaC", 4) == 0) return MEDIA_FLAC;
    if (size >= 4 && memcmp(head, "OggS", 4) == 0) return MEDIA_OGG;
    if (size >= 8) {
        uint32_t box = Be32(head);
        if (memcmp(head + 4, "ftyp", 4) == 0 && box >= 8) return MEDIA_MP4;
        // A box size of 1 means a 64-bit size follows; 0 runs to the end of the file.
        if (IsQuickTimeAtom(head + 4) && (box <= 1 || box >= 8)) return MEDIA_MP4;
    }
    return MEDIA_UNKNOWN;
}

uint32_t LeftInCodecDelay(MediaKind kind, uint32_t rate) {
    if (kind != MEDIA_ASF) return 0;
    // WMA 1 and 2 choose their transform frame by rate; the decoder's output lags one frame.
    if (rate <= 16000) return 512;
    if (rate <= 22050) return 1024;
    return 2048;
}
