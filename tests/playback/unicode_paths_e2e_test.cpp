// The real Parlomix.exe living in a folder whose name the code page cannot hold, opening files
// whose names it cannot hold either: from the command line and from a second start, heard from
// their first second, kept across a restart (stored by their short path, shown by their real
// name) and reopened from the history at their stored second, without a box. Run once in code
// page 932 and once in 1252 (the *_western entry).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Program;
using driver::Running;

namespace {

enum Entry { COMMAND_LINE, SECOND_START };

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

// The program's own folder, of a kind the code page cannot hold either.
const wchar_t *ProgramFolderName(UINT codePage) {
    return codePage == 932 ? L"Zo\u00eb \u2615" : L"\u4f1a\u8b70";
}

std::wstring Title(HWND window) {
    wchar_t text[512] = L"";
    SendMessageTimeoutW(window, WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, NULL);
    return text;
}

std::wstring WaitForTitle(HWND window, const std::wstring &title) {
    std::wstring seen;
    driver::WaitUntil([&] { return (seen = Title(window)) == title; });
    return seen;
}

// parlomix_opt of the Unicode folder, read through a copy in `staging`.
OptionData SavedOptions(const std::wstring &folder, const std::string &staging) {
    CopyFileW((folder + L"\\parlomix_opt").c_str(),
              driver::Widen(staging + "\\parlomix_opt").c_str(), FALSE);
    return driver::ReadOptions(staging);
}

TEST(UnicodePaths, FilesAndTheProgramFolderOfAnyNameOpenAndAreRemembered) {
    UINT codePage = GetACP();
    std::string staging = driver::Install("unicode" + std::to_string(codePage));
    std::wstring folder = driver::Widen(staging) + L"\\" + ProgramFolderName(codePage);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), NULL));
    driver::WriteDefaultSettings(staging);
    ASSERT_TRUE(driver::WriteToneFile(staging + "\\tone.wav", 6));
    for (const char *file :
         {"Parlomix.exe", "vbmp3.dll", "duvarore.dll", "parlomix_opt", "parlomix_key"}) {
        ASSERT_TRUE(CopyFileW(driver::Widen(staging + "\\" + file).c_str(),
                              (folder + L"\\" + driver::Widen(file)).c_str(), FALSE));
    }
    std::string read = driver::WorkFolder("unicode-read" + std::to_string(codePage));
    int rows = 0;
    for (const auto &row : NAMES) {
        if (row.codePage != codePage) continue;
        for (Entry entry : {COMMAND_LINE, SECOND_START}) {
            SCOPED_TRACE(std::string(row.label) +
                         (entry == COMMAND_LINE ? " command line" : " second start"));
            ++rows;
            std::wstring path = folder + L"\\" + row.name;
            ASSERT_TRUE(
                CopyFileW(driver::Widen(staging + "\\tone.wav").c_str(), path.c_str(), FALSE));
            std::wstring title = std::wstring(row.name) + L" - Parlomix";
            std::wstring quoted = L"\"" + path + L"\"";
            Running running;
            Program &program = running.program;
            EXPECT_TRUE(
                driver::StartAndSettle(folder, entry == COMMAND_LINE ? quoted : L"", &program)
                    .empty());
            ASSERT_NE((HWND)NULL, program.window);
            if (entry == SECOND_START) {
                Running starter;
                ASSERT_TRUE(driver::Start(folder, quoted, &starter.program));
                EXPECT_EQ(0, driver::WaitForExit(&starter.program));
            }
            ASSERT_EQ(title, WaitForTitle(program.window, title));
            driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
            ASSERT_GE(driver::WaitForThumb(program.window, 2), 2);
            EXPECT_TRUE(driver::Close(&program).empty());
            std::vector<driver::SecondRun> runs = driver::CapturedSeconds();
            SCOPED_TRACE(driver::Describe(runs));
            size_t first = 0;
            while (first < runs.size() && runs[first].windows < 5) ++first;
            ASSERT_GE(runs.size(), first + 2);
            EXPECT_EQ(0, runs[first].second);
            EXPECT_EQ(1, runs[first + 1].second);

            // Stored by a path every version opens; shown and reopened by its real name.
            OptionData saved = SavedOptions(folder, read);
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(saved.history[0].path))
                << saved.history[0].path;
            EXPECT_TRUE(driver::StartAndSettle(folder, L"", &program).empty());
            driver::Send(program.window, WM_COMMAND, IDM_HISTORY_FIRST);
            EXPECT_EQ(title, Title(program.window));
            EXPECT_EQ(saved.history[0].position, driver::Thumb(program.window));
            EXPECT_GE(saved.history[0].position, 2);
            EXPECT_TRUE(driver::Close(&program).empty());
        }
    }
    EXPECT_GE(rows, 4) << "no names for code page " << codePage;
}

}  // namespace
