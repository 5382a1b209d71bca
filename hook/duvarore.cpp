// duvarore.dll: the system-wide keyboard hook. A thread of the library's own installs a
// low-level keyboard hook and runs its message loop, so that keyboard input never waits on the
// program's GUI thread. Matched key combinations are posted to the program's window as the
// registered message ZT_Command; the decisions are the matcher's. The same thread hears of
// session locks and desktop switches, after which no held key's release will ever arrive.
#include <windows.h>
#include <wtsapi32.h>

#include <string.h>

#include "common/scoped_lock.h"
#include "hook/duvarore.h"
#include "hook/matcher.h"

// Posted by the hook to its own thread: send the mask key after a matched press with Alt or Win
// held, so that the lone release of Alt or Win does not open a menu or the Start menu.
static const UINT MASK_KEY_MESSAGE = WM_APP + 1;
// An unassigned virtual-key code; sent with this tag so the hook knows its own input.
static const WORD MASK_KEY = 0xE8;
static const ULONG_PTR MASK_KEY_TAG = 0x5A54484Bu;
static const DWORD STOP_WAIT_MS = 5000;

static HINSTANCE libraryInstance;

// Shared between the hook thread and the caller's thread, always under tableLock.
static CRITICAL_SECTION tableLock;
static KeyData keyRows[KEY_DATA_ROWS];
static MatcherState matcher;
static HWND targetWindow;
static UINT commandMessage;

// Touched only by the thread that calls SetHook and ResetHook.
static HANDLE hookThread;
static DWORD hookThreadId;
// Written by the hook thread before it signals that it is ready.
static volatile LONG hookInstalled;

static unsigned HeldModifiers(void) {
    unsigned held = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) held |= HELD_SHIFT;
    if (GetAsyncKeyState(VK_CONTROL) < 0) held |= HELD_CTRL;
    if (GetAsyncKeyState(VK_MENU) < 0) held |= HELD_ALT;
    if (GetAsyncKeyState(VK_LWIN) < 0 || GetAsyncKeyState(VK_RWIN) < 0) held |= HELD_WIN;
    return held;
}

static LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code != HC_ACTION) return CallNextHookEx(NULL, code, wParam, lParam);
    const KBDLLHOOKSTRUCT *event = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
    if ((event->flags & LLKHF_INJECTED) && event->dwExtraInfo == MASK_KEY_TAG) {
        return CallNextHookEx(NULL, code, wParam, lParam);
    }
    const int up = (event->flags & LLKHF_UP) != 0;
    const unsigned held = HeldModifiers();

    MatchResult result;
    {
        ScopedLock locked(&tableLock);
        result = MatchKeyEvent(&matcher, keyRows, KEY_DATA_ROWS, event->vkCode, up, held);
        // Posted under the lock, so that once ResetHook has cleared the window nothing more is
        // sent.
        if (result.report && targetWindow != NULL && commandMessage != 0) {
            uint32_t flags = KeyEventFlags(event->scanCode, (event->flags & LLKHF_EXTENDED) != 0,
                                           (event->flags & LLKHF_ALTDOWN) != 0, up);
            PostMessageA(targetWindow, commandMessage, static_cast<WPARAM>(result.operation),
                         static_cast<LPARAM>(flags));
        }
    }

    if (!result.swallow) return CallNextHookEx(NULL, code, wParam, lParam);
    if (result.report && !up && (held & (HELD_ALT | HELD_WIN))) {
        PostThreadMessageA(GetCurrentThreadId(), MASK_KEY_MESSAGE, 0, 0);
    }
    return 1;
}

// Reports the release of every key whose press was reported and forgets every key: called when
// the session is locked or unlocked or another desktop takes the input, since the hook sees no
// key event in between and a repeat started by a held key would otherwise run on.
static void ReleaseHeldKeys(void) {
    HeldRelease released[MATCHER_KEYS];
    ScopedLock lock(&tableLock);
    int count = ReleaseAllKeys(&matcher, released);
    if (targetWindow == NULL || commandMessage == 0) return;
    for (int i = 0; i < count; ++i) {
        UINT scanCode = MapVirtualKeyA(released[i].vkey, MAPVK_VK_TO_VSC);
        PostMessageA(targetWindow, commandMessage, static_cast<WPARAM>(released[i].operation),
                     static_cast<LPARAM>(KeyEventFlags(scanCode, 0, 0, 1)));
    }
}

static LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WTSSESSION_CHANGE &&
        (wParam == WTS_SESSION_LOCK || wParam == WTS_SESSION_UNLOCK ||
         wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT)) {
        ReleaseHeldKeys();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static void CALLBACK DesktopSwitchProc(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
    ReleaseHeldKeys();
}

// The hook thread's watch over the session: a message-only window registered for session
// changes, and a hook for desktop switches (a secure desktop, the lock screen). Either may be
// missing on a system that lacks it; the keyboard hook works without them.
struct SessionWatch {
    HWND window;
    bool registered;
    HWINEVENTHOOK desktopHook;
};

static SessionWatch StartSessionWatch(void) {
    SessionWatch watch = {NULL, false, NULL};
    WNDCLASSA windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = SessionWindowProc;
    windowClass.hInstance = libraryInstance;
    windowClass.lpszClassName = DUVARORE_SESSION_CLASS;
    RegisterClassA(&windowClass);
    watch.window = CreateWindowExA(0, DUVARORE_SESSION_CLASS, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                   libraryInstance, NULL);
    if (watch.window != NULL) {
        watch.registered =
            WTSRegisterSessionNotification(watch.window, NOTIFY_FOR_THIS_SESSION) != FALSE;
    }
    watch.desktopHook = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                        NULL, DesktopSwitchProc, 0, 0, WINEVENT_OUTOFCONTEXT);
    return watch;
}

static void StopSessionWatch(const SessionWatch &watch) {
    if (watch.desktopHook != NULL) UnhookWinEvent(watch.desktopHook);
    if (watch.registered) WTSUnRegisterSessionNotification(watch.window);
    if (watch.window != NULL) DestroyWindow(watch.window);
    // The class goes with the thread, so that a later SetHook registers it again.
    UnregisterClassA(DUVARORE_SESSION_CLASS, libraryInstance);
}

static void SendMaskKey(void) {
    INPUT inputs[2];
    memset(inputs, 0, sizeof inputs);
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = MASK_KEY;
        inputs[i].ki.dwExtraInfo = MASK_KEY_TAG;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// The hook thread holds a reference on the library (taken by SetHook) and drops it as it ends,
// so the code it runs cannot be unloaded under it.
static DWORD WINAPI HookThread(LPVOID readyEvent) {
    MSG msg;
    // The thread's message queue must exist before SetHook returns, or ResetHook's quit
    // message could be lost.
    PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, libraryInstance, 0);
    SessionWatch watch = {NULL, false, NULL};
    if (hook != NULL) watch = StartSessionWatch();
    hookInstalled = hook != NULL;
    SetEvent(static_cast<HANDLE>(readyEvent));
    if (hook != NULL) {
        while (GetMessageA(&msg, NULL, 0, 0) > 0) {
            if (msg.hwnd == NULL && msg.message == MASK_KEY_MESSAGE) {
                SendMaskKey();
                continue;
            }
            DispatchMessageA(&msg);
        }
        StopSessionWatch(watch);
        UnhookWindowsHookEx(hook);
    }
    FreeLibraryAndExitThread(libraryInstance, 0);
    return 0;
}

extern "C" void __stdcall SetHook(HWND window) {
    UINT message = RegisterWindowMessageA(ZT_COMMAND_NAME);
    {
        ScopedLock locked(&tableLock);
        targetWindow = window;
        commandMessage = message;
    }
    if (hookThread != NULL) return;

    {
        ScopedLock locked(&tableLock);
        ResetMatcher(&matcher);
    }

    HMODULE self = NULL;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&KeyboardProc), &self)) {
        return;
    }
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (ready == NULL) {
        FreeLibrary(self);
        return;
    }
    hookInstalled = 0;
    HANDLE thread = CreateThread(NULL, 0, HookThread, ready, 0, &hookThreadId);
    if (thread == NULL) {
        FreeLibrary(self);
        CloseHandle(ready);
        return;
    }
    HANDLE waits[2] = {ready, thread};
    DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    CloseHandle(ready);
    if (which != WAIT_OBJECT_0 || !hookInstalled) {
        WaitForSingleObject(thread, STOP_WAIT_MS);
        CloseHandle(thread);
        return;
    }
    hookThread = thread;
}

extern "C" void __stdcall CopyKeyRows(const KeyData *rows, int32_t count) {
    if (rows == NULL || count < 0) return;
    if (count > KEY_DATA_ROWS) count = KEY_DATA_ROWS;
    ScopedLock locked(&tableLock);
    memcpy(keyRows, rows, sizeof keyRows[0] * count);
    memset(keyRows + count, 0, sizeof keyRows[0] * (KEY_DATA_ROWS - count));
}

// A caller of this entry knows six rows and passes no more: reading further would take whatever
// follows its table for a binding.
extern "C" void __stdcall CopyKeyData(const KeyData *rows) {
    CopyKeyRows(rows, KEY_DATA_BASE_ROWS);
}

extern "C" void __stdcall ResetHook(void) {
    {
        ScopedLock locked(&tableLock);
        targetWindow = NULL;
    }
    if (hookThread == NULL) return;
    PostThreadMessageA(hookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(hookThread, STOP_WAIT_MS);
    CloseHandle(hookThread);
    hookThread = NULL;
    hookThreadId = 0;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        libraryInstance = instance;
        DisableThreadLibraryCalls(instance);
        InitializeCriticalSection(&tableLock);
    } else if (reason == DLL_PROCESS_DETACH) {
        // The hook thread keeps the library loaded, so no thread can be inside it here.
        DeleteCriticalSection(&tableLock);
    }
    return TRUE;
}
