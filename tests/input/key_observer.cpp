// The observing low-level keyboard hook: its own thread and message loop, so that it never waits
// on a test thread that sleeps or is busy.
#include "tests/input/key_observer.h"

static volatile LONG keyDowns[256];
static HANDLE observerThread;
static DWORD observerThreadId;
static volatile LONG observerInstalled;

static LRESULT CALLBACK ObserveKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const KBDLLHOOKSTRUCT *event = reinterpret_cast<const KBDLLHOOKSTRUCT *>(lParam);
        if (!(event->flags & LLKHF_UP) && event->vkCode < 256) {
            InterlockedIncrement(&keyDowns[event->vkCode]);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static DWORD WINAPI ObserverThread(LPVOID ready) {
    MSG msg;
    PeekMessageA(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE);
    HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, ObserveKey, GetModuleHandleA(NULL), 0);
    observerInstalled = hook != NULL;
    SetEvent(static_cast<HANDLE>(ready));
    if (hook == NULL) return 1;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
    UnhookWindowsHookEx(hook);
    return 0;
}

bool StartKeyObserver() {
    if (observerThread != NULL) return true;
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    observerInstalled = 0;
    observerThread = CreateThread(NULL, 0, ObserverThread, ready, 0, &observerThreadId);
    if (observerThread == NULL) {
        CloseHandle(ready);
        return false;
    }
    WaitForSingleObject(ready, 5000);
    CloseHandle(ready);
    if (!observerInstalled) {
        WaitForSingleObject(observerThread, 5000);
        CloseHandle(observerThread);
        observerThread = NULL;
        return false;
    }
    return true;
}

void StopKeyObserver() {
    if (observerThread == NULL) return;
    PostThreadMessageA(observerThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(observerThread, 5000);
    CloseHandle(observerThread);
    observerThread = NULL;
}

void ClearObservedKeys() {
    for (volatile LONG &count : keyDowns) InterlockedExchange(&count, 0);
}

LONG ObservedKeyDowns(WORD vkey) { return vkey < 256 ? keyDowns[vkey] : 0; }
