// The layer's own view of handles: every HANDLE names a KernelObject held in a table, so a
// closed or unknown handle is refused instead of being followed. Layer sources only.
#pragma once
#include <memory>

#include "platform/core/wintypes.h"

struct KernelObject {
    virtual ~KernelObject() = default;
    // A descriptor that polls readable while the object is signalled; -1 if not waitable.
    virtual int WaitFd() const { return -1; }
    // Called once a wait has seen WaitFd readable: takes the signal (auto-reset events) and
    // returns false if another waiter took it first.
    virtual bool Acquire() { return true; }
    // Called by CloseHandle before the handle is dropped: wakes calls still running on the
    // object so that they return soon.
    virtual void OnClose() {}
};

HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> pObject);
std::shared_ptr<KernelObject> LookupKernelObject(HANDLE h);
// Takes the object out of the table (CloseHandle); nullptr for a handle that names none.
std::shared_ptr<KernelObject> UnregisterKernelObject(HANDLE h);

template <class T>
std::shared_ptr<T> LookupKernelObjectAs(HANDLE h) {
    return std::dynamic_pointer_cast<T>(LookupKernelObject(h));
}
