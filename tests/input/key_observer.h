// Counts the key presses that the keyboard hooks installed after it pass on. A hook that
// swallows a key keeps it from the hooks installed before it, so an observer installed first
// sees exactly what reaches the focused program, wherever the focus is.
#ifndef PARLOMIX_TESTS_KEY_OBSERVER_H
#define PARLOMIX_TESTS_KEY_OBSERVER_H

#include <windows.h>

// Installs the observer on a thread of its own; true when it is in place.
bool StartKeyObserver();
void StopKeyObserver();
void ClearObservedKeys();
// Presses of `vkey` passed on since the last clear.
LONG ObservedKeyDowns(WORD vkey);

#endif
