// The real Parlomix.exe under Wine: a file that cannot be opened, the history in the File menu
// and its deletion, and, once the audio library plays, the whole road of a file: play, pause,
// resume revSeconds earlier (read back from the captured sound), close, reopen where it stopped,
// and a second start that hands over its file.
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/media_decoder.h"
#include "input/tables.h"
#include "res/resource.h"
#include "settings/history.h"
#include "settings/option_data.h"
#include "tests/driver/driver.h"
#include "tests/driver/settings_files.h"
#include "tests/driver/sound.h"

using driver::Box;
using driver::Program;
using driver::ReadOptions;
using driver::Running;
using driver::Thumb;

namespace {

const char OPEN_ERROR[] = "error|vbmp3_open error";

// Settings files in `folder` as a previous run would have left them, with `count` history entries.
OptionData WriteSettings(const std::string &folder, int32_t count, int32_t revSeconds = 1) {
    OptionData options;
    SetDefaultOptionData(&options);
    options.revSeconds = revSeconds;
    options.historyCount = count;
    for (int i = 0; i < count; ++i) {
        snprintf(options.history[i].path, FILE_SPEC_TEXT, "C:\\議事録\\part%d.mp3", i);
        snprintf(options.history[i].name, FILE_SPEC_TEXT, "part%d.mp3", i);
        options.history[i].position = 3725 * (i + 1);
    }
    EXPECT_TRUE(driver::WriteSettings(folder, options));
    return options;
}

std::vector<Box> StartQuietly(const std::string &folder, const std::string &arguments,
                              Program *program) {
    std::vector<Box> boxes = driver::StartAndSettle(folder, arguments, program);
    EXPECT_NE((HWND)NULL, program->window);
    return boxes;
}

TEST(PlaybackE2e, AFileThatCannotBeOpenedLeavesTitleAndHistoryAlone) {
    std::string folder = driver::Install("missing");
    OptionData stored = WriteSettings(folder, 2);
    Running running;
    std::vector<Box> boxes =
        StartQuietly(folder, "\"" + folder + "\\not here.wav\"", &running.program);
    EXPECT_EQ(std::vector<std::string>{OPEN_ERROR}, driver::BoxTexts(boxes));
    EXPECT_EQ("Parlomix", driver::WindowText(running.program.window));
    EXPECT_TRUE(driver::Close(&running.program).empty());

    OptionData saved = ReadOptions(folder);
    EXPECT_EQ(2, saved.historyCount);
    EXPECT_EQ(0, memcmp(stored.history, saved.history, sizeof stored.history));
}

TEST(PlaybackE2e, HistoryItemsOpenTheirFileAndDeleteNeedsOk) {
    std::string folder = driver::Install("history");
    OptionData stored = WriteSettings(folder, 3);
    Running running;
    Program &program = running.program;
    EXPECT_TRUE(StartQuietly(folder, "", &program).empty());

    // The listed files do not exist: choosing one reports it and lists nothing new.
    PostMessageA(program.window, WM_COMMAND, IDM_HISTORY_FIRST + 1, 0);
    Box box;
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    EXPECT_EQ(OPEN_ERROR, box.title + "|" + box.text);
    driver::AnswerBox(box);

    PostMessageA(program.window, WM_COMMAND, IDM_HISTORY_DELETE, 0);
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    EXPECT_EQ("確認", box.title);
    EXPECT_EQ("履歴を削除してよろしいですか？", box.text);
    driver::AnswerBox(box, IDCANCEL);
    EXPECT_TRUE(driver::Close(&program).empty());
    OptionData saved = ReadOptions(folder);
    EXPECT_EQ(3, saved.historyCount);
    EXPECT_EQ(0, memcmp(stored.history, saved.history, sizeof stored.history));

    EXPECT_TRUE(StartQuietly(folder, "", &program).empty());
    PostMessageA(program.window, WM_COMMAND, IDM_HISTORY_DELETE, 0);
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    driver::AnswerBox(box, IDOK);
    EXPECT_TRUE(driver::Close(&program).empty());
    saved = ReadOptions(folder);
    EXPECT_EQ(0, saved.historyCount);
    // Entries past the count stay as they were stored.
    EXPECT_EQ(0, memcmp(stored.history, saved.history, sizeof stored.history));
}

// Starts the program with `file`; false (and the program closed) when it showed any box, an
// open error above all.
bool StartWithFile(const std::string &folder, const std::string &file, Program *program) {
    std::vector<Box> boxes = StartQuietly(folder, "\"" + file + "\"", program);
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : driver::BoxTexts(boxes)[0]);
    if (!boxes.empty()) {
        driver::Close(program);
        return false;
    }
    return true;
}

