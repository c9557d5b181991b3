#pragma once

// Threads. Each CreateThread starts one POSIX thread; its handle is a waitable kernel object
// that becomes signalled when the thread ends, and closing the handle does not end the
// thread. A thread created suspended waits at its start until ResumeThread brings its suspend
// count to 0. Linux cannot stop a running thread from outside, so SuspendThread of another
// running thread fails with ERROR_NOT_SUPPORTED; a thread may suspend itself. Priorities are
// stored and reported but do not change scheduling. Any thread.

#include "platform/kernel/WinTypes.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STACK_SIZE_PARAM_IS_A_RESERVATION = 0x00010000;
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress,
                    LPVOID parameter, DWORD creationFlags, DWORD* threadId);
// Returns the previous suspend count, or (DWORD)-1 on failure.
DWORD ResumeThread(HANDLE thread);
DWORD SuspendThread(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
// Ends the calling thread through a forced unwind: destructors run, and a catch (...) that
// swallows the unwind instead of rethrowing it ends the process.
[[noreturn]] void ExitThread(DWORD exitCode);
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

// Small ids, unique among the live threads of the process and stable for a thread's life;
// never 0.
DWORD GetCurrentThreadId();
// A pseudo handle that means "the calling thread" wherever a thread handle is taken.
HANDLE GetCurrentThread();
