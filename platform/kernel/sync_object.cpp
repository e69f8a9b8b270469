// The table of kernel objects behind HANDLEs.
#include "platform/kernel/sync_object.h"

#include <mutex>
#include <unordered_map>

namespace {
std::mutex g_handleMutex;
std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>& HandleTable() {
    static auto* table = new std::unordered_map<HANDLE, std::shared_ptr<KernelObject>>;
    return *table;
}
}  // namespace

HANDLE RegisterKernelObject(std::shared_ptr<KernelObject> pObject) {
    HANDLE h = pObject.get();
    std::lock_guard<std::mutex> lock(g_handleMutex);
    HandleTable()[h] = std::move(pObject);
    return h;
}

std::shared_ptr<KernelObject> LookupKernelObject(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = HandleTable().find(h);
    return it == HandleTable().end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> UnregisterKernelObject(HANDLE h) {
    std::lock_guard<std::mutex> lock(g_handleMutex);
    auto it = HandleTable().find(h);
    if (it == HandleTable().end()) return nullptr;
    std::shared_ptr<KernelObject> p = std::move(it->second);
    HandleTable().erase(it);
    return p;
}