const int REV_SECONDS = 3;

// Copies a recording made at build time (a unix path) into the test's folder.
bool CopyFixture(const std::string &unixPath, const std::string &to) {
    return CopyFileA(driver::UnixToWindows(unixPath).c_str(), to.c_str(), FALSE) != 0;
}

// Waits until the playing file's thumb, which the refresh timer moves, reaches `position`.
bool WaitForThumb(const Program &program, int32_t position) {
    return driver::WaitForThumb(program.window, position) >= position;
}

// A Play menu command, handled (the operation and the refresh after it) before this returns.
void PlayMenu(const Program &program, WPARAM id) {
    driver::Send(program.window, WM_COMMAND, id, 0);
}

TEST(PlaybackE2e, ResumeGoesBackAndAReopenContinuesWhereTheCloseLeftOff) {
    std::string folder = driver::Install("road");
    WriteSettings(folder, 0, REV_SECONDS);
    std::string tone = folder + "\\tone.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 12));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, tone, &program));
    EXPECT_EQ("tone.wav - Parlomix", driver::WindowText(program.window));
    EXPECT_EQ(12, driver::SeekBarLength(program.window));
    EXPECT_EQ(0, Thumb(program.window));

    PlayMenu(program, IDM_PLAY_PAUSE);  // play
    DWORD playStart = GetTickCount();
    ASSERT_TRUE(WaitForThumb(program, 4));
    // How fast the sound sink takes the sound in: real time on a sound card, faster on a file.
    printf("position 4 reached %lu ms after play\n", (unsigned long)(GetTickCount() - playStart));
    PlayMenu(program, IDM_PLAY_PAUSE);  // pause
    int32_t paused = Thumb(program.window);
    driver::Sleep(500);
    EXPECT_EQ(paused, Thumb(program.window));
    ASSERT_GE(paused, REV_SECONDS);
    ASSERT_LT(paused, 10);
    PlayMenu(program, IDM_PLAY_PAUSE);  // resume, REV_SECONDS earlier
    int32_t resumed = paused - REV_SECONDS;
    EXPECT_LE(resumed, Thumb(program.window));
    EXPECT_LE(Thumb(program.window), resumed + 1);
    // Some sound after the resume reaches the capture whatever the position reads.
    driver::Sleep(800);
    ASSERT_TRUE(WaitForThumb(program, resumed + 2));
    EXPECT_TRUE(driver::Close(&program).empty());

    std::vector<driver::SecondRun> runs = driver::CapturedSeconds();
    SCOPED_TRACE(driver::Describe(runs));
    // From the start, second after second, then one jump back.
    size_t jump = 1;
    while (jump < runs.size() && runs[jump].second == runs[jump - 1].second + 1) {
        ++jump;
    }
    ASSERT_LT(jump, runs.size());
    EXPECT_EQ(0, runs[0].second);
    // The sound stopped within the second the pause reported (or, with the output buffer
    // ahead, a little past it); it went on at the start of the second REV_SECONDS before it.
    double heard = 0;
    for (size_t i = 0; i < jump; ++i) {
        heard += runs[i].windows / 20.0;
    }
    EXPECT_GE(heard, paused - 0.1);
    EXPECT_LE(heard, paused + 1.3);
    EXPECT_EQ(resumed, runs[jump].second);
    EXPECT_GE(runs[jump].windows, 15);

    OptionData saved = ReadOptions(folder);
    ASSERT_EQ(1, saved.historyCount);
    EXPECT_STRCASEEQ(tone.c_str(), saved.history[0].path);
    int32_t stopped = saved.history[0].position;
    EXPECT_GE(stopped, resumed + 2);
    EXPECT_LE(stopped, 12);

    // A new start with the same file continues paused at the stored position.
    ASSERT_TRUE(StartWithFile(folder, tone, &program));
    EXPECT_EQ(stopped, Thumb(program.window));
    driver::Sleep(1000);
    EXPECT_EQ(stopped, Thumb(program.window));
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_EQ(stopped, ReadOptions(folder).history[0].position);
}

