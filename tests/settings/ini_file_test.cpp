// parlomix.ini: what a missing, damaged or hand-edited file reads as, and that every character
// of a written text comes back.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "settings/ini_file.h"
#include "tests/driver/driver.h"

static std::wstring IniIn(const char *folder) {
    std::string dir = driver::WorkFolder(folder);
    std::wstring path(dir.begin(), dir.end());
    path += L"\\" INI_FILE_NAME;
    DeleteFileW(path.c_str());
    return path;
}

static void WriteBytes(const std::wstring &path, const std::string &bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &put, NULL);
    CloseHandle(file);
}

TEST(IniFile, IntegersOutsideTheirRangeOrNotNumbersReadAsTheDefault) {
    std::wstring path = IniIn("ini_ints");
    // An ANSI file as a user's editor might leave it, with values good and bad.
    WriteBytes(path,
               "[Sound]\r\nGood=2\r\nPadded= 1 \r\nNegative=-1\r\nHigh=3\r\nText=on\r\n"
               "Huge=99999999999\r\nEmpty=\r\n\x81\x40\xff garbage\r\n");
    struct Row {
        const wchar_t *key;
        int expected;
    } rows[] = {{L"Good", 2}, {L"Padded", 1}, {L"Negative", 7}, {L"High", 7},
                {L"Text", 7}, {L"Huge", 7},   {L"Empty", 7},    {L"Missing", 7}};
    for (const Row &row : rows)
        EXPECT_EQ(IniReadInt(path.c_str(), L"Sound", row.key, 7, 0, 2), row.expected) << row.key;
    EXPECT_EQ(IniReadInt(L"Z:\\no\\such\\folder\\parlomix.ini", L"Sound", L"Good", 7, 0, 2), 7);
}

TEST(IniFile, TextsKeepEveryCharacterAndTheFileBecomesUnicode) {
    std::wstring path = IniIn("ini_texts");
    WriteBytes(path, "[Stamp]\r\nFormat=(hh:mm:ss)\r\n");
    const wchar_t *texts[] = {L"[聞き取れず]", L"Zoë ☕ – \U0001F600 한국어", L""};
    for (const wchar_t *text : texts) {
        ASSERT_TRUE(IniWriteText(path.c_str(), L"Snippets", L"Text1", text));
        wchar_t read[64];
        IniReadText(path.c_str(), L"Snippets", L"Text1", L"fallback", read, 64);
        EXPECT_STREQ(read, text);
    }
    // The hand-written ANSI contents survive the conversion to UTF-16.
    wchar_t format[32];
    IniReadText(path.c_str(), L"Stamp", L"Format", L"fallback", format, 32);
    EXPECT_STREQ(format, L"(hh:mm:ss)");
    IniReadText(path.c_str(), L"Stamp", L"Missing", L"fallback", format, 32);
    EXPECT_STREQ(format, L"fallback");
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    unsigned char bom[2] = {0, 0};
    DWORD got = 0;
    ReadFile(file, bom, 2, &got, NULL);
    CloseHandle(file);
    EXPECT_EQ(bom[0], 0xFF);
    EXPECT_EQ(bom[1], 0xFE);
    ASSERT_TRUE(IniWriteInt(path.c_str(), L"View", L"Outline", 0));
    EXPECT_EQ(IniReadInt(path.c_str(), L"View", L"Outline", 1, 0, 1), 0);
}
