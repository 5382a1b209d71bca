// A random-access view of a file's bytes for the portable parsers and decoders: the DLL backs it
// with a Win32 file handle, tests and fuzzers with memory. Reads past the end come back short.
#ifndef PARLOMIX_AUDIO_BYTE_SOURCE_H
#define PARLOMIX_AUDIO_BYTE_SOURCE_H

#include <stddef.h>
#include <stdint.h>

struct ByteSource {
    void *context;
    uint64_t size;
    // Reads up to count bytes at offset; returns how many arrived.
    size_t (*readAt)(void *context, uint64_t offset, void *buffer, size_t count);
    // Optional (null when absent): the bytes from offset in place, at least count of them, with
    // *available set to how many follow; valid until the next call. Null when it cannot.
    const uint8_t *(*viewAt)(void *context, uint64_t offset, size_t count, size_t *available);
};

// Clamps the request to the source's size, so callers may ask for more than exists.
size_t ReadAt(const ByteSource &source, uint64_t offset, void *buffer, size_t count);

struct MemoryBytes {
    const uint8_t *data;
    size_t size;
};
ByteSource MemorySource(MemoryBytes *bytes);

// Little- and big-endian loads from unaligned bytes.
inline uint16_t Le16(const uint8_t *p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t *p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t Le64(const uint8_t *p) { return uint64_t(Le32(p)) | (uint64_t(Le32(p + 4)) << 32); }
inline uint32_t Be32(const uint8_t *p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

#endif
