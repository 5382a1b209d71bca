// Reading and writing the settings files: byte images, short and long files, the error boxes
// and the crash-safe replacement of the old file.
#include <gtest/gtest.h>

#include <string.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "input/tables.h"
#include "settings/settings_file.h"
#include "tests/driver/driver.h"

// Answers the message boxes that this process shows, recording "title|text" of each.
class BoxAnswerer {
  public:
    BoxAnswerer() : thread_([this] { Run(); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Seen() {
        // Give a box that is just being shown the time to be answered.
        driver::Sleep(300);
        return seen_;
    }

  private:
    void Run() {
        while (!stop_) {
            driver::Box box;
            if (driver::WaitForBox(GetCurrentProcessId(), &box, 100)) {
                seen_.push_back(box.title + "|" + box.text);
                driver::AnswerBox(box);
            }
        }
    }
    std::atomic<bool> stop_{false};
    std::vector<std::string> seen_;
    std::thread thread_;
};

// Paths are split in the code page the ANSI functions speak; the tests run in 932.
TEST(CodePage, ActiveLeadBytesAreThoseOfTheSystemCodePage) {
    ASSERT_EQ(GetACP(), 932u);
    EXPECT_EQ(memcmp(ActiveLeadBytes(), Cp932LeadBytes(), sizeof(LeadByteTable)), 0);
}

static std::string Folder(const char *name) { return driver::WorkFolder(name) + "\\"; }

// The folder as the settings calls take it; valid until the next call.
static const wchar_t *W(const std::string &folder) {
    static std::wstring wide;
    return (wide = driver::Widen(folder)).c_str();
}

TEST(SettingsFile, OptionsSurviveWriteAndReadByteForByte) {
    std::string dir = Folder("roundtrip");
    OptionData written;
    for (size_t i = 0; i < sizeof written; ++i)
        ((unsigned char *)&written)[i] = (unsigned char)(i * 7 + 3);
    ASSERT_EQ(WriteSettingsFile(NULL, &written, sizeof written, 1, W(dir), OPTION_FILE_NAME), 1);
    std::vector<unsigned char> bytes = driver::ReadBytes(dir + OPTION_FILE_NAME);
    ASSERT_EQ(bytes.size(), 4244u);
    EXPECT_EQ(memcmp(bytes.data(), &written, sizeof written), 0);
    OptionData read;
    memset(&read, 0, sizeof read);
    ASSERT_EQ(ReadSettingsFile(NULL, &read, sizeof read, 1, W(dir), OPTION_FILE_NAME), 1);
    EXPECT_EQ(memcmp(&read, &written, sizeof read), 0);
    EXPECT_FALSE(driver::FileExists(dir + OPTION_FILE_NAME ".new"));
}

TEST(SettingsFile, KeyTableKeepsItsReservedBytes) {
    std::string dir = Folder("keys");
    KeyData rows[KEY_DATA_ROWS];
    SetDefaultKeyData(rows);
    rows[2].reserved[0] = 0x5A;
    rows[5].reserved[1] = 0xA5;
    ASSERT_EQ(WriteSettingsFile(NULL, rows, sizeof rows[0], KEY_DATA_ROWS, W(dir), KEY_FILE_NAME),
              1);
    KeyData read[KEY_DATA_ROWS];
    ASSERT_EQ(ReadSettingsFile(NULL, read, sizeof read[0], KEY_DATA_ROWS, W(dir), KEY_FILE_NAME),
              1);
    EXPECT_EQ(memcmp(read, rows, sizeof rows), 0);
    EXPECT_EQ(driver::ReadBytes(dir + KEY_FILE_NAME).size(), sizeof rows);
}

// The key file needs the six rows that every version wrote; later rows are read when present.
TEST(SettingsFile, KeyFileOfSixOrMoreRows) {
    std::string dir = Folder("keyrows");
    struct {
        const char *name;
        size_t bytes;
        int rows;
        std::vector<std::string> boxes;
    } const cases[] = {
        {"six rows of an earlier version", 120, KEY_DATA_BASE_ROWS, {}},
        {"seven rows of an earlier version", 140, KEY_DATA_STAMP_ROWS, {}},
        {"six rows and part of a seventh", 130, KEY_DATA_BASE_ROWS, {}},
        {"ten rows", 200, 10, {}},
        {"longer than every row", sizeof(KeyData) * KEY_DATA_ROWS + 20, KEY_DATA_ROWS, {}},
        {"five rows", 100, 0, {"error|fread"}},
        {"empty", 0, 0, {"error|fread"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes(c.bytes);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (unsigned char)(i + 1);
        ASSERT_TRUE(driver::WriteBytes(dir + KEY_FILE_NAME, bytes.data(), bytes.size()));
        KeyData rows[KEY_DATA_ROWS];
        memset(rows, 0, sizeof rows);
        BoxAnswerer boxes;
        EXPECT_EQ(ReadSettingsItems(NULL, rows, sizeof rows[0], KEY_DATA_ROWS, KEY_DATA_BASE_ROWS,
                                    W(dir), KEY_FILE_NAME),
                  c.rows);
        EXPECT_EQ(boxes.Seen(), c.boxes);
        size_t whole = sizeof(KeyData) * (size_t)c.rows;
        EXPECT_TRUE(whole == 0 || memcmp(rows, bytes.data(), whole) == 0) << "the whole rows read";
    }
}

TEST(SettingsFile, MissingShortAndLongFiles) {
    std::string dir = Folder("sizes");
    BoxAnswerer boxes;
    OptionData o;
    EXPECT_EQ(ReadSettingsFile(NULL, &o, sizeof o, 1, W(dir), OPTION_FILE_NAME), 0);

    std::vector<unsigned char> shortFile(4243, 0x11);
    ASSERT_TRUE(driver::WriteBytes(dir + OPTION_FILE_NAME, shortFile.data(), shortFile.size()));
    EXPECT_EQ(ReadSettingsFile(NULL, &o, sizeof o, 1, W(dir), OPTION_FILE_NAME), 0);

    std::vector<unsigned char> longFile(5000, 0x22);
    ASSERT_TRUE(driver::WriteBytes(dir + OPTION_FILE_NAME, longFile.data(), longFile.size()));
    EXPECT_EQ(ReadSettingsFile(NULL, &o, sizeof o, 1, W(dir), OPTION_FILE_NAME), 1);
    EXPECT_EQ(((unsigned char *)&o)[4243], 0x22);

    std::vector<unsigned char> keys(100, 0);
    ASSERT_TRUE(driver::WriteBytes(dir + KEY_FILE_NAME, keys.data(), keys.size()));
    KeyData rows[KEY_DATA_ROWS];
    EXPECT_EQ(ReadSettingsFile(NULL, rows, sizeof rows[0], KEY_DATA_ROWS, W(dir), KEY_FILE_NAME),
              0);

    std::vector<std::string> expected = {"error|fopen", "error|fread", "error|fread"};
    EXPECT_EQ(boxes.Seen(), expected);
}

// Wine lets the C library make a file whose path is longer than MAX_PATH, which the ANSI calls
// cannot remove: a run before may have left one that would keep its folder in place.
static void RemoveLongPathFile(const std::string &path) {
    wchar_t wide[2 * MAX_PATH] = L"\\\\?\\";
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide + 4, 2 * MAX_PATH - 4))
        DeleteFileW(wide);
}

// Where the temporary file cannot be made, the file is written in place: a save never fails
// that writing the file itself would have managed.
TEST(SettingsFile, SavesInPlaceWhereNoTemporaryFileCanBeMade) {
    const struct {
        const char *label;
        std::string dir;
        bool folderInTheWay;
    } rows[] = {
        {"TEMPORARY_NAME_TAKEN", Folder("temporary-taken"), true},
        // The composed "<dir>\\\\parlomix_opt", its backslash doubled, is 259 characters, the
        // most a Windows path can have: the temporary file's longer name cannot be opened there.
        {"TEMPORARY_PATH_TOO_LONG", Folder("long"), false},
    };
    for (const auto &row : rows) {
        std::string dir = row.dir;
        if (!row.folderInTheWay) {
            dir += std::string(259 - 2 - strlen(OPTION_FILE_NAME) - dir.size(), 'd');
            RemoveLongPathFile(dir + "\\" OPTION_FILE_NAME ".new");
            RemoveLongPathFile(dir + "\\" OPTION_FILE_NAME);
            RemoveDirectoryA(dir.c_str());
            ASSERT_TRUE(CreateDirectoryA(dir.c_str(), NULL)) << row.label;
            dir += "\\";
            ASSERT_EQ(dir.size() + 1 + strlen(OPTION_FILE_NAME), 259u);
        }
        BoxAnswerer boxes;
        OptionData first;
        SetDefaultOptionData(&first);
        first.pitch = 123;
        ASSERT_EQ(WriteSettingsFile(NULL, &first, sizeof first, 1, W(dir), OPTION_FILE_NAME), 1)
            << row.label;
        if (row.folderInTheWay) {
            ASSERT_TRUE(CreateDirectoryA((dir + OPTION_FILE_NAME ".new").c_str(), NULL));
        }
        OptionData second = first;
        second.pitch = 250;
        EXPECT_EQ(WriteSettingsFile(NULL, &second, sizeof second, 1, W(dir), OPTION_FILE_NAME), 1)
            << row.label;
        EXPECT_EQ(boxes.Seen(), std::vector<std::string>{}) << row.label;
        std::vector<unsigned char> bytes = driver::ReadBytes(dir + OPTION_FILE_NAME);
        ASSERT_EQ(bytes.size(), 4244u) << row.label;
        EXPECT_EQ(memcmp(bytes.data(), &second, sizeof second), 0) << row.label;
    }
}

TEST(SettingsFile, FailedWriteLeavesTheOldFileWhole) {
    std::string dir = Folder("locked");
    OptionData first;
    SetDefaultOptionData(&first);
    first.pitch = 123;
    ASSERT_EQ(WriteSettingsFile(NULL, &first, sizeof first, 1, W(dir), OPTION_FILE_NAME), 1);
    // Held open by another with no sharing: the file can be neither replaced nor rewritten.
    HANDLE held = CreateFileA((dir + OPTION_FILE_NAME).c_str(), GENERIC_READ, 0, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    BoxAnswerer boxes;
    OptionData second = first;
    second.pitch = 250;
    EXPECT_EQ(WriteSettingsFile(NULL, &second, sizeof second, 1, W(dir), OPTION_FILE_NAME), 0);
    CloseHandle(held);
    EXPECT_EQ(boxes.Seen(), std::vector<std::string>{"error|fopen"});
    std::vector<unsigned char> bytes = driver::ReadBytes(dir + OPTION_FILE_NAME);
    ASSERT_EQ(bytes.size(), 4244u);
    EXPECT_EQ(memcmp(bytes.data(), &first, sizeof first), 0);
    EXPECT_FALSE(driver::FileExists(dir + OPTION_FILE_NAME ".new"));
}

TEST(SettingsFile, ADirectoryTooLongForThePathIsUnreadableAndUnwritable) {
    std::string dir = "C:\\" + std::string(250, 'd') + "\\";
    BoxAnswerer boxes;
    OptionData o;
    EXPECT_EQ(ReadSettingsFile(NULL, &o, sizeof o, 1, W(dir), OPTION_FILE_NAME), 0);
    EXPECT_EQ(WriteSettingsFile(NULL, &o, sizeof o, 1, W(dir), OPTION_FILE_NAME), 0);
    EXPECT_EQ(boxes.Seen(), (std::vector<std::string>{"error|fopen", "error|fopen"}));
}