// A recording the platform decodes (ffmpeg made it from the tone file's signal at build time),
// chosen from the history: it opens paused at its stored place and a resume is heard
// revSeconds before it.
TEST(PlaybackE2e, AnM4aFromTheHistoryOpensAtItsPlaceAndResumesEarlier) {
    std::string folder = driver::Install("m4a");
    OptionData options = WriteSettings(folder, 1, REV_SECONDS);
    std::string recording = folder + "\\interview.m4a";
    ASSERT_TRUE(CopyFixture(TONE_M4A, recording));
    snprintf(options.history[0].path, FILE_SPEC_TEXT, "%s", recording.c_str());
    snprintf(options.history[0].name, FILE_SPEC_TEXT, "interview.m4a");
    const int32_t STORED = 7;
    options.history[0].position = STORED;
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &options, sizeof options));
    Running running;
    Program &program = running.program;
    EXPECT_TRUE(StartQuietly(folder, "", &program).empty());

    driver::Send(program.window, WM_COMMAND, IDM_HISTORY_FIRST, 0);
    EXPECT_EQ("interview.m4a - Parlomix", driver::WindowText(program.window));
    EXPECT_EQ(12, driver::SeekBarLength(program.window));
    EXPECT_EQ(STORED, Thumb(program.window));
    driver::Sleep(500);
    EXPECT_EQ(STORED, Thumb(program.window));  // paused there

    PlayMenu(program, IDM_PLAY_PAUSE);  // resume, REV_SECONDS earlier
    int32_t resumed = STORED - REV_SECONDS;
    EXPECT_LE(resumed, Thumb(program.window));
    EXPECT_LE(Thumb(program.window), resumed + 1);
    driver::Sleep(800);
    ASSERT_TRUE(WaitForThumb(program, resumed + 2));
    EXPECT_TRUE(driver::Close(&program).empty());

    std::vector<driver::SecondRun> runs = driver::CapturedSeconds();
    SCOPED_TRACE(driver::Describe(runs));
    // Opening seeks through a play and an instant pause, which may let a blip of the start out.
    size_t first = 0;
    while (first < runs.size() && runs[first].windows < 5) {
        ++first;
    }
    ASSERT_GE(runs.size(), first + 2);
    EXPECT_EQ(resumed, runs[first].second);
    EXPECT_GE(runs[first].windows, 18);  // the whole second, from its start
    EXPECT_EQ(resumed + 1, runs[first + 1].second);
    OptionData saved = ReadOptions(folder);
    ASSERT_EQ(1, saved.historyCount);
    EXPECT_STRCASEEQ(recording.c_str(), saved.history[0].path);
    EXPECT_GE(saved.history[0].position, resumed + 2);
}

TEST(PlaybackE2e, ASecondStartHandsOverItsFileAndTheFirstKeepsItsPosition) {
    std::string folder = driver::Install("second");
    WriteSettings(folder, 0);
    std::string first = folder + "\\first.wav";
    std::string second = folder + "\\second.wav";
    ASSERT_TRUE(driver::WriteToneFile(first, 12));
    ASSERT_TRUE(driver::WriteToneFile(second, 6));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, first, &program));
    PlayMenu(program, IDM_PLAY_PAUSE);
    ASSERT_TRUE(WaitForThumb(program, 2));
    int32_t reached = Thumb(program.window);

    Running starter;
    Program &other = starter.program;
    ASSERT_TRUE(driver::Start(folder, "\"" + second + "\"", &other));
    EXPECT_NE(-1, driver::WaitForExit(&other));
    EXPECT_EQ("second.wav - Parlomix",
              driver::WaitForText(program.window, "second.wav - Parlomix"));
    EXPECT_EQ(6, driver::SeekBarLength(program.window));
    EXPECT_EQ(0, Thumb(program.window));
    EXPECT_TRUE(driver::Close(&program).empty());

    OptionData saved = ReadOptions(folder);
    ASSERT_EQ(2, saved.historyCount);
    EXPECT_STRCASEEQ(second.c_str(), saved.history[0].path);
    EXPECT_EQ(0, saved.history[0].position);
    EXPECT_STRCASEEQ(first.c_str(), saved.history[1].path);
    EXPECT_GE(saved.history[1].position, reached);
    EXPECT_LE(saved.history[1].position, 12);
}

std::string PitchBox(const Program &program) {
    return driver::ControlText(program.window, IDC_PITCH_BOX);
}

