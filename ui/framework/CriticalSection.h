#pragma once

#include <windows.h>

// A lock for state shared between our threads. It is a critical section, which every
// Windows we run on has, so the program needs no threading runtime of the compiler's
// (the Windows 2000 build's runtime has no std::mutex). Use it with std::lock_guard.
class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CCriticalSection() { DeleteCriticalSection(&m_cs); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void lock() { EnterCriticalSection(&m_cs); }
    void unlock() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};
