// The shell's window-free pieces: the bare name of a path, the layout arithmetic and the texts
// of the status line and the title.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "app/layout.h"
#include "app/status_text.h"
#include "common/file_spec.h"

static std::string NameOf(const char *path, const LeadByteTable *leads = Cp932LeadBytes()) {
    FileSpec file;
    memset(&file, 0xAA, sizeof file);  // garbage in the name must not survive
    memset(file.path, 0, sizeof file.path);
    strncpy(file.path, path, sizeof file.path - 1);
    SetFileSpecNameWith(&file, leads);
    return file.name;
}

// A single-byte code page such as 1252: no byte starts a double-byte character.
static const LeadByteTable *SingleByte() {
    static const LeadByteTable none = {};
    return &none;
}

// Each path's name in code page 932 and in a single-byte Western code page: the same bytes are
// different characters, so the split differs exactly where a byte is a lead byte of 932.
struct NameRow {
    const char *label;
    const char *path;
    const char *nameCp932;
    const char *nameWestern;
};

static const NameRow NAME_ROWS[] = {
    {"DOTS_KEPT", "D:\\rec\\a.b.mp3", "a.b.mp3", "a.b.mp3"},
    {"BARE_NAME", "memo.wav", "memo.wav", "memo.wav"},
    {"DRIVE_RELATIVE", "D:memo.wav", "memo.wav", "memo.wav"},
    {"FORWARD_SLASHES", "D:/rec/sub/x.wav", "x.wav", "x.wav"},
    {"UNC", "\\\\server\\share\\y.mp3", "y.mp3", "y.mp3"},
    {"FOLDER_ONLY", "D:\\rec\\", "", ""},
    {"EMPTY", "", "", ""},
    // 表 is 0x95 0x5C in code page 932: its second byte is the code of the backslash.
    {"CP932_TRAIL_BACKSLASH", "D:\\rec\\\x95\x5c.wav", "\x95\x5c.wav", ".wav"},
    {"CP932_TWO_FOLDERS", "D:\\\x95\x5c\\\x95\x5c\x95\x5c.wav", "\x95\x5c\x95\x5c.wav", ".wav"},
    // ソ (0x83 0x5C) at the end of a folder name.
    {"CP932_FOLDER_END", "C:\\\x83\x5c\\a.mp3", "a.mp3", "a.mp3"},
    // "dé" in code page 1252: é (0xE9) is a lead byte of 932, and once swallowed the backslash.
    {"WESTERN_ACCENT_BEFORE_SEPARATOR", "D:\\rec\\d\xe9\\memo.wav", "d\xe9\\memo.wav", "memo.wav"},
    {"WESTERN_ACCENTED_DRIVE_FOLDER", "C:\\\xe9\\x.mp3", "\xe9\\x.mp3", "x.mp3"},
};

TEST(SetFileSpecName, SplitsAtTheLastSeparatorOfTheCodePage) {
    for (const NameRow &row : NAME_ROWS) {
        EXPECT_EQ(NameOf(row.path), row.nameCp932) << row.label;
        EXPECT_EQ(NameOf(row.path, SingleByte()), row.nameWestern) << row.label;
    }
}

TEST(SetFileSpecName, UnterminatedPathStaysWithinItsField) {
    FileSpec file;
    memset(file.path, 'x', sizeof file.path);  // 260 bytes, no terminator
    memset(file.name, 0x55, sizeof file.name);
    SetFileSpecNameWith(&file, Cp932LeadBytes());
    EXPECT_EQ(strlen(file.name), 259u);
    EXPECT_EQ(file.name[259], '\0');
}

TEST(ComputeLayout, FollowsTheFontMetrics) {
    const LayoutRect expected[LAYOUT_COUNT] = {
        {0, 0, 252, 16},  {0, 16, 252, 48},  {0, 88, 98, 104}, {98, 88, 252, 104},
        {0, 64, 28, 88},  {28, 64, 42, 88},  {42, 64, 63, 88}, {63, 64, 77, 88},
        {77, 64, 98, 88}, {98, 64, 112, 88}, {0, 16, 252, 16},
    };
    // The band takes OUTLINE_BAND_LINES lines under the status line and pushes the rest down.
    const int32_t band = OUTLINE_BAND_LINES * 16;
    for (bool outline : {false, true}) {
        Layout layout;
        ComputeLayout(252, 16, 7, outline, &layout);
        for (int i = 0; i < LAYOUT_COUNT; ++i) {
            SCOPED_TRACE(testing::Message() << "outline " << outline << ", rectangle " << i);
            int32_t down = outline && i != LAYOUT_STATUS && i != LAYOUT_OUTLINE ? band : 0;
            int32_t grown = outline && i == LAYOUT_OUTLINE ? band : 0;
            EXPECT_EQ(layout.rects[i].left, expected[i].left);
            EXPECT_EQ(layout.rects[i].top, expected[i].top + down);
            EXPECT_EQ(layout.rects[i].right, expected[i].right);
            EXPECT_EQ(layout.rects[i].bottom, expected[i].bottom + down + grown);
        }
    }
}

