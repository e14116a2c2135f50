// Main-thread delivery: a worker hands a request to the main thread and waits
// for it. The queue is global, guarded by a global lock; the main thread runs
// it when idle, when its application window gets WM_NULL, and wherever a
// waiting loop on the main thread asks for it (CheckSynchronize).
#pragma once

#include <windows.h>

#include <functional>

// The thread that started the program (the one that ran static initialisation).
DWORD MainThreadID();
bool IsMainThread();

// Runs `request` on the main thread and returns when it has run. Called on
// the main thread it runs at once. An exception raised by the request is
// raised again here, in the calling thread.
void Synchronize(const std::function<void()>& request);

// Runs every queued request, in the order queued. Returns whether there was
// any. Raises EThread when called from any thread but the main one.
bool CheckSynchronize();

// The global synchronisation event: set when a request is queued and when a
// run-time thread ends, reset when the main thread takes the queue. A wait on
// the main thread can wait on it too, to serve requests while it waits.
HANDLE SyncEvent();
void SignalSyncEvent();

// How a queued request wakes the main thread; the application posts WM_NULL
// to its own window. Without a wake-up the request waits for the next
// CheckSynchronize.
void SetWakeMainThread(std::function<void()> wake);
