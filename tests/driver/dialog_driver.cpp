// The dialog additions of the test driver. List view messages carry pointers, so they are sent
// with records placed in the other process's memory.
#include "tests/driver/dialog_driver.h"

#include <commctrl.h>
#include <string.h>

#include "tests/driver/driver.h"

namespace driver {

HWND WaitForDialog(DWORD pid, const char *title, HWND owner, DWORD timeoutMs) {
    HWND found = NULL;
    WaitUntil(
        [&] {
            found = FindTopWindow(pid, [&](HWND window) {
                if (!IsWindowVisible(window) || !HasClass(window, "#32770")) return false;
                return title ? WindowText(window) == title : GetWindow(window, GW_OWNER) == owner;
            });
            return found != NULL;
        },
        timeoutMs);
    return found;
}

struct WindowList {
    DWORD pid;
    std::vector<HWND> windows;
};

static BOOL CALLBACK ListWindowsProc(HWND window, LPARAM lParam) {
    WindowList *list = (WindowList *)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == list->pid && IsWindowVisible(window)) list->windows.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid) {
    WindowList list = {pid, {}};
    EnumWindows(ListWindowsProc, (LPARAM)&list);
    return list.windows;
}

struct ChildSearch {
    const std::string *text;
    HWND found;
};

static BOOL CALLBACK FindChildProc(HWND window, LPARAM lParam) {
    ChildSearch *search = (ChildSearch *)lParam;
    if (WindowText(window) != *search->text) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindChildByText(HWND parent, const std::string &text) {
    ChildSearch search = {&text, NULL};
    EnumChildWindows(parent, FindChildProc, (LPARAM)&search);
    return search.found;
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

// A block of memory in the process that owns `window`, for one message's record.
class RemoteBlock {
  public:
    RemoteBlock(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        DWORD access = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;
        process_ = OpenProcess(access, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, NULL, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBlock(const RemoteBlock &) = delete;
    RemoteBlock &operator=(const RemoteBlock &) = delete;

    bool ok() const { return address_ != NULL; }
    char *address() const { return (char *)address_; }
    bool Write(const void *data, size_t size, size_t at = 0) {
        return at + size <= size_ && WriteProcessMemory(process_, address() + at, data, size, NULL);
    }
    bool Read(void *data, size_t size, size_t at = 0) {
        return at + size <= size_ && ReadProcessMemory(process_, address() + at, data, size, NULL);
    }

  private:
    HANDLE process_ = NULL;
    void *address_ = NULL;
    size_t size_;
};

int ListViewCount(HWND list) { return (int)Send(list, LVM_GETITEMCOUNT); }

std::string ListViewText(HWND list, int item, int column) {
    enum { TEXT = 1024 };
    RemoteBlock block(list, sizeof(LVITEMA) + TEXT);
    if (!block.ok()) return "(no remote memory)";
    LVITEMA lvItem;
    memset(&lvItem, 0, sizeof lvItem);
    lvItem.iSubItem = column;
    lvItem.pszText = block.address() + sizeof(LVITEMA);
    lvItem.cchTextMax = TEXT;
    char text[TEXT] = "";
    block.Write(&lvItem, sizeof lvItem);
    block.Write(text, 1, sizeof(LVITEMA));
    Send(list, LVM_GETITEMTEXTA, (WPARAM)item, (LPARAM)block.address());
    block.Read(text, TEXT, sizeof(LVITEMA));
    text[TEXT - 1] = '\0';
    return text;
}

bool ListViewRowRect(HWND list, int item, RECT *rect) {
    RemoteBlock block(list, sizeof(RECT));
    RECT request = {LVIR_BOUNDS, 0, 0, 0};
    if (!block.ok() || !block.Write(&request, sizeof request)) return false;
    if (!Send(list, LVM_GETITEMRECT, (WPARAM)item, (LPARAM)block.address())) return false;
    return block.Read(rect, sizeof *rect);
}

int ListViewSelected(HWND list) {
    return (int)Send(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

void Click(HWND window, int x, int y) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

void PostKey(HWND window, WORD vkey) {
    UINT scan = MapVirtualKeyA(vkey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, vkey, 1 | scan << 16);
    PostMessageA(window, WM_KEYUP, vkey, 1 | scan << 16 | 3u << 30);
}

}  // namespace driver
