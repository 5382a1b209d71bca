// The options record's defaults and repair, and the settings paths.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "settings/option_data.h"
#include "settings/settings_path.h"

static int32_t At(const OptionData &o, size_t offset) {
    int32_t v;
    memcpy(&v, (const char *)&o + offset, sizeof v);
    return v;
}

TEST(OptionData, DefaultsAtTheirOffsets) {
    OptionData o;
    memset(&o, 0xCD, sizeof o);
    SetDefaultOptionData(&o);
    const int32_t expected[] = {0, 0, 100, 1, 1, 4, 4, 0, 0, 260, 162, 0};
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(At(o, 4 * i), expected[i]) << "offset " << 4 * i;
    EXPECT_EQ(At(o, 4240), 1);
    const unsigned char *history = (const unsigned char *)&o + 48;
    for (size_t i = 0; i < 4192; ++i) ASSERT_EQ(history[i], 0) << "history byte " << i;
}

TEST(OptionData, RepairLeavesARecordTheProgramWroteUnchanged) {
    OptionData o;
    SetDefaultOptionData(&o);
    o.historyCount = 2;
    strcpy(o.history[0].path, "C:\\a.wav");
    strcpy(o.history[0].name, "a.wav");
    o.history[0].position = 42;
    o.history[5].path[0] = 'q';  // stale slot beyond the count
    OptionData before = o;
    RepairOptionData(&o);
    EXPECT_EQ(memcmp(&o, &before, sizeof o), 0);
}

TEST(OptionData, RepairClampsDamagedValues) {
    OptionData o;
    SetDefaultOptionData(&o);
    o.historyCount = 1000;
    o.pitch = 7;
    o.revSeconds = -3;
    o.rewSeconds = 12;
    o.ffSeconds = 2147483647;
    o.pitchStep = 2147483647;  // added to the pitch, this once overflowed into a negative pitch
    memset(o.history[7].path, 'p', sizeof o.history[7].path);
    RepairOptionData(&o);
    EXPECT_EQ(o.historyCount, 8);
    EXPECT_EQ(o.pitch, 50);
    EXPECT_EQ(o.revSeconds, 0);
    EXPECT_EQ(o.rewSeconds, STEP_SECONDS_MAX);
    EXPECT_EQ(o.ffSeconds, STEP_SECONDS_MAX);
    EXPECT_EQ(o.pitchStep, 250);
    EXPECT_EQ(strnlen(o.history[7].path, 260), 259u);
    o.historyCount = -5;
    o.pitch = 301;
    o.pitchStep = -2147483647 - 1;
    RepairOptionData(&o);
    EXPECT_EQ(o.historyCount, 0);
    EXPECT_EQ(o.pitch, 300);
    EXPECT_EQ(o.pitchStep, 1);
    const struct { int32_t stored, repaired; } steps[] = {{0, 1}, {1, 1}, {250, 250}, {251, 250}};
    for (const auto &step : steps) {
        o.pitchStep = step.stored;
        RepairOptionData(&o);
        EXPECT_EQ(o.pitchStep, step.repaired) << step.stored;
    }
}

static std::string DirectoryOf(const char *module, const LeadByteTable *leads = Cp932LeadBytes()) {
    char directory[PROGRAM_DIRECTORY_SIZE];
    memset(directory, 'z', sizeof directory);
    bool ok = ProgramDirectoryFromModulePath(module, leads, directory);
    return ok ? std::string(directory) : "<refused:" + std::string(directory) + ">";
}

// A single-byte code page such as 1252: no byte starts a double-byte character.
static const LeadByteTable *SingleByte() {
    static const LeadByteTable none = {};
    return &none;
}

// The program directory of each module path in code page 932 and in a Western code page.
struct DirectoryRow {
    const char *label;
    const char *module;
    const char *inCp932;
    const char *inWestern;
};

static const DirectoryRow DIRECTORY_ROWS[] = {
    {"FOLDER", "C:\\Tools\\prog.exe", "C:\\Tools\\", "C:\\Tools\\"},
    {"ROOT", "C:\\prog.exe", "C:\\", "C:\\"},
    {"DRIVE_RELATIVE", "C:prog.exe", "C:\\", "C:\\"},
    // 表 (0x95 0x5C) ends the folder name in code page 932.
    {"CP932_TRAIL_BACKSLASH", "C:\\\x95\x5c\\prog.exe", "C:\\\x95\x5c\\", "C:\\\x95\x5c\\"},
    {"CP932_TRAIL_IS_LAST", "C:\\d\\\x95\x5cprog.exe", "C:\\d\\", "C:\\d\\\x95\\"},
    // "Café" in code page 1252: é (0xE9) is a lead byte of 932 and once swallowed the separator,
    // which put the settings one folder up.
    {"WESTERN_ACCENT_BEFORE_SEPARATOR", "C:\\Caf\xe9\\Parlomix.exe", "C:\\", "C:\\Caf\xe9\\"},
    {"NO_FOLDER", "prog.exe", "<refused:>", "<refused:>"},
};

TEST(SettingsPath, ProgramDirectoryEndsInABackslash) {
    for (const DirectoryRow &row : DIRECTORY_ROWS) {
        EXPECT_EQ(DirectoryOf(row.module), row.inCp932) << row.label;
        EXPECT_EQ(DirectoryOf(row.module, SingleByte()), row.inWestern) << row.label;
    }
}

TEST(SettingsPath, TooLongDirectoryIsRefused) {
    std::string module = "C:\\" + std::string(256, 'd') + "\\p.exe";  // directory of 260 chars
    EXPECT_EQ(DirectoryOf(module.c_str()), "<refused:>");
    module = "C:\\" + std::string(255, 'd') + "\\p.exe";  // 259 chars + terminator fit
    EXPECT_EQ(DirectoryOf(module.c_str()).size(), 259u);
}

TEST(SettingsPath, ComposedPathHasTheDoubledBackslashAndMustFit) {
    char path[SETTINGS_PATH_SIZE];
    ASSERT_TRUE(ComposeSettingsPath("C:\\Tools\\", "parlomix_opt", path, sizeof path));
    EXPECT_STREQ(path, "C:\\Tools\\\\parlomix_opt");
    std::string directory = "C:\\" + std::string(246, 'd') + "\\";  // 250 chars
    EXPECT_TRUE(ComposeSettingsPath(directory.c_str(), "parlomix_opt", path, sizeof path));  // 263
    directory = "C:\\" + std::string(247, 'd') + "\\";
    EXPECT_FALSE(ComposeSettingsPath(directory.c_str(), "parlomix_opt", path, sizeof path));
    EXPECT_STREQ(path, "");
    EXPECT_FALSE(ComposeSettingsPath("", "parlomix_opt", path, sizeof path));
}