// The pitch box shows what WM_PITCH_CHANGED posted: waits until the program's queue got to it.
std::string WaitForPitchBox(const Program &program, const std::string &pitch) {
    std::string seen;
    driver::WaitUntil([&] { return (seen = PitchBox(program)) == pitch; });
    return seen;
}

TEST(PlaybackE2e, PlayMenuStepsOnceAndTheSeekBarAndPitchReachTheLibrary) {
    std::string folder = driver::Install("menu");
    WriteSettings(folder, 0);
    std::string tone = folder + "\\tone.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 12));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, tone, &program));
    EXPECT_EQ("100", PitchBox(program));

    PlayMenu(program, IDM_FF);  // FF, paused: ffSeconds 4 on
    EXPECT_EQ(4, Thumb(program.window));
    PlayMenu(program, IDM_FF);
    EXPECT_EQ(8, Thumb(program.window));
    PlayMenu(program, IDM_REW);  // REW
    EXPECT_EQ(4, Thumb(program.window));
    // No repeat was left running to step on by itself.
    driver::Sleep(600);
    EXPECT_EQ(4, Thumb(program.window));

    // The thumb let go at 9 seeks there; the file stays paused.
    HWND bar = GetDlgItem(program.window, IDC_SEEK_BAR);
    SendMessageA(bar, TBM_SETPOS, TRUE, 9);
    driver::Send(program.window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 9), (LPARAM)bar);
    EXPECT_EQ(9, driver::WaitForThumb(program.window, 9, 9));

    PlayMenu(program, IDM_PITCH_UP);  // PITCH_UP
    EXPECT_EQ("101", WaitForPitchBox(program, "101"));
    PlayMenu(program, IDM_PITCH_UP);
    EXPECT_EQ("102", WaitForPitchBox(program, "102"));
    PlayMenu(program, IDM_PITCH_DOWN);  // PITCH_DOWN
    EXPECT_EQ("101", WaitForPitchBox(program, "101"));
    driver::Sleep(500);
    EXPECT_EQ("101", PitchBox(program));
    EXPECT_TRUE(driver::Close(&program).empty());

    OptionData saved = ReadOptions(folder);
    EXPECT_EQ(101, saved.pitch);
    EXPECT_EQ(9, saved.history[0].position);

    // The stored pitch comes back, and the up-down sets a new one without any file open.
    EXPECT_TRUE(StartQuietly(folder, "", &program).empty());
    EXPECT_EQ("101", PitchBox(program));
    HWND box = GetDlgItem(program.window, IDC_PITCH_BOX);
    SendMessageTimeoutA(box, WM_SETTEXT, 0, (LPARAM) "150", SMTO_NORMAL, 5000, NULL);
    driver::Send(program.window, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 150),
                 (LPARAM)GetDlgItem(program.window, IDC_PITCH_UPDOWN));
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_EQ(150, ReadOptions(folder).pitch);
}

void Binding(const Program &program, int32_t operation, bool released) {
    driver::Operation(program.window, operation, released);
}

TEST(PlaybackE2e, HeldStepsRepeatUntilReleasedAndAHeldPitchHaltsAtNormal) {
    std::string folder = driver::Install("held");
    OptionData options = WriteSettings(folder, 0);
    options.pitch = 97;
    ASSERT_TRUE(driver::WriteBytes(folder + "\\parlomix_opt", &options, sizeof options));
    std::string tone = folder + "\\long.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 60));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, tone, &program));
    // The stored pitch reached the library and the box at start.
    EXPECT_EQ("97", PitchBox(program));

    // The press and at least two ticks of 180 ms, 4 s each; the file stays paused meanwhile.
    Binding(program, OP_FF, false);
    EXPECT_GE(driver::WaitForThumb(program.window, 12), 12);
    Binding(program, OP_FF, true);
    int32_t forward = Thumb(program.window);
    EXPECT_EQ(0, forward % 4);
    driver::Sleep(600);
    EXPECT_EQ(forward, Thumb(program.window));

    Binding(program, OP_REW, false);
    EXPECT_LE(driver::WaitForThumb(program.window, 0, forward - 8), forward - 8);
    Binding(program, OP_REW, true);
    int32_t back = Thumb(program.window);
    driver::Sleep(600);
    EXPECT_EQ(back, Thumb(program.window));

    // Held from 97: 98, 99, 100, and there it halts though the binding is still held.
    Binding(program, OP_PITCH_UP, false);
    EXPECT_EQ("100", WaitForPitchBox(program, "100"));
    driver::Sleep(600);
    EXPECT_EQ("100", PitchBox(program));
    Binding(program, OP_PITCH_UP, true);
    // A new press goes on past it.
    Binding(program, OP_PITCH_UP, false);
    Binding(program, OP_PITCH_UP, true);
    EXPECT_EQ("101", WaitForPitchBox(program, "101"));
    driver::Sleep(500);
    EXPECT_EQ("101", PitchBox(program));
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_EQ(101, ReadOptions(folder).pitch);
}

