// The comm layer's installable hooks.
#include "platform/comm/comm_hooks.h"

#include <memory>
#include <mutex>

namespace {
// One hook: set from any thread, called from the ports' threads. A call runs on a copy taken
// under the lock, so a hook replaced meanwhile finishes its call.
template <class F>
class Hook {
public:
    void Set(std::function<F> f) {
        auto p = f ? std::make_shared<const std::function<F>>(std::move(f)) : nullptr;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fn.swap(p);
    }
    std::shared_ptr<const std::function<F>> Get() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_fn;
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const std::function<F>> m_fn;
};

Hook<int(DWORD, DWORD*)> g_modem;
Hook<void(DWORD)> g_write;
Hook<void()> g_lost;
}  // namespace

void SetCommModemHook(std::function<int(DWORD, DWORD*)> hook) { g_modem.Set(std::move(hook)); }
void SetCommWriteHook(std::function<void(DWORD)> hook) { g_write.Set(std::move(hook)); }
void SetCommDeviceLostHandler(std::function<void()> handler) { g_lost.Set(std::move(handler)); }

bool CallCommModemHook(DWORD dwFunc, DWORD* lpLines, int& result) {
    auto fn = g_modem.Get();
    if (!fn) return false;
    result = (*fn)(dwFunc, lpLines);
    return true;
}

void CallCommWriteHook(DWORD nBytes) {
    if (auto fn = g_write.Get()) (*fn)(nBytes);
}

void CallCommDeviceLostHandler() {
    if (auto fn = g_lost.Get()) (*fn)();
}
