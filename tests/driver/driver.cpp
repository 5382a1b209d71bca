// Implementation of the test driver over plain Win32 calls.
#include "tests/driver/driver.h"

#include <commctrl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <functional>

#include "res/resource.h"

namespace driver {

std::string Env(const char *name) {
    const char *v = getenv(name);
    return v ? v : "";
}

std::string UnixToWindows(const std::string &unixPath) {
    std::string out = "Z:";
    for (char c : unixPath) out += c == '/' ? '\\' : c;
    return out;
}

std::string DistFolder() { return UnixToWindows(Env("PARLOMIX_DIST")); }
std::string SourceFolder() { return UnixToWindows(Env("PARLOMIX_SOURCE")); }

static void MakeFolders(const std::string &path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), NULL);
    }
}

// By Unicode names, so that a test's files of any name go too.
static void RemoveTree(const std::wstring &path) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

std::string WorkFolder(const std::string &sub) {
    std::string base = UnixToWindows(Env("PARLOMIX_WORK"));
    if (base == "Z:") {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        base = std::string(temp) + "parlomix-test";
    }
    std::string folder = base + "\\" + sub;
    RemoveTree(Widen(folder));
    MakeFolders(folder);
    return folder;
}

std::string Install(const std::string &sub) {
    std::string folder = WorkFolder(sub);
    std::string dist = DistFolder();
    for (const char *name : {"Parlomix.exe", "vbmp3.dll", "duvarore.dll", "help.chm"}) {
        CopyFileA((dist + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE);
    }
    return folder;
}

bool FileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<unsigned char> ReadBytes(const std::string &path) {
    std::vector<unsigned char> bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    return bytes;
}

bool WriteBytes(const std::string &path, const void *data, size_t size) {
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

void Sleep(DWORD ms) { ::Sleep(ms); }

void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, ms - spent, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Pump(20);
    }
}

RECT NormalRect(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

void Operation(HWND mainWindow, int32_t operation, bool released) {
    static const UINT ztCommand = RegisterWindowMessageA("ZT_Command");
    Send(mainWindow, ztCommand, (WPARAM)operation, released ? (LPARAM)0x80000000 : 0);
}

int32_t Thumb(HWND mainWindow) {
    return (int32_t)Send(GetDlgItem(mainWindow, IDC_SEEK_BAR), TBM_GETPOS);
}

int32_t SeekBarLength(HWND mainWindow) {
    return (int32_t)Send(GetDlgItem(mainWindow, IDC_SEEK_BAR), TBM_GETRANGEMAX);
}

int32_t WaitForThumb(HWND mainWindow, int32_t low, int32_t high, DWORD timeoutMs) {
    int32_t thumb = Thumb(mainWindow);
    WaitUntil(
        [&] {
            thumb = Thumb(mainWindow);
            return thumb >= low && thumb <= high;
        },
        timeoutMs);
    return thumb;
}

std::string ControlText(HWND window, int id) { return WindowText(GetDlgItem(window, id)); }

std::string WaitForText(HWND window, const std::string &text, DWORD timeoutMs) {
    std::string seen;
    WaitUntil(
        [&] {
            seen = WindowText(window);
            return seen == text;
        },
        timeoutMs);
    return seen;
}

std::string WindowText(HWND window) {
    char text[1024] = "";
    // WM_GETTEXT rather than GetWindowText, which does not ask windows of other processes.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 5000,
                        NULL);
    return text;
}

struct WindowSearch {
    DWORD pid;
    const std::function<bool(HWND)> *matches;
    HWND found;
};

static BOOL CALLBACK FindWindowProc(HWND window, LPARAM lParam) {
    WindowSearch *search = (WindowSearch *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !(*search->matches)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopWindow(DWORD pid, const std::function<bool(HWND)> &matches) {
    WindowSearch search = {pid, &matches, NULL};
    EnumWindows(FindWindowProc, (LPARAM)&search);
    return search.found;
}

bool HasClass(HWND window, const char *className) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, className) == 0;
}

// A message box: a visible dialog whose static text has the id 0xFFFF.
static HWND FindBox(DWORD pid) {
    return FindTopWindow(pid, [](HWND window) {
        return IsWindowVisible(window) && HasClass(window, "#32770") &&
               GetDlgItem(window, 0xFFFF) != NULL;
    });
}

static Box ReadBox(HWND window) {
    Box box;
    box.window = window;
    box.title = WindowText(window);
    box.text = WindowText(GetDlgItem(window, 0xFFFF));
    return box;
}

