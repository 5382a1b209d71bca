// help.chm as the build leaves it beside Parlomix.exe, read without any help viewer: the ITSF
// and ITSP headers, the directory of the compiled file, the #SYSTEM record that names its
// default topic, title and language; and the Shift_JIS pages it is compiled from: their
// encoding, their links and anchors, and the default bindings they teach.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "input/pedal.h"
#include "input/tables.h"

namespace {

std::string Env(const char *name) {
    const char *v = getenv(name);
    return v ? v : "";
}

// A unix path from the environment as the test process sees it (drive Z: under Wine).
std::string LocalPath(const std::string &unixPath) {
#ifdef _WIN32
    std::string out = "Z:";
    for (char c : unixPath) out += c == '/' ? '\\' : c;
    return out;
#else
    return unixPath;
#endif
}

std::vector<uint8_t> ReadAll(const std::string &path) {
    std::vector<uint8_t> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[8192];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

std::string ReadText(const std::string &path) {
    std::vector<uint8_t> bytes = ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

uint32_t Le32(const std::vector<uint8_t> &b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

uint64_t Le64(const std::vector<uint8_t> &b, size_t at) {
    return Le32(b, at) | (uint64_t)Le32(b, at + 4) << 32;
}

// ---- the compiled file ---------------------------------------------------------------------

struct ChmEntry {
    uint64_t section = 0;
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct Chm {
    std::vector<uint8_t> bytes;
    uint64_t contentOffset = 0;  // where section 0 begins
    std::map<std::string, ChmEntry> entries;
};

// A variable-length integer of the directory: 7 bits a byte, most significant first.
bool EncInt(const std::vector<uint8_t> &b, size_t *at, size_t end, uint64_t *value) {
    *value = 0;
    for (int i = 0; i < 9 && *at < end; ++i) {
        uint8_t byte = b[(*at)++];
        *value = *value << 7 | (byte & 0x7F);
        if (!(byte & 0x80)) return true;
    }
    return false;
}

// Reads the headers and every listing chunk; returns an empty string or what is wrong.
std::string OpenChm(const std::string &path, Chm *chm) {
    chm->bytes = ReadAll(path);
    const std::vector<uint8_t> &b = chm->bytes;
    if (b.size() < 0x60) return "file missing or too short";
    if (memcmp(b.data(), "ITSF", 4) != 0) return "no ITSF signature";
    if (Le32(b, 4) != 3) return "ITSF version " + std::to_string(Le32(b, 4));
    if (Le32(b, 8) != 0x60) return "ITSF header length";
    uint64_t directoryOffset = Le64(b, 0x48);
    uint64_t directoryLength = Le64(b, 0x50);
    chm->contentOffset = Le64(b, 0x58);
    if (directoryOffset + directoryLength > b.size()) return "directory past the end";
    size_t itsp = (size_t)directoryOffset;
    if (memcmp(&b[itsp], "ITSP", 4) != 0) return "no ITSP signature";
    uint32_t headerLength = Le32(b, itsp + 8);
    uint32_t chunkSize = Le32(b, itsp + 0x10);
    uint32_t chunks = Le32(b, itsp + 0x2C);
    if (headerLength != 0x54 || chunkSize < 32) return "ITSP header";
    if (itsp + headerLength + (uint64_t)chunks * chunkSize > b.size()) return "chunks past the end";
    if (chm->contentOffset > b.size()) return "content past the end";
    for (uint32_t c = 0; c < chunks; ++c) {
        size_t chunk = itsp + headerLength + (size_t)c * chunkSize;
        if (memcmp(&b[chunk], "PMGL", 4) != 0) continue;  // index chunks (PMGI) list nothing new
        uint32_t freeSpace = Le32(b, chunk + 4);
        if (freeSpace > chunkSize - 20) return "PMGL free space";
        size_t at = chunk + 20, end = chunk + chunkSize - freeSpace;
        while (at < end) {
            uint64_t nameLength;
            if (!EncInt(b, &at, end, &nameLength) || at + nameLength > end) return "entry name";
            std::string name((const char *)&b[at], (size_t)nameLength);
            at += (size_t)nameLength;
            ChmEntry e;
            if (!EncInt(b, &at, end, &e.section) || !EncInt(b, &at, end, &e.offset) ||
                !EncInt(b, &at, end, &e.length))
                return "entry " + name;
            chm->entries[name] = e;
        }
    }
    return "";
}

// The records of #SYSTEM (stored uncompressed in section 0): code -> data.
std::map<int, std::string> SystemRecords(const Chm &chm) {
    std::map<int, std::string> records;
    auto found = chm.entries.find("/#SYSTEM");
    if (found == chm.entries.end() || found->second.section != 0) return records;
    size_t at = (size_t)(chm.contentOffset + found->second.offset);
    size_t end = at + (size_t)found->second.length;
    if (end > chm.bytes.size()) return records;
    at += 4;  // version
    while (at + 4 <= end) {
        int code = chm.bytes[at] | chm.bytes[at + 1] << 8;
        size_t length = chm.bytes[at + 2] | chm.bytes[at + 3] << 8;
        at += 4;
        if (at + length > end) break;
        records[code] = std::string((const char *)&chm.bytes[at], length);
        at += length;
    }
    return records;
}

std::string CString(const std::string &data) { return data.substr(0, data.find('\0')); }

std::string HelpFile() { return LocalPath(Env("PARLOMIX_DIST") + "/help.chm"); }
std::string PageFolder() { return LocalPath(Env("PARLOMIX_SOURCE") + "/help/chm"); }

const char *const kPages[] = {"index.htm",   "start.htm",    "keys.htm",    "pedals.htm",
                              "history.htm", "settings.htm", "trouble.htm", "place.htm",
                              "sound.htm"};

TEST(HelpFile, IsAnItsfFileListingEveryPage) {
    Chm chm;
    ASSERT_EQ(OpenChm(HelpFile(), &chm), "");
    for (const char *page : kPages) {
        std::string name = std::string("/") + page;
        ASSERT_EQ(chm.entries.count(name), 1u) << name;
        // Each page is stored whole: its length in the file is the source's length.
        EXPECT_EQ(chm.entries[name].length, ReadAll(PageFolder() + "/" + page).size()) << name;
        EXPECT_EQ(chm.entries[name].section, 1u) << name << " is compressed";
    }
    for (const char *name :
         {"/style.css", "/toc.hhc", "/index.hhk", "/#SYSTEM", "/#TOPICS", "/#URLSTR", "/$FIftiMain",
          "/$WWKeywordLinks/BTree", "::DataSpace/Storage/MSCompressed/Content"}) {
        EXPECT_EQ(chm.entries.count(name), 1u) << name;
    }
}

TEST(HelpFile, OpensJapaneseAtItsStartPage) {
    Chm chm;
    ASSERT_EQ(OpenChm(HelpFile(), &chm), "");
    std::map<int, std::string> system = SystemRecords(chm);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(CString(system[0]), "toc.hhc");
    EXPECT_EQ(CString(system[1]), "index.hhk");
    EXPECT_EQ(CString(system[2]), "index.htm");  // the topic HH_DISPLAY_TOPIC shows
    EXPECT_EQ(CString(system[3]), "Parlomix \x83\x77\x83\x8B\x83\x76");  // "Parlomix ヘルプ"
    ASSERT_GE(system[4].size(), 4u);
    EXPECT_EQ(Le32(std::vector<uint8_t>(system[4].begin(), system[4].end()), 0), 0x411u);
}

TEST(HelpFile, RejectsWhatIsNotAHelpFile) {
    // The reader itself must tell a help file from something else.
    std::string page = PageFolder() + "/index.htm";
    Chm chm;
    EXPECT_EQ(OpenChm(page, &chm), "no ITSF signature");
    EXPECT_NE(OpenChm(PageFolder() + "/no-such-file.chm", &chm), "");
}

// ---- the pages it is compiled from --------------------------------------------------------

// Shift_JIS (code page 932): single bytes below 0x80 and 0xA1..0xDF, or a lead byte with a trail.
bool IsShiftJis(const std::string &text, size_t *badAt) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t c = (uint8_t)text[i];
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        uint8_t t = i + 1 < text.size() ? (uint8_t)text[i + 1] : 0;
        bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
        if (!lead || !trail) {
            *badAt = i;
            return false;
        }
        ++i;
    }
    return true;
}

// Values of `attribute="..."` in the text, in order.
std::vector<std::string> Attributes(const std::string &text, const std::string &attribute) {
    std::vector<std::string> values;
    std::string key = attribute + "=\"";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        size_t start = at + key.size();
        values.push_back(text.substr(start, text.find('"', start) - start));
    }
    return values;
}

std::vector<std::string> ProjectFiles() {
    std::string project = ReadText(PageFolder() + "/parlomix.hhp");
    std::vector<std::string> files;
    size_t at = project.find("[FILES]");
    if (at == std::string::npos) return files;
    at = project.find('\n', at);
    while (at != std::string::npos && at + 1 < project.size()) {
        size_t end = project.find('\n', at + 1);
        std::string line = project.substr(at + 1, end == std::string::npos ? end : end - at - 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line[0] == '[') break;
        files.push_back(line);
        at = end;
    }
    return files;
}

TEST(HelpPages, AreShiftJisAndEveryLinkAndAnchorResolves) {
    std::vector<std::string> files = ProjectFiles();
    std::set<std::string> listed(files.begin(), files.end());
    for (const char *page : kPages) EXPECT_EQ(listed.count(page), 1u) << page << " not in [FILES]";

    std::map<std::string, std::string> texts;
    for (const std::string &file : files) {
        texts[file] = ReadText(PageFolder() + "/" + file);
        ASSERT_FALSE(texts[file].empty()) << file;
    }
    texts["toc.hhc"] = ReadText(PageFolder() + "/toc.hhc");
    texts["index.hhk"] = ReadText(PageFolder() + "/index.hhk");

    std::set<std::string> inToc;
    for (const auto &entry : texts) {
        const std::string &name = entry.first;
        const std::string &text = entry.second;
        size_t bad = 0;
        EXPECT_TRUE(IsShiftJis(text, &bad)) << name << " at byte " << bad;
        EXPECT_NE(text.compare(0, 3, "\xEF\xBB\xBF"), 0) << name << " starts with a UTF-8 mark";
        bool html = name.size() > 4 && name.compare(name.size() - 4, 4, ".css") != 0;
        if (html) {
            EXPECT_NE(text.find("charset=Shift_JIS"), std::string::npos) << name;
        }
        std::vector<std::string> links = Attributes(text, "href");
        bool sitemap = name == "toc.hhc" || name == "index.hhk";
        if (sitemap) {
            for (size_t at = text.find("name=\"Local\" value=\""); at != std::string::npos;
                 at = text.find("name=\"Local\" value=\"", at + 1)) {
                size_t start = at + strlen("name=\"Local\" value=\"");
                links.push_back(text.substr(start, text.find('"', start) - start));
            }
        }
        for (const std::string &link : links) {
            std::string file = link.substr(0, link.find('#'));
            if (name == "toc.hhc") inToc.insert(file);
            if (file.empty()) file = name;
            ASSERT_EQ(listed.count(file), 1u) << name << " links to " << link;
            if (link.find('#') != std::string::npos) {
                std::string anchor = link.substr(link.find('#') + 1);
                EXPECT_NE(texts[file].find("<a name=\"" + anchor + "\">"), std::string::npos)
                    << name << " links to the missing anchor " << link;
            }
        }
    }
    for (const char *page : kPages)
        EXPECT_EQ(inToc.count(page), 1u) << page << " not in the contents";
}

TEST(HelpPages, TeachTheDefaultBindingsOfTheProgram) {
    // The getting-started table must say what SetDefaultKeyData really binds, row by row.
    std::string start = ReadText(PageFolder() + "/start.htm");
    ASSERT_FALSE(start.empty());
    KeyData table[KEY_DATA_ROWS];
    SetDefaultKeyData(table);
    for (const KeyData &row : table) {
        std::string keys;
        if (row.shift) keys += "<kbd>Shift</kbd>+";
        if (row.ctrl) keys += "<kbd>Ctrl</kbd>+";
        if (row.alt) keys += "<kbd>Alt</kbd>+";
        if (row.win) keys += "<kbd>Win</kbd>+";
        keys += std::string("<kbd>") + KeyName(row.vkey) + "</kbd>";
        std::string cells = std::string("<tr><td>") + OperationName(row.operation) + "</td><td>" +
                            keys + "</td><td>" + JoyButtonName(row.joyButton) + "</td>";
        EXPECT_NE(start.find(cells), std::string::npos) << cells;
    }
    // The words of the main window that the pages explain.
    for (const char *word : {"Play mode", "REV", "REW_FF", "PITCH", "Always top"})
        EXPECT_NE(start.find(word), std::string::npos) << word;
    std::string settings = ReadText(PageFolder() + "/settings.htm");
    for (const char *word : {"parlomix_opt", "parlomix_key", "Parlomix.exe"})
        EXPECT_NE(settings.find(word), std::string::npos) << word;
    // The menu path to the binding dialogs, as the menu spells it (without the & marks).
    std::string keys = ReadText(PageFolder() + "/keys.htm");
    EXPECT_NE(keys.find("設定(S) → 操作設定(S)..."), std::string::npos);
    // Each pedal's button and its default operation, as the pedal decoder and the defaults make
    // them; F13 is in the key list that the keyboard-style pedals are told to use.
    std::string pedals = ReadText(PageFolder() + "/pedals.htm");
    const struct {
        const char *pedal;
        PedalFamily family;
        uint32_t usage;
    } kPedals[] = {{"左", PEDAL_VEC, 1},
                   {"中央", PEDAL_VEC, 2},
                   {"右", PEDAL_VEC, 3},
                   {"4 つ目（上）", PEDAL_PHILIPS, 4}};
    for (const auto &p : kPedals) {
        int16_t button = int16_t(PedalButtonOfUsage(p.family, p.usage));
        const KeyData *row = std::find_if(table, table + KEY_DATA_ROWS,
                                          [&](const KeyData &r) { return r.joyButton == button; });
        ASSERT_NE(row, table + KEY_DATA_ROWS) << p.pedal;
        std::string cells = std::string("<tr><td>") + p.pedal + "</td><td>" +
                            JoyButtonName(button) + "</td><td>" + OperationName(row->operation) +
                            "</td></tr>";
        EXPECT_NE(pedals.find(cells), std::string::npos) << cells;
    }
    EXPECT_STREQ(KeyName(0x7C), "F13");
    EXPECT_NE(pedals.find("<kbd>F13</kbd>"), std::string::npos);
}

}  // namespace