TEST(ComputeLayout, OddHeightTruncatesTheCheckBoxRow) {
    Layout layout;
    ComputeLayout(300, 13, 6, false, &layout);
    EXPECT_EQ(layout.rects[LAYOUT_ALWAYS_TOP].top, 71);  // 3*13 + 32.5
    EXPECT_EQ(layout.rects[LAYOUT_ALWAYS_TOP].bottom, 84);
    EXPECT_EQ(layout.rects[LAYOUT_PITCH_BOX].bottom, 71);
}

static std::string Status(int32_t state, int32_t position, int32_t length) {
    char text[STATUS_TEXT_SIZE];
    int n = FormatStatusText(text, sizeof text, state, position, length);
    EXPECT_EQ((size_t)n, strlen(text));
    return text;
}

TEST(StatusText, StateWordsAndTimes) {
    EXPECT_EQ(Status(0, 0, 0), "STOP      00:00:00 / 00:00:00");
    EXPECT_EQ(Status(1, 61, 3725), "PLAYING   00:01:01 / 01:02:05");
    EXPECT_EQ(Status(2, 59, 60), "PAUSE     00:00:59 / 00:01:00");
    EXPECT_EQ(Status(0, 0, 0).size(), 29u);
}

TEST(StatusText, LongTimesAreShownWhole) {
    EXPECT_EQ(Status(1, 360000, 360000), "PLAYING   100:00:00 / 100:00:00");
    // 1000 hours and more no longer fit the historical 32 bytes, and must not be cut.
    EXPECT_EQ(Status(2, 3600000, 7199999), "PAUSE     1000:00:00 / 1999:59:59");
    EXPECT_EQ(Status(1, 2147483647, 2147483647), "PLAYING   596523:14:07 / 596523:14:07");
}

TEST(StatusText, NeverWritesPastASmallBuffer) {
    char text[12];
    memset(text, 0x7F, sizeof text);
    // The length is what TextOutA draws: only what was written.
    EXPECT_EQ(FormatStatusText(text, 8, 1, 3725, 3725), 7);
    EXPECT_STREQ(text, "PLAYING");
    EXPECT_EQ(text[8], 0x7F);
}

TEST(TitleText, NameDashDisplayName) {
    const std::string longName(259, 'n');
    const struct {
        const char *name;
        std::string fileName;
        size_t size;
        std::string title;
    } rows[] = {
        {"PLAIN", "memo.wav", TITLE_TEXT_SIZE, "memo.wav - Parlomix"},
        {"LONGEST_NAME_WHOLE", longName, TITLE_TEXT_SIZE, longName + " - Parlomix"},
        {"NAME_PAST_ITS_FIELD_CUT", longName + "xyz", TITLE_TEXT_SIZE, longName + " - Parlomix"},
        {"SMALL_BUFFER_CUT", "memo.wav", 10, "memo.wav "},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        char title[TITLE_TEXT_SIZE];
        int length = FormatTitleText(title, row.size, row.fileName.c_str(), "Parlomix");
        EXPECT_EQ(std::string(title), row.title);
        EXPECT_EQ((size_t)length, row.title.size());
    }
}

