// The program's use of HTML Help: initialised once for the process, it opens help.chm from the
// program's directory. hhctrl.ocx is loaded on first use; without it every call does nothing.
#ifndef PARLOMIX_HELP_VIEWER_H
#define PARLOMIX_HELP_VIEWER_H

#include <windows.h>

struct HelpViewer {
    wchar_t directory[MAX_PATH];
    wchar_t helpPath[MAX_PATH];

    HelpViewer();
    ~HelpViewer();
    HelpViewer(const HelpViewer &) = delete;
    HelpViewer &operator=(const HelpViewer &) = delete;

    // Opens help.chm at its default topic, owned by `owner`.
    void Show(HWND owner);
};

// The About box (dialog 123), modal, owned by `owner`.
void ShowAboutBox(HWND owner);

#endif
