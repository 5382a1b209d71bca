// The release archive: it holds exactly the program, its two libraries and the help file, each
// the same bytes as in the program folder, and the two settings files as a first start writes
// them; its name says which Windows its binaries are built for (the 32-bit build's archive and
// the 64-bit build's "-x64" one); the binaries need nothing that neither the archive nor Windows
// supplies; and the
// program, unpacked into a folder whose name has spaces in it, starts there without a box,
// writes its settings beside itself and closes.
#include <gtest/gtest.h>

#include <windows.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "input/tables.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"

namespace {

const char *const kFiles[] = {"Parlomix.exe", "vbmp3.dll",    "duvarore.dll",
                              "help.chm",     "parlomix_opt", "parlomix_key"};

uint32_t Le16(const std::vector<unsigned char> &b, size_t at) {
    return at + 2 <= b.size() ? (uint32_t)(b[at] | b[at + 1] << 8) : 0;
}
uint32_t Le32(const std::vector<unsigned char> &b, size_t at) {
    return at + 4 <= b.size() ? Le16(b, at) | Le16(b, at + 2) << 16 : 0;
}

uint32_t Crc32(const std::vector<unsigned char> &bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct ZipEntry {
    std::string name;
    uint32_t crc = 0;
    uint32_t size = 0;
};

// The central directory of a zip file, found through its end record.
std::vector<ZipEntry> ZipListing(const std::vector<unsigned char> &zip) {
    std::vector<ZipEntry> entries;
    if (zip.size() < 22) return entries;
    size_t end = zip.size() - 22;
    while (end > 0 && Le32(zip, end) != 0x06054B50) --end;
    if (Le32(zip, end) != 0x06054B50) return entries;
    uint32_t count = Le16(zip, end + 10);
    size_t at = Le32(zip, end + 16);
    for (uint32_t i = 0; i < count && Le32(zip, at) == 0x02014B50; ++i) {
        ZipEntry e;
        e.crc = Le32(zip, at + 16);
        e.size = Le32(zip, at + 24);
        uint32_t nameLength = Le16(zip, at + 28);
        if (at + 46 + nameLength > zip.size()) break;
        e.name.assign((const char *)&zip[at + 46], nameLength);
        entries.push_back(e);
        at += 46 + nameLength + Le16(zip, at + 30) + Le16(zip, at + 32);
    }
    return entries;
}

// Names of the DLLs that a PE32 (or, in the 64-bit build, PE32+) file imports, or a single
// "?" when it cannot be read.
std::vector<std::string> Imports(const std::vector<unsigned char> &pe) {
    std::vector<std::string> names;
    uint32_t header = Le32(pe, 0x3C);
    if (Le16(pe, 0) != 0x5A4D || Le32(pe, header) != 0x00004550) return {"?"};
    uint32_t sections = Le16(pe, header + 6);
    uint32_t optional = header + 24;
    uint16_t magic = Le16(pe, optional);
    if (magic != 0x10B && magic != 0x20B) return {"?"};
    uint32_t importRva = Le32(pe, optional + (magic == 0x10B ? 104 : 120));
    size_t table = optional + Le16(pe, header + 20);
    auto fileOffset = [&](uint32_t rva) -> size_t {
        for (uint32_t s = 0; s < sections; ++s) {
            size_t h = table + 40 * s;
            uint32_t va = Le32(pe, h + 12), size = std::max(Le32(pe, h + 8), Le32(pe, h + 16));
            if (rva >= va && rva < va + size) return rva - va + Le32(pe, h + 20);
        }
        return 0;
    };
    size_t descriptor = fileOffset(importRva);
    if (!descriptor) return names;
    for (; Le32(pe, descriptor + 12) != 0; descriptor += 20) {
        size_t name = fileOffset(Le32(pe, descriptor + 12));
        if (!name || name >= pe.size()) return {"?"};
        names.push_back((const char *)&pe[name]);
    }
    return names;
}

// The machine a PE file is built for, or 0 when it cannot be read.
uint32_t Machine(const std::vector<unsigned char> &pe) {
    uint32_t header = Le32(pe, 0x3C);
    if (Le16(pe, 0) != 0x5A4D || Le32(pe, header) != 0x00004550) return 0;
    return Le16(pe, header + 4);
}

std::string Lower(std::string s) {
    for (char &c : s) c = (char)tolower((unsigned char)c);
    return s;
}

std::string PackagePath() { return driver::UnixToWindows(driver::Env("PARLOMIX_PACKAGE")); }

TEST(Package, HoldsTheProgramFolderByteForByte) {
    std::vector<unsigned char> zip = driver::ReadBytes(PackagePath());
    ASSERT_FALSE(zip.empty()) << PackagePath();
    std::vector<ZipEntry> entries = ZipListing(zip);
    std::vector<std::string> names;
    for (const ZipEntry &e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected(std::begin(kFiles), std::end(kFiles));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    // The settings files are the defaults, byte for byte; the program folder's own may have
    // been rewritten by a run since.
    OptionData options;
    SetDefaultOptionData(&options);
    KeyData keys[KEY_DATA_ROWS];
    SetDefaultKeyData(keys);
    const struct {
        const char *name;
        const void *data;
        size_t size;
    } defaults[] = {{"parlomix_opt", &options, sizeof options},
                    {"parlomix_key", keys, sizeof keys}};
    for (const ZipEntry &e : entries) {
        std::vector<unsigned char> built = driver::ReadBytes(driver::DistFolder() + "\\" + e.name);
        for (const auto &d : defaults) {
            if (e.name == d.name)
                built.assign((const unsigned char *)d.data, (const unsigned char *)d.data + d.size);
        }
        ASSERT_FALSE(built.empty()) << e.name;
        EXPECT_EQ(e.size, built.size()) << e.name;
        EXPECT_EQ(e.crc, Crc32(built)) << e.name;
    }
}

TEST(Package, NameSaysWhichWindowsItsBinariesRunOn) {
    // The first row whose ending the archive's name has. The manifest names the same processor,
    // for the program and for the common controls it asks for: a 64-bit program given the
    // 32-bit controls does not start wherever both are installed.
    const struct {
        const char *ending;
        uint32_t machine;
        const char *processor;
    } kinds[] = {{"-x64.zip", IMAGE_FILE_MACHINE_AMD64, "amd64"},
                 {".zip", IMAGE_FILE_MACHINE_I386, "x86"}};
    std::string name = PackagePath();
    const auto *kind = std::find_if(std::begin(kinds), std::end(kinds), [&](const auto &k) {
        size_t length = strlen(k.ending);
        return name.size() > length && name.compare(name.size() - length, length, k.ending) == 0;
    });
    ASSERT_NE(kind, std::end(kinds)) << name;
    for (const char *file : {"Parlomix.exe", "vbmp3.dll", "duvarore.dll"})
        EXPECT_EQ(Machine(driver::ReadBytes(driver::DistFolder() + "\\" + file)), kind->machine)
            << file;
    std::string exe = driver::DistFolder() + "\\Parlomix.exe";
    HMODULE image = LoadLibraryExA(exe.c_str(), NULL, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, (HMODULE)NULL) << exe;
    HRSRC found = FindResourceA(image, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(found, (HRSRC)NULL);
    std::string manifest((const char *)LockResource(LoadResource(image, found)),
                         SizeofResource(image, found));
    FreeLibrary(image);
    const std::string attribute = "processorArchitecture=\"";
    int named = 0;
    for (size_t at = manifest.find(attribute); at != std::string::npos;
         at = manifest.find(attribute, at + 1), ++named) {
        size_t value = at + attribute.size();
        EXPECT_EQ(manifest.substr(value, manifest.find('"', value) - value), kind->processor);
    }
    EXPECT_EQ(named, 2) << manifest;
}

TEST(Package, BinariesNeedOnlyEachOtherAndWindows) {
    char system[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
    std::set<std::string> packaged;
    for (const char *file : kFiles) packaged.insert(Lower(file));
    for (const char *file : {"Parlomix.exe", "vbmp3.dll", "duvarore.dll"}) {
        std::vector<std::string> imports =
            Imports(driver::ReadBytes(driver::DistFolder() + "\\" + file));
        EXPECT_FALSE(imports.empty()) << file;
        for (const std::string &dll : imports) {
            bool found =
                packaged.count(Lower(dll)) || driver::FileExists(std::string(system) + "\\" + dll);
            EXPECT_TRUE(found) << file << " needs " << dll;
        }
    }
    // The program finds its two libraries beside it.
    std::vector<std::string> exeImports =
        Imports(driver::ReadBytes(driver::DistFolder() + "\\Parlomix.exe"));
    std::set<std::string> lower;
    for (const std::string &dll : exeImports) lower.insert(Lower(dll));
    EXPECT_EQ(lower.count("vbmp3.dll"), 1u);
    EXPECT_EQ(lower.count("duvarore.dll"), 1u);
}

TEST(Package, UnpackedProgramRunsInAnyFolder) {
    // Unpacked by the test fixture into a folder of its own whose name has spaces in it.
    std::string folder = driver::UnixToWindows(driver::Env("PARLOMIX_UNPACKED"));
    for (const char *file : kFiles) ASSERT_TRUE(driver::FileExists(folder + "\\" + file)) << file;
    driver::Program program;
    ASSERT_TRUE(driver::Start(folder, "", &program));
    std::vector<driver::Box> boxes = driver::AnswerBoxesUntilQuiet(program.process.dwProcessId);
    program.window = driver::FindMainWindow(program.process.dwProcessId, 5000);
    ASSERT_NE(program.window, (HWND)NULL);
    // A new user's first start: the settings came with the program, the libraries loaded.
    EXPECT_EQ(driver::BoxTexts(boxes), std::vector<std::string>{});
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_EQ(driver::ReadBytes(folder + "\\parlomix_opt").size(), 4244u);
    EXPECT_EQ(driver::ReadBytes(folder + "\\parlomix_key").size(), sizeof(KeyData) * KEY_DATA_ROWS);
}

}  // namespace