TEST(InitialWindowRect, OnlyTheUntouchedDefaultFollowsTheDpiAndTheBandAddsItsHeight) {
    const struct {
        const char *name;
        LayoutRect stored;
        int32_t dpi;
        int32_t band;
        LayoutRect applied;
    } rows[] = {
        {"DEFAULT_AT_96_DPI", {0, 0, 260, 162}, 96, 0, {0, 0, 260, 162}},
        {"DEFAULT_AT_144_DPI", {0, 0, 260, 162}, 144, 0, {0, 0, 390, 243}},
        {"DEFAULT_AT_120_DPI_ROUNDED", {0, 0, 260, 162}, 120, 0, {0, 0, 325, 203}},
        {"DEFAULT_AT_192_DPI", {0, 0, 260, 162}, 192, 0, {0, 0, 520, 324}},
        {"DEFAULT_WITH_DPI_UNKNOWN", {0, 0, 260, 162}, 0, 0, {0, 0, 260, 162}},
        {"USERS_RECTANGLE", {10, 20, 300, 200}, 144, 0, {10, 20, 300, 200}},
        {"DEFAULT_SIZE_MOVED", {5, 0, 265, 162}, 144, 0, {5, 0, 265, 162}},
        // Saved after a first start at 144 DPI: it is the user's now and is not scaled again.
        {"SCALED_DEFAULT_SAVED", {0, 0, 390, 243}, 144, 0, {0, 0, 390, 243}},
        {"DEFAULT_WITH_BAND_AT_96_DPI", {0, 0, 260, 162}, 96, 48, {0, 0, 260, 210}},
        {"DEFAULT_WITH_BAND_AT_192_DPI", {0, 0, 260, 162}, 192, 96, {0, 0, 520, 420}},
        {"USERS_SHORT_RECTANGLE_GROWS_DOWN", {10, 20, 300, 200}, 144, 72, {10, 20, 300, 335}},
        {"USERS_TALL_RECTANGLE_KEPT", {10, 20, 300, 400}, 144, 72, {10, 20, 300, 400}},
        {"SAVED_WITH_BAND_KEPT", {0, 0, 260, 210}, 96, 48, {0, 0, 260, 210}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        OptionData options;
        SetDefaultOptionData(&options);
        options.windowLeft = row.stored.left;
        options.windowTop = row.stored.top;
        options.windowRight = row.stored.right;
        options.windowBottom = row.stored.bottom;
        LayoutRect applied = InitialWindowRect(&options, row.dpi, row.band);
        EXPECT_EQ(applied.left, row.applied.left);
        EXPECT_EQ(applied.top, row.applied.top);
        EXPECT_EQ(applied.right, row.applied.right);
        EXPECT_EQ(applied.bottom, row.applied.bottom);
    }
}

// The stamp shows the status line's own clock text of the same position.
TEST(TimestampText, BracketedClockAndASpace) {
    struct {
        int32_t position;
        const char *stamp;
    } const rows[] = {
        {0, "[00:00:00] "},    {2, "[00:00:02] "},       {754, "[00:12:34] "},
        {3725, "[01:02:05] "}, {360000, "[100:00:00] "}, {2147483647, "[596523:14:07] "},
    };
    for (const auto &row : rows) {
        char stamp[TIMESTAMP_TEXT_SIZE];
        memset(stamp, 0x7F, sizeof stamp);
        EXPECT_EQ(FormatTimestampText(stamp, sizeof stamp, row.position), (int)strlen(row.stamp));
        EXPECT_STREQ(stamp, row.stamp);
        std::string status = Status(1, row.position, 0);
        std::string clock = std::string(row.stamp).substr(1, strlen(row.stamp) - 3);
        EXPECT_EQ(status.substr(10, clock.size()), clock) << "the status line shows " << status;
    }
    char small[6];
    memset(small, 0x7F, sizeof small);
    FormatTimestampText(small, 5, 754);
    EXPECT_STREQ(small, "[00:");
    EXPECT_EQ(small[5], 0x7F);
}

// What parlomix_opt keeps of a file, from the code-page texts the system gave for its path and
// its short path (null: none, or the code page cannot hold it).
TEST(ChooseStoredForm, StoresThePathItselfElseTheShortPathElseNothing) {
    const std::string TOO_LONG = "C:\\" + std::string(FILE_SPEC_TEXT, 'a') + ".wav";
    const struct {
        const char *label;
        const char *named;
        const char *shortPath;
        StoredForm form;
        const char *path;
        const char *name;
    } rows[] = {
        {"CODE_PAGE_HOLDS_IT", "D:\\\x95\x5c\\memo.wav", "D:\\MEMO~1.WAV", STORED_AS_NAMED,
         "D:\\\x95\x5c\\memo.wav", "memo.wav"},
        {"ONLY_THE_SHORT_PATH", nullptr, "D:\\REC\\CAF_~UUK.MP3", STORED_SHORT,
         "D:\\REC\\CAF_~UUK.MP3", "CAF_~UUK.MP3"},
        {"NO_SHORT_NAMES_ON_THE_VOLUME", nullptr, nullptr, STORED_THIS_RUN, "", ""},
        {"NAMED_TOO_LONG_FOR_THE_FIELD", TOO_LONG.c_str(), "C:\\AAAA~1.WAV", STORED_SHORT,
         "C:\\AAAA~1.WAV", "AAAA~1.WAV"},
        {"BOTH_TOO_LONG", TOO_LONG.c_str(), TOO_LONG.c_str(), STORED_THIS_RUN, "", ""},
        {"EMPTY_TEXTS_ARE_NONE", "", "", STORED_THIS_RUN, "", ""},
    };
    for (const auto &row : rows) {
        FileSpec file;
        memset(&file, 0x55, sizeof file);  // what a record held before must not survive
        EXPECT_EQ(ChooseStoredForm(&file, row.named, row.shortPath, Cp932LeadBytes()), row.form)
            << row.label;
        EXPECT_STREQ(file.path, row.path) << row.label;
        EXPECT_STREQ(file.name, row.name) << row.label;
    }
}