// Another start of the program with `file`, which hands it over to the running one and ends.
void SecondStart(const std::string &folder, const std::string &file) {
    Running starter;
    ASSERT_TRUE(driver::Start(folder, "\"" + file + "\"", &starter.program));
    EXPECT_EQ(0, driver::WaitForExit(&starter.program));
}

TEST(PlaybackE2e, AStepHeldWhileAnOpenFailsDoesNotRunOnInTheNextFile) {
    std::string folder = driver::Install("heldfail");
    WriteSettings(folder, 0);
    std::string first = folder + "\\first.wav";
    std::string next = folder + "\\next.wav";
    ASSERT_TRUE(driver::WriteToneFile(first, 60));
    ASSERT_TRUE(driver::WriteToneFile(next, 60));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, first, &program));

    Binding(program, OP_FF, false);
    ASSERT_TRUE(WaitForThumb(program, 8));
    SecondStart(folder, folder + "\\not here.wav");
    Box box;
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    EXPECT_EQ(OPEN_ERROR, box.title + "|" + box.text);
    driver::AnswerBox(box);
    Binding(program, OP_FF, true);  // released with no file open

    SecondStart(folder, next);
    EXPECT_EQ("next.wav - Parlomix", driver::WaitForText(program.window, "next.wav - Parlomix"));
    driver::Sleep(1000);
    EXPECT_EQ(0, Thumb(program.window));
    EXPECT_TRUE(driver::Close(&program).empty());
}

TEST(PlaybackE2e, AFileOpenedWhileTheOpenErrorBoxIsUpStaysOpen) {
    std::string folder = driver::Install("inbox");
    WriteSettings(folder, 0);
    std::string tone = folder + "\\tone.wav";
    ASSERT_TRUE(driver::WriteToneFile(tone, 12));
    Running running;
    Program &program = running.program;
    EXPECT_TRUE(StartQuietly(folder, "", &program).empty());

    SecondStart(folder, folder + "\\not here.wav");
    Box box;
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    EXPECT_EQ(OPEN_ERROR, box.title + "|" + box.text);
    // While the box is up, a third start hands over a file that opens.
    SecondStart(folder, tone);
    EXPECT_EQ("tone.wav - Parlomix", driver::WaitForText(program.window, "tone.wav - Parlomix"));
    driver::AnswerBox(box);
    driver::Sleep(500);
    EXPECT_EQ("tone.wav - Parlomix", driver::WindowText(program.window));
    EXPECT_EQ(12, driver::SeekBarLength(program.window));
    // The file knows its length: FF steps forward, not to 0.
    PlayMenu(program, IDM_FF);
    EXPECT_EQ(4, Thumb(program.window));
    EXPECT_TRUE(driver::Close(&program).empty());
    OptionData saved = ReadOptions(folder);
    ASSERT_EQ(1, saved.historyCount);
    EXPECT_EQ(4, saved.history[0].position);
}

// Media Foundation's two libraries switched off for Parlomix.exe alone (Wine's per-program load
// orders: its environment's would reach this test, not the program it starts), as on Windows
// editions without them, and switched back on when the test ends.
struct WithoutMediaFoundation {
    const char *key = "Software\\Wine\\AppDefaults\\Parlomix.exe\\DllOverrides";
    WithoutMediaFoundation() {
        HKEY k;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &k, NULL) ==
            ERROR_SUCCESS) {
            for (const char *dll : {"mfplat", "mfreadwrite"}) {
                RegSetValueExA(k, dll, 0, REG_SZ, (const BYTE *)"", 1);  // "": not loaded
            }
            RegCloseKey(k);
        }
    }
    ~WithoutMediaFoundation() { RegDeleteKeyA(HKEY_CURRENT_USER, key); }
};

