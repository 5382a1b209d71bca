// Bounds-checked reads over a ByteSource, and the in-memory source used by tests and fuzzers.
#include "audio/byte_source.h"

#include <string.h>

size_t ReadAt(const ByteSource &source, uint64_t offset, void *buffer, size_t count) {
    if (offset >= source.size) return 0;
    uint64_t left = source.size - offset;
    if (count > left) count = size_t(left);
    if (count == 0) return 0;
    return source.readAt(source.context, offset, buffer, count);
}

static size_t ReadMemory(void *context, uint64_t offset, void *buffer, size_t count) {
    const MemoryBytes *bytes = static_cast<const MemoryBytes *>(context);
    if (offset >= bytes->size) return 0;
    size_t left = bytes->size - size_t(offset);
    if (count > left) count = left;
    memcpy(buffer, bytes->data + offset, count);
    return count;
}

ByteSource MemorySource(MemoryBytes *bytes) {
    ByteSource source;
    source.context = bytes;
    source.size = bytes->size;
    source.readAt = ReadMemory;
    source.viewAt = nullptr;  // copying keeps a scan's working set small
    return source;
}
