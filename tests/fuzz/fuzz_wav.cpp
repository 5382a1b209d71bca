// libFuzzer target: the WAV reader and the sample conversion it leads to, on arbitrary bytes.
#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "audio/pcm_convert.h"
#include "audio/wav_parse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    MemoryBytes bytes = {data, size};
    ByteSource source = MemorySource(&bytes);
    WavInfo w;
    if (!ParseWav(source, &w)) return 0;
    // What the parser promises: sound data inside the file, whole blocks, a usable format image.
    if (w.dataOffset > size || w.dataSize > size - w.dataOffset) __builtin_trap();
    if (w.blockAlign == 0 || w.dataSize % w.blockAlign) __builtin_trap();
    if (w.format.size() < WAV_FORMAT_HEADER_BYTES) __builtin_trap();
    if (w.tag != WAV_TAG_MP3 && (w.frames == 0 || w.framesPerBlock == 0)) __builtin_trap();
    if (IsDirectFormat(w.tag, w.bitsPerSample)) {
        size_t frames = size_t(w.dataSize / w.blockAlign);
        if (frames > 4096) frames = 4096;
        std::vector<int16_t> out(frames * size_t(OutputChannels(w.channels)));
        ConvertToPcm16(data + w.dataOffset, frames, w.tag, w.bitsPerSample, w.channels, out.data());
    }
    return 0;
}