// Windows editions without Media Foundation: the program starts, WAV and MP3 open, and only what
// the platform would decode is refused.
TEST(PlaybackE2e, WithoutMediaFoundationWavAndMp3StillOpen) {
    std::string folder = driver::Install("nomf");
    WriteSettings(folder, 0);
    std::string tone = folder + "\\tone.wav", mp3 = folder + "\\talk.mp3";
    std::string m4a = folder + "\\talk.m4a";
    ASSERT_TRUE(driver::WriteToneFile(tone, 12));
    ASSERT_TRUE(CopyFixture(AUDIO_FIXTURES "/cbr128.mp3", mp3));
    ASSERT_TRUE(CopyFixture(TONE_M4A, m4a));
    WithoutMediaFoundation off;
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, tone, &program));
    EXPECT_EQ("tone.wav - Parlomix", driver::WindowText(program.window));

    SecondStart(folder, mp3);
    EXPECT_EQ("talk.mp3 - Parlomix", driver::WaitForText(program.window, "talk.mp3 - Parlomix"));
    EXPECT_EQ(5, driver::SeekBarLength(program.window));

    SecondStart(folder, m4a);
    Box box;
    ASSERT_TRUE(driver::WaitForBox(program.process.dwProcessId, &box));
    EXPECT_EQ(OPEN_ERROR, box.title + "|" + box.text);
    driver::AnswerBox(box);
    EXPECT_TRUE(driver::Close(&program).empty());
}

// Holds the program's media decoder thread, as a platform read that does not come back would;
// the handle returned lets it go on. Null when no such thread runs.
HANDLE HoldMediaThread(DWORD pid) {
    typedef HRESULT(WINAPI * Describe)(HANDLE, PWSTR *);
    Describe describe = reinterpret_cast<Describe>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetThreadDescription")));
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE held = NULL;
    for (BOOL more = Thread32First(snapshot, &entry); more && describe && !held;
         more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) {
            continue;
        }
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME | THREAD_QUERY_LIMITED_INFORMATION, FALSE,
                                   entry.th32ThreadID);
        PWSTR name = NULL;
        if (thread && SUCCEEDED(describe(thread, &name)) && wcscmp(name, MEDIA_THREAD_NAME) == 0 &&
            SuspendThread(thread) != (DWORD)-1) {
            held = thread;
        } else if (thread) {
            CloseHandle(thread);
        }
        LocalFree(name);
    }
    CloseHandle(snapshot);
    return held;
}

// Longer than the library waits before it shows a file that brings nothing as paused.
const DWORD SLOW_READ_MS = 5500;

// A meeting recording whose sound ends before its picture opens at the picture's length. On a
// share that stops answering for a while, the window keeps answering, the file shows paused
// where it was heard, and it plays on from there once the share is back.
TEST(PlaybackE2e, AMeetingRecordingOpensWholeAndAStallPausesItWhereItWasHeard) {
    std::string folder = driver::Install("slow");
    WriteSettings(folder, 0);
    std::string recording = folder + "\\meeting.mp4";
    ASSERT_TRUE(CopyFixture(TONE_MP4, recording));
    Running running;
    Program &program = running.program;
    ASSERT_TRUE(StartWithFile(folder, recording, &program));
    EXPECT_EQ(17, driver::SeekBarLength(program.window));
    PlayMenu(program, IDM_PLAY_PAUSE);
    ASSERT_TRUE(WaitForThumb(program, 3));
    HANDLE held = HoldMediaThread(program.process.dwProcessId);
    ASSERT_NE((HANDLE)NULL, held);
    DWORD slowest = 0;
    int32_t heard = 0;
    for (DWORD start = GetTickCount(); GetTickCount() - start < SLOW_READ_MS;) {
        DWORD before = GetTickCount();
        DWORD_PTR result = 0;
        SendMessageTimeoutA(program.window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        slowest = std::max(slowest, GetTickCount() - before);
        heard = Thumb(program.window);
        driver::Sleep(100);
    }
    ResumeThread(held);
    CloseHandle(held);
    EXPECT_LT(slowest, 1000u);
    ASSERT_GE(heard, 3);
    PlayMenu(program, IDM_PLAY_PAUSE);  // from paused: plays on
    EXPECT_TRUE(WaitForThumb(program, heard + 1));
    EXPECT_TRUE(driver::Close(&program).empty());
    EXPECT_GE(ReadOptions(folder).history[0].position, heard);
}

}  // namespace