bool WaitForBox(DWORD pid, Box *box, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindBox(pid);
        if (window) {
            *box = ReadBox(window);
            return true;
        }
        if (GetTickCount() - start > timeoutMs) return false;
        ::Sleep(50);
    }
}

void AnswerBox(const Box &box, int buttonId) {
    PostMessageA(box.window, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 (LPARAM)GetDlgItem(box.window, buttonId));
    // Wait until the box is gone, so the next search does not find it again.
    DWORD start = GetTickCount();
    while (IsWindow(box.window) && IsWindowVisible(box.window) && GetTickCount() - start < 5000)
        ::Sleep(20);
}

HWND FindMainWindow(DWORD pid, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = FindTopWindow(pid, [](HWND window) { return HasClass(window, "Parlomix"); });
        if (found) return found;
        if (GetTickCount() - start > timeoutMs) return NULL;
        ::Sleep(50);
    }
}

std::vector<Box> AnswerBoxesUntilQuiet(DWORD pid, DWORD quietMs, DWORD timeoutMs) {
    std::vector<Box> boxes;
    DWORD start = GetTickCount();
    DWORD lastEvent = start;
    while (GetTickCount() - start < timeoutMs) {
        HWND box = FindBox(pid);
        if (box) {
            boxes.push_back(ReadBox(box));
            AnswerBox(boxes.back());
            lastEvent = GetTickCount();
            continue;
        }
        HWND main = FindMainWindow(pid, 0);
        if (main && IsWindowVisible(main) && GetTickCount() - lastEvent >= quietMs) break;
        ::Sleep(50);
    }
    return boxes;
}

std::wstring Widen(const std::string &text) {
    wchar_t wide[4 * MAX_PATH] = L"";
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 4 * MAX_PATH);
    return wide;
}

bool Start(const std::wstring &folder, const std::wstring &arguments, Program *program) {
    std::wstring exe = folder + L"\\Parlomix.exe";
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    program->window = NULL;
    program->exitCode = -1;
    if (!CreateProcessW(exe.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                        &startup, &program->process))
        return false;
    WaitForInputIdle(program->process.hProcess, 10000);
    return true;
}

bool Start(const std::string &folder, const std::string &arguments, Program *program) {
    program->folder = folder;
    return Start(Widen(folder), Widen(arguments), program);
}

int WaitForExit(Program *program, DWORD timeoutMs) {
    if (!program->process.hProcess) return program->exitCode;
    if (WaitForSingleObject(program->process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        Kill(program);
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(program->process.hProcess, &code);
    CloseHandle(program->process.hProcess);
    CloseHandle(program->process.hThread);
    program->process = PROCESS_INFORMATION();
    program->exitCode = (int)code;
    return program->exitCode;
}

std::vector<Box> Close(Program *program, DWORD timeoutMs) {
    std::vector<Box> boxes;
    HWND window =
        program->window ? program->window : FindMainWindow(program->process.dwProcessId, 2000);
    if (window) PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (program->process.hProcess &&
           WaitForSingleObject(program->process.hProcess, 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            Kill(program);
            return boxes;
        }
        HWND box = FindBox(program->process.dwProcessId);
        if (box) {
            boxes.push_back(ReadBox(box));
            AnswerBox(boxes.back());
        }
    }
    WaitForExit(program, 1000);
    return boxes;
}

void Kill(Program *program) {
    if (!program->process.hProcess) return;
    TerminateProcess(program->process.hProcess, 99);
    WaitForSingleObject(program->process.hProcess, 5000);
    CloseHandle(program->process.hProcess);
    CloseHandle(program->process.hThread);
    program->process = PROCESS_INFORMATION();
}

std::vector<Box> StartAndSettle(const std::wstring &folder, const std::wstring &arguments,
                                Program *program) {
    if (!Start(folder, arguments, program)) return {};
    std::vector<Box> boxes = AnswerBoxesUntilQuiet(program->process.dwProcessId);
    program->window = FindMainWindow(program->process.dwProcessId, 5000);
    return boxes;
}

std::vector<Box> StartAndSettle(const std::string &folder, const std::string &arguments,
                                Program *program) {
    if (!Start(folder, arguments, program)) return {};
    std::vector<Box> boxes = AnswerBoxesUntilQuiet(program->process.dwProcessId);
    program->window = FindMainWindow(program->process.dwProcessId, 5000);
    return boxes;
}

std::vector<std::string> BoxTexts(const std::vector<Box> &boxes) {
    std::vector<std::string> texts;
    for (const Box &b : boxes) texts.push_back(b.title + "|" + b.text);
    return texts;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return (LRESULT)result;
}

}  // namespace driver
