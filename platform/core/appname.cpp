// The application's name.
#include "platform/core/appname.h"

#include <atomic>

namespace {
std::atomic<LPCSTR> g_appName{nullptr};
}  // namespace

LPCSTR AfxGetAppName() {
    LPCSTR name = g_appName.load();
    return name ? name : "";
}

void AfxSetAppName(LPCSTR lpszAppName) { g_appName = lpszAppName; }
