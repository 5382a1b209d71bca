// MPEG audio Layer III frames: header decoding, tag skipping (ID3v2 at the start, ID3v1/APE at
// the end), Xing/Info/LAME and VBRI headers, and the frame index built at open that gives the
// exact length and sample-exact seeking. Portable; reads through a ByteSource in blocks.
#ifndef PARLOMIX_AUDIO_MP3_PARSE_H
#define PARLOMIX_AUDIO_MP3_PARSE_H

#include <stdint.h>

#include <vector>

#include "audio/byte_source.h"

struct Mp3Header {
    int version;  // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5
    int bitrateKbps;
    int sampleRate;
    int channels;  // 1 mono, 2 otherwise
    int frameBytes;
    int samplesPerFrame;  // 1152 or 576
    int sideInfoBytes;    // without the CRC
    bool crc;
    bool padding;
};

// Layer III only; false for anything else (free format, reserved values).
bool ParseMp3Header(const uint8_t *h, Mp3Header *out);
// Same version, rate and channel count: frames of one stream.
bool SameMp3Stream(const Mp3Header &a, const Mp3Header &b);

// The ID3v2 tag size (header and footer included) at p, or 0 when there is none.
uint32_t Id3v2Size(const uint8_t *p, size_t have);

enum { MP3_DECODER_DELAY = 529, MP3_MAX_FRAME_BYTES = 1441 };

struct Mp3Index {
    Mp3Header first;                  // the first audio frame
    std::vector<uint32_t> offsets;    // each audio frame's file offset
    std::vector<uint16_t> sizes;      // each audio frame's length in bytes
    std::vector<uint16_t> reservoir;  // each frame's main_data_begin
    bool hasInfoFrame;                // a Xing/Info/VBRI frame precedes the audio (not in offsets)
    bool hasLameTag;
    uint32_t infoFrames;  // frame count the info frame claims (0 if none)
    uint32_t encoderDelay, encoderPadding;
    uint64_t startTrim;     // decoded samples to drop at the start
    uint64_t totalSamples;  // samples a listener hears, after trimming
    uint32_t averageKbps;
};

size_t Mp3FrameCount(const Mp3Index &index);
// Bytes of main data a frame carries (what later frames may borrow as their reservoir).
uint32_t Mp3MainDataBytes(const Mp3Index &index, size_t frame);
// The first frame to feed so that `frame` decodes exactly as in a run from the start.
size_t Mp3PrerollFrame(const Mp3Index &index, size_t frame);

// Builds the index of the stream within [begin, end) of the source. False when no stream of
// several consecutive agreeing frames is found (or the range passes 4 GB).
bool BuildMp3Index(const ByteSource &source, uint64_t begin, uint64_t end, Mp3Index *index);

#endif
