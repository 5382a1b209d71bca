// SendInput with scan codes and the extended flag where a real keyboard sets it.
#include "tests/driver/keys.h"

#include <string.h>

namespace driver {

static bool IsExtendedKey(WORD vkey) {
    return (vkey >= VK_PRIOR && vkey <= VK_DOWN) || vkey == VK_INSERT || vkey == VK_DELETE;
}

bool SendKey(WORD vkey, bool up, DWORD settleMs) {
    INPUT input;
    memset(&input, 0, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vkey;
    input.ki.wScan = WORD(MapVirtualKeyA(vkey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags =
        (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vkey) ? KEYEVENTF_EXTENDEDKEY : 0);
    bool sent = SendInput(1, &input, sizeof input) == 1;
    Pump(settleMs);
    return sent;
}

}  // namespace driver
