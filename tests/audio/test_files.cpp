// Fixture paths and WAV byte builders for the audio tests.
#include "tests/audio/test_files.h"

#include <stdio.h>
#include <stdlib.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

std::string FixturePath(const char *name) {
    std::string path = AUDIO_FIXTURES;
    path += "/";
    path += name;
#ifdef _WIN32
    for (char &c : path)
        if (c == '/') c = '\\';
    path = "Z:" + path;
#endif
    return path;
}

std::vector<uint8_t> ReadFixture(const char *name) {
    std::vector<uint8_t> bytes;
    FILE *f = fopen(FixturePath(name).c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

void PutLe16(std::vector<uint8_t> &v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
void PutLe32(std::vector<uint8_t> &v, uint32_t x) {
    PutLe16(v, x & 0xFFFF);
    PutLe16(v, x >> 16);
}
void PutId(std::vector<uint8_t> &v, const char *id) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(id[i]));
}

std::vector<uint8_t> FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                                uint16_t blockAlign, size_t bodyBytes) {
    std::vector<uint8_t> f;
    PutLe16(f, bodyBytes == 40 ? 0xFFFE : tag);
    PutLe16(f, channels);
    PutLe32(f, rate);
    PutLe32(f, rate * blockAlign);
    PutLe16(f, blockAlign);
    PutLe16(f, bits);
    if (bodyBytes >= 18) PutLe16(f, uint16_t(bodyBytes - 18));
    if (bodyBytes == 40) {
        PutLe16(f, bits);
        PutLe32(f, channels == 2 ? 3 : 4);
        PutLe16(f, tag);
        static const uint8_t guidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        f.insert(f.end(), guidTail, guidTail + 14);
    }
    f.resize(bodyBytes, 0);
    return f;
}

std::vector<uint8_t> RiffFile(const std::vector<Chunk> &chunks, bool padOdd) {
    std::vector<uint8_t> v;
    PutId(v, "RIFF");
    PutLe32(v, 0);
    PutId(v, "WAVE");
    for (const Chunk &c : chunks) {
        PutId(v, c.id);
        PutLe32(v, uint32_t(c.body.size()));
        v.insert(v.end(), c.body.begin(), c.body.end());
        if (padOdd && (c.body.size() & 1)) v.push_back(0);
    }
    uint32_t riff = uint32_t(v.size() - 8);
    for (int i = 0; i < 4; ++i) v[4 + i] = uint8_t(riff >> (8 * i));
    return v;
}

std::vector<uint8_t> Pcm16Wav(const std::vector<int16_t> &samples, int channels, uint32_t rate) {
    std::vector<uint8_t> data;
    for (int16_t s : samples) PutLe16(data, uint16_t(s));
    return RiffFile(
        {{"fmt ", FormatBody(1, uint16_t(channels), rate, 16, uint16_t(2 * channels), 16)},
         {"data", data}});
}

std::string WorkDir() {
    const char *env = getenv("PARLOMIX_WORK");
    std::string unix = env ? env : "/tmp/parlomix-audio-test";
    std::string path;
    for (size_t i = 1; i <= unix.size(); ++i) {
        if (i < unix.size() && unix[i] != '/') continue;
        std::string part = unix.substr(0, i);
#ifdef _WIN32
        path = "Z:" + part;
        for (char &c : path)
            if (c == '/') c = '\\';
        CreateDirectoryA(path.c_str(), nullptr);
#else
        path = part;
        mkdir(path.c_str(), 0755);
#endif
    }
    return path;
}
