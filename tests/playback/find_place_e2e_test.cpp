// Finding the place again in the real Parlomix.exe, in one run: a snippet and a custom stamp
// typed into an edit box of this process, JUMP to the clipboard's stamp while playing and while
// paused, and the loop A-B heard wrapping.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "input/tables.h"
#include "res/resource.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Program;
using driver::Thumb;

namespace {

// The custom format and the offset: stamps are typed and read ten seconds ahead. Values are
// quoted as the program writes them, so that the snippet keeps its closing space.
const wchar_t INI[] =
    L"\xFEFF[Stamp]\r\nFormat=<hh.mm.ss>\r\nOffset=+00:00:10\r\n"
    L"[Snippets]\r\nText1=\"{time} 話者: \"\r\n";

void Binding(const Program &program, int32_t operation) {
    driver::Operation(program.window, operation);
}

bool SetClipboard(const wchar_t *text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(NULL)) return false;
    EmptyClipboard();
    bool set = SetClipboardData(CF_UNICODETEXT, memory) != NULL;
    CloseClipboard();
    return set;
}

std::wstring EditText(HWND edit) {
    wchar_t text[256];
    GetWindowTextW(edit, text, 256);
    return text;
}

// Waits for the edit box's text, pumping as a Unicode program does: typed characters outside
// the code page's single bytes reach a Unicode window whole only through the W calls.
std::wstring WaitForEditText(HWND edit, const std::wstring &text) {
    DWORD start = GetTickCount();
    while (EditText(edit) != text && GetTickCount() - start < 5000) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
    return EditText(edit);
}

// How often the thumb went back while waiting; waits until it did `count` times.
int WaitForWraps(HWND window, int count) {
    int wraps = 0, last = Thumb(window);
    driver::WaitUntil(
        [&] {
            int now = Thumb(window);
            if (now < last) ++wraps;
            last = now;
            return wraps >= count;
        },
        15000);
    return wraps;
}

TEST(FindPlaceE2e, SnippetStampJumpAndLoopInOneRun) {
    std::string folder = driver::Install("findplace");
    OptionData options;
    SetDefaultOptionData(&options);
    options.revSeconds = 0;
    ASSERT_TRUE(driver::WriteSettings(folder, options));
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix.ini", INI, sizeof INI - sizeof INI[0]));
    std::string tone = folder + "\\tone.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 30));

    HWND editor = CreateWindowW(L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 300, 100,
                                NULL, NULL, GetModuleHandleW(NULL), NULL);
    ASSERT_NE(editor, (HWND)NULL);
    driver::Running running;
    Program &program = running.program;
    std::vector<driver::Box> boxes = driver::StartAndSettle(folder, "\"" + tone + "\"", &program);
    ASSERT_TRUE(boxes.empty()) << driver::BoxTexts(boxes)[0];
    SetForegroundWindow(editor);
    SetFocus(editor);

    // Paused at 0: the snippet and the stamp, both ten seconds ahead in the custom format.
    Binding(program, OP_SNIPPET1);
    Binding(program, OP_TIMESTAMP);
    const std::wstring expected = L"<00.00.10> 話者: <00.00.10>";
    EXPECT_EQ(WaitForEditText(editor, expected), expected);

    // Playing: the clipboard's last stamp, less the offset.
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    ASSERT_GE(driver::WaitForThumb(program.window, 2), 2);
    ASSERT_TRUE(SetClipboard(L"[00:00:01] A: はい <00.00.18> B: ええ"));
    Binding(program, OP_JUMP);
    EXPECT_EQ(Thumb(program.window), 8);
    EXPECT_GE(driver::WaitForThumb(program.window, 10), 10) << "still playing";

    // Paused: it moves and stays paused; a clipboard without a stamp moves nothing.
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    ASSERT_TRUE(SetClipboard(L"(00:13)"));
    Binding(program, OP_JUMP);
    EXPECT_EQ(Thumb(program.window), 3);
    ASSERT_TRUE(SetClipboard(L"聞き取れず"));
    Binding(program, OP_JUMP);
    driver::Sleep(500);
    EXPECT_EQ(Thumb(program.window), 3) << "paused, and not moved";

    // LOOP: A where the listener is, B a second past the second heard at the second press.
    driver::Send(program.window, WM_COMMAND, IDM_PLAY_PAUSE);
    ASSERT_GE(driver::WaitForThumb(program.window, 4), 4);
    int a = Thumb(program.window);
    Binding(program, OP_LOOP);
    int b = driver::WaitForThumb(program.window, a + 1) + 1;
    Binding(program, OP_LOOP);
    HWND bar = GetDlgItem(program.window, IDC_SEEK_BAR);
    EXPECT_EQ(SendMessageA(bar, TBM_GETSELSTART, 0, 0), a);
    EXPECT_EQ(SendMessageA(bar, TBM_GETSELEND, 0, 0), b);
    EXPECT_EQ(WaitForWraps(program.window, 2), 2);
    Binding(program, OP_LOOP);
    EXPECT_GE(driver::WaitForThumb(program.window, b + 1), b + 1) << "goes on after the third";
    EXPECT_TRUE(driver::Close(&program).empty());
    DestroyWindow(editor);

    // Heard: 8 after the first seconds, 3 after the pause, then A..B-1 at least three times.
    std::vector<int> seconds = driver::CapturedSecondList();
    SCOPED_TRACE(driver::Describe(driver::CapturedSeconds()));
    size_t at8 = 0;
    while (at8 < seconds.size() && seconds[at8] != 8) ++at8;
    ASSERT_LT(at8, seconds.size());
    ASSERT_GT(at8, 0u);
    EXPECT_LE(seconds[at8 - 1], 3) << "heard from that second on, straight after the jump";
    size_t at3 = at8;
    while (at3 < seconds.size() && seconds[at3] != 3) ++at3;
    ASSERT_LT(at3, seconds.size()) << "heard from the paused jump's second";
    EXPECT_GE(seconds[at3 - 1], 9);
    int wraps = 0;
    for (size_t i = at3 + 1; i < seconds.size(); ++i)
        if (seconds[i - 1] == b - 1 && seconds[i] == a) ++wraps;
    EXPECT_GE(wraps, 2);
    EXPECT_GE(seconds.back(), b) << "went on past B";
}

}  // namespace
