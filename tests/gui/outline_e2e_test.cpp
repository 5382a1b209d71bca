// The outline band of the real program: a long pause shows as a flat line, a click on the band
// seeks to the second under it, and with the band turned off the window is what it was before.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Running;

enum { RATE = 8000, SECONDS = 60, PAUSE_FROM = 20, PAUSE_TO = 50 };

// A 60-second 8 kHz tone, silent from PAUSE_FROM to PAUSE_TO when `paused`.
static bool WriteRecording(const std::string &path, bool paused) {
    std::vector<int16_t> samples(size_t(RATE) * SECONDS);
    for (size_t i = 0; i < samples.size(); ++i) {
        bool silent = paused && i >= size_t(RATE) * PAUSE_FROM && i < size_t(RATE) * PAUSE_TO;
        samples[i] = silent ? 0 : (i / 8) % 2 ? 12000 : -12000;
    }
    return driver::WritePcmWav(path, RATE, 1, 16, samples.data(), samples.size() * 2);
}

// The band as it is on the screen: for each column, how many pixels differ from the white
// background (0: not outlined yet, 1: the centre line alone).
static std::vector<int> ColumnHeights(HWND band) {
    RECT client;
    GetClientRect(band, &client);
    POINT origin = {0, 0};
    ClientToScreen(band, &origin);
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(size_t(client.right) * size_t(client.bottom));
    GetDIBits(memory, bitmap, 0, client.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    std::vector<int> heights(size_t(client.right));
    for (size_t i = 0; i < pixels.size(); ++i)
        if ((pixels[i] & 0xFFFFFF) != 0xFFFFFF) ++heights[i % size_t(client.right)];
    return heights;
}

class Outline : public ::testing::Test {
  protected:
    void Start(const char *sub, bool paused, const std::string &ini = "") {
        folder_ = driver::Install(sub);
        driver::WriteDefaultSettings(folder_);
        if (!ini.empty()) {
            ASSERT_TRUE(driver::WriteBytes(folder_ + "\\parlomix.ini", ini.data(), ini.size()));
        }
        ASSERT_TRUE(WriteRecording(folder_ + "\\take.wav", paused));
        EXPECT_TRUE(driver::StartAndSettle(folder_, "\"" + folder_ + "\\take.wav\"", &run_.program)
                        .empty());
        window_ = run_.program.window;
        ASSERT_NE(window_, (HWND)NULL);
        band_ = GetDlgItem(window_, IDC_OUTLINE);
        ASSERT_NE(band_, (HWND)NULL);
    }
    // Columns drawn flat, once every column is drawn; -1 if the outline never completes.
    int FlatColumns() {
        std::vector<int> heights;
        bool complete = driver::WaitUntil([&] {
            heights = ColumnHeights(band_);
            for (int h : heights)
                if (h == 0) return false;
            return !heights.empty();
        });
        int flat = 0;
        for (int h : heights) flat += h == 1;
        return complete ? flat : -1;
    }

    std::string folder_;
    Running run_;
    HWND window_ = NULL;
    HWND band_ = NULL;
};

TEST_F(Outline, ALongPauseShowsFlatAndAClickSeeksToTheSecondUnderIt) {
    Start("outline-plain", false);
    EXPECT_EQ(FlatColumns(), 0);
    EXPECT_TRUE(driver::Close(&run_.program).empty());

    Start("outline-pause", true);
    RECT client;
    GetClientRect(band_, &client);
    int pauseColumns = client.right * (PAUSE_TO - PAUSE_FROM) / SECONDS;
    int flat = FlatColumns();
    EXPECT_GE(flat, pauseColumns - 2);
    EXPECT_LE(flat, pauseColumns + 2);

    // Paused, as a seek-bar move needs a file that plays or waits.
    driver::Send(window_, WM_COMMAND, IDM_PLAY_PAUSE);
    driver::Send(window_, WM_COMMAND, IDM_PLAY_PAUSE);
    LPARAM at = MAKELPARAM(client.right * 35 / SECONDS, client.bottom / 2);
    driver::Send(band_, WM_LBUTTONDOWN, MK_LBUTTON, at);
    driver::Send(band_, WM_LBUTTONUP, 0, at);
    int32_t thumb = driver::WaitForThumb(window_, 34, 36, 3000);
    EXPECT_GE(thumb, 34);
    EXPECT_LE(thumb, 36);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
}

TEST_F(Outline, TurnedOffTheWindowIsAsBeforeAndTheMenuBringsTheBandBack) {
    // UTF-16LE with its byte-order mark, as the program writes it.
    static const char ini[] =
        "\xFF\xFE[\0V\0i\0e\0w\0]\0\r\0\n\0O\0u\0t\0l\0i\0n\0e\0=\0"
        "0\0\r\0\n\0";
    Start("outline-off", false, std::string(ini, sizeof ini - 1));
    EXPECT_FALSE(IsWindowVisible(band_));
    RECT off = driver::NormalRect(window_);
    // The default rectangle, taller only by a second line of the menu bar where it wraps.
    EXPECT_EQ(off.right - off.left, DEFAULT_WINDOW_RIGHT);
    EXPECT_GE(off.bottom - off.top, DEFAULT_WINDOW_BOTTOM);
    RECT offClient, checkBox;
    GetClientRect(window_, &offClient);
    GetWindowRect(GetDlgItem(window_, IDC_PLAY_MODE), &checkBox);
    MapWindowPoints(NULL, window_, (POINT *)&checkBox, 2);
    EXPECT_LE(checkBox.bottom, offClient.bottom);

    driver::Send(window_, WM_COMMAND, IDM_VIEW_OUTLINE);
    EXPECT_TRUE(IsWindowVisible(band_));
    RECT onClient, bandRect;
    GetClientRect(window_, &onClient);
    GetClientRect(band_, &bandRect);
    EXPECT_GT(bandRect.bottom, 0);
    EXPECT_EQ(onClient.right, offClient.right);
    EXPECT_EQ(onClient.bottom, offClient.bottom + bandRect.bottom);
    EXPECT_EQ(FlatColumns(), 0);
    EXPECT_TRUE(driver::Close(&run_.program).empty());
    std::vector<unsigned char> saved = driver::ReadBytes(folder_ + "\\parlomix.ini");
    std::wstring text((const wchar_t *)saved.data(), saved.size() / 2);
    EXPECT_NE(text.find(L"Outline=1"), std::wstring::npos);
}
