// The real Parlomix.exe in a folder whose name the code page cannot hold, opening files whose
// names it cannot hold either: from the command line and from a second start, heard from their
// first second, then reopened from the history after a restart, by their real name and at their
// stored second, without a box. Run in code page 932 and, as the *_western entry, in 1252.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

namespace {

const struct {
    const char *label;
    UINT codePage;
    const wchar_t *name;
} NAMES[] = {
    {"ACCENT_AND_DASH", 932, L"Caf\u00e9 \u2013 interview.wav"},
    {"EMOJI", 932, L"\U0001F600 memo.wav"},
    {"CHINESE_AND_KOREAN", 932, L"\u4e2d\u6587 \ud55c\uad6d\uc5b4.wav"},
    {"JAPANESE", 1252, L"\u4f1a\u8b70\u306e\u9332\u97f3.wav"},
    {"EMOJI", 1252, L"\u2615 \U0001F600.wav"},
};

// The title, waited for until it reads `expected`.
std::wstring Title(HWND window, const std::wstring &expected) {
    wchar_t text[512] = L"";
    driver::WaitUntil([&] {
        // As the window keeps it: WM_GETTEXT would answer in the program's code page.
        InternalGetWindowText(window, text, 512);
        return expected == text;
    });
    return text;
}

TEST(UnicodePaths, FilesAndTheProgramFolderOfAnyNameOpenAndAreRemembered) {
    UINT codePage = GetACP();
    std::string staging = driver::Install("unicode" + std::to_string(codePage));
    std::wstring folder =
        driver::Widen(staging) + (codePage == 932 ? L"\\Zo\u00eb \u2615" : L"\\\u4f1a\u8b70");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    driver::WriteDefaultSettings(staging);
    ASSERT_TRUE(driver::WriteToneFile(staging + "\\tone.wav", 6));
    for (const char *file :
         {"Parlomix.exe", "vbmp3.dll", "duvarore.dll", "parlomix_opt", "parlomix_key"}) {
        ASSERT_TRUE(CopyFileW(driver::Widen(staging + "\\" + file).c_str(),
                              (folder + L"\\" + driver::Widen(file)).c_str(), FALSE));
    }
    std::string read = driver::WorkFolder("unicode-read" + std::to_string(codePage));
    int opened = 0;
    for (const auto &row : NAMES) {
        for (bool secondStart : {true, false}) {
            if (row.codePage != codePage) continue;
            SCOPED_TRACE(std::string(row.label) +
                         (secondStart ? " second start" : " command line"));
            // A file of its own for each way in, so that none opens at a remembered second.
            std::wstring name = (secondStart ? L"2 " : L"") + std::wstring(row.name);
            std::wstring path = folder + L"\\" + name;
            ASSERT_TRUE(
                CopyFileW(driver::Widen(staging + "\\tone.wav").c_str(), path.c_str(), FALSE));
            std::wstring title = name + L" - Parlomix", quoted = L"\"" + path + L"\"";
            driver::Running running;
            driver::Program &program = running.program;
            EXPECT_TRUE(
                driver::StartAndSettle(folder, secondStart ? L"" : quoted, &program).empty());
            ASSERT_NE((HWND)NULL, program.window);
            if (secondStart) {
                driver::Running starter;
                ASSERT_TRUE(driver::Start(folder, quoted, &starter.program));
                EXPECT_EQ(0, driver::WaitForExit(&starter.program));
                // Settled as a start with a file is, before anything is pressed.
                EXPECT_TRUE(driver::AnswerBoxesUntilQuiet(program.process.dwProcessId).empty());
            }
            ASSERT_EQ(title, Title(program.window, title));
            EXPECT_EQ(6, driver::SeekBarLength(program.window));
            EXPECT_EQ(0, driver::Thumb(program.window));
            driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
            ASSERT_GE(driver::WaitForThumb(program.window, 2), 2);
            EXPECT_TRUE(driver::Close(&program).empty());
            ++opened;
            std::vector<driver::SecondRun> runs = driver::CapturedSeconds();
            SCOPED_TRACE(driver::Describe(runs));
            size_t first = 0;  // an open may let a blip of the start out
            while (first < runs.size() && runs[first].windows < 5) ++first;
            ASSERT_GE(runs.size(), first + 2);
            EXPECT_EQ(0, runs[first].second);
            EXPECT_EQ(1, runs[first + 1].second);

            // Stored by a path that every version opens, shown and reopened by its real name.
            ASSERT_TRUE(CopyFileW((folder + L"\\parlomix_opt").c_str(),
                                  driver::Widen(read + "\\parlomix_opt").c_str(), FALSE));
            HistoryEntry stored = driver::ReadOptions(read).history[0];
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(stored.path)) << stored.path;
            EXPECT_GE(stored.position, 2);
            EXPECT_TRUE(driver::StartAndSettle(folder, L"", &program).empty());
            driver::Send(program.window, WM_COMMAND, IDM_HISTORY_FIRST);
            EXPECT_EQ(title, Title(program.window, title));
            EXPECT_EQ(stored.position, driver::Thumb(program.window));
            EXPECT_TRUE(driver::Close(&program).empty());
        }
    }
    EXPECT_GE(opened, 4) << "too few names for code page " << codePage;
}

}  // namespace
