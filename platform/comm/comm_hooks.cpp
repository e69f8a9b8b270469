// The comm layer's installable hooks.
#include "platform/comm/comm_hooks.h"

#include "platform/core/hook.h"

namespace {
Hook<int(DWORD, DWORD*)> g_modem;
Hook<void(DWORD)> g_write;
Hook<void()> g_lost;
}  // namespace

void SetCommModemHook(std::function<int(DWORD, DWORD*)> hook) { g_modem.Install(std::move(hook)); }
void SetCommWriteHook(std::function<void(DWORD)> hook) { g_write.Install(std::move(hook)); }
void SetCommDeviceLostHandler(std::function<void()> handler) { g_lost.Install(std::move(handler)); }

bool CallCommModemHook(DWORD dwFunc, DWORD* lpLines, int& result) {
    auto fn = g_modem.Get();
    if (!fn) return false;
    result = fn(dwFunc, lpLines);
    return true;
}

void CallCommWriteHook(DWORD nBytes) {
    if (auto fn = g_write.Get()) fn(nBytes);
}

void CallCommDeviceLostHandler() {
    if (auto fn = g_lost.Get()) fn();
}
