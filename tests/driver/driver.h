// The test driver: installs the real Parlomix.exe into a scratch folder, starts it, answers its
// message boxes, talks to its main window and reads what it leaves behind. Every wait has a
// timeout, so a broken program fails its test instead of hanging it.
#ifndef PARLOMIX_TEST_DRIVER_H
#define PARLOMIX_TEST_DRIVER_H

#include <windows.h>
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// The product folder (Parlomix.exe and its DLLs) and a per-test scratch folder, as Windows paths.
std::string DistFolder();
std::string WorkFolder(const std::string &sub);
std::string SourceFolder();
// A unix path from the environment, as a Windows path on drive Z:.
std::string UnixToWindows(const std::string &unixPath);
std::string Env(const char *name);

// A fresh folder holding a copy of the program and its two libraries (and help.chm if built).
std::string Install(const std::string &sub);

// The first top-level window of process `pid` for which `matches` holds, or null.
HWND FindTopWindow(DWORD pid, const std::function<bool(HWND)> &matches);
bool HasClass(HWND window, const char *className);

bool FileExists(const std::string &path);
std::vector<unsigned char> ReadBytes(const std::string &path);
bool WriteBytes(const std::string &path, const void *data, size_t size);

struct Box {
    HWND window = NULL;
    std::string title;
    std::string text;
};

// Finds a visible message box (dialog class #32770) of process `pid` within `timeoutMs`.
bool WaitForBox(DWORD pid, Box *box, DWORD timeoutMs = 10000);
// Presses its first button (OK).
void AnswerBox(const Box &box, int buttonId = IDOK);

// Answers every message box of `pid` that shows up until the main window is visible and no
// box has appeared for `quietMs`; returns the boxes in order.
std::vector<Box> AnswerBoxesUntilQuiet(DWORD pid, DWORD quietMs = 1500, DWORD timeoutMs = 20000);

struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = NULL;
    std::string folder;
    int exitCode = -1;  // set once the process has ended
};

// Starts folder\Parlomix.exe with `arguments` (already quoted as needed); ANSI texts are read in
// this process's code page.
bool Start(const std::wstring &folder, const std::wstring &arguments, Program *program);
bool Start(const std::string &folder, const std::string &arguments, Program *program);
std::wstring Widen(const std::string &text);
// The top-level window of class "Parlomix" that belongs to the program.
HWND FindMainWindow(DWORD pid, DWORD timeoutMs = 10000);
// Waits for the process to end; returns its exit code or -1 on timeout (then it is killed).
int WaitForExit(Program *program, DWORD timeoutMs = 15000);
// Sends the close request and answers boxes that the close shows; returns them.
std::vector<Box> Close(Program *program, DWORD timeoutMs = 15000);
void Kill(Program *program);

// Starts the program and waits until its window is up and no box shows; returns the boxes
// that were answered on the way.
std::vector<Box> StartAndSettle(const std::string &folder, const std::string &arguments,
                                Program *program);
std::vector<Box> StartAndSettle(const std::wstring &folder, const std::wstring &arguments,
                                Program *program);

// Ends a program that a failed assertion left running, so the next test starts its own.
struct Running {
    Program program;
    ~Running() {
        if (program.process.hProcess) Kill(&program);
    }
};

// "title|text" of each box, in order.
std::vector<std::string> BoxTexts(const std::vector<Box> &boxes);

// Sends a message through the window's queue and lets it be handled.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
std::string WindowText(HWND window);

// A fixed wait, only where a test shows that nothing happens for a while (or holds a key that
// long); anything that is to happen is waited for with WaitUntil.
void Sleep(DWORD ms);
// Lets the windows of this thread handle their messages for `ms`.
void Pump(DWORD ms);
// Polls `condition` every 20 ms while this thread's windows handle their messages; true as soon
// as it holds, false after `timeoutMs`.
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = 5000);

// The rectangle `window` has when neither minimised nor maximised, in screen pixels.
RECT NormalRect(HWND window);

// A bound key or button as the hook library reports it to `mainWindow`: the operation, pressed
// or released. Sent rather than posted, so that it has been handled when this returns.
void Operation(HWND mainWindow, int32_t operation, bool released = false);

// The main window's seek bar: the thumb, which the refresh timer keeps at the heard position,
// and the range's end, the file's length.
int32_t Thumb(HWND mainWindow);
int32_t SeekBarLength(HWND mainWindow);
// Waits until `low` <= thumb <= `high`; returns the last position read.
int32_t WaitForThumb(HWND mainWindow, int32_t low, int32_t high = INT32_MAX,
                     DWORD timeoutMs = 15000);
// The text of child control `id` of `window`.
std::string ControlText(HWND window, int id);
// Waits until `window`'s text reads `text`; returns the last text read.
std::string WaitForText(HWND window, const std::string &text, DWORD timeoutMs = 5000);

}  // namespace driver

#endif
