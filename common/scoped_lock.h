// A critical section held for exactly one scope, so that no early return can leave it entered.
// Shared by the program and both libraries; it holds nothing but the section's address.
#ifndef PARLOMIX_COMMON_SCOPED_LOCK_H
#define PARLOMIX_COMMON_SCOPED_LOCK_H

#include <windows.h>

struct ScopedLock {
    CRITICAL_SECTION *section;

    explicit ScopedLock(CRITICAL_SECTION *held) : section(held) { EnterCriticalSection(section); }
    ~ScopedLock() { LeaveCriticalSection(section); }
    ScopedLock(const ScopedLock &) = delete;
    ScopedLock &operator=(const ScopedLock &) = delete;
};

#endif
