// Keyboard input for tests: keys sent with SendInput, as a user's keyboard would.
#ifndef PARLOMIX_TEST_KEYS_H
#define PARLOMIX_TEST_KEYS_H

#include <windows.h>

#include "tests/driver/driver.h"

namespace driver {

// One key going down or up (arrows, Insert and Delete as extended keys), then a pump of
// `settleMs` so hooks and windows see it. Returns false when SendInput refused it.
bool SendKey(WORD vkey, bool up, DWORD settleMs = 20);

}  // namespace driver

#endif
