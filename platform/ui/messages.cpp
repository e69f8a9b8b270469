// The window registry and messages between threads: handles, sent and posted messages,
// broadcasts, and the UI thread's turn at them.
#include "platform/ui/messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/ui/timer.h"
#include "platform/ui/window_p.h"

namespace {

struct SentMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Registry {
    std::mutex mutex;
    std::condition_variable sentDone;
    std::unordered_map<uintptr_t, CWnd*> windows;
    uintptr_t nextHandle = 0x10010;
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<MSG> posted;
    bool wakePending = false;
};

Registry& R() {
    static Registry* r = new Registry;  // lives for the whole process, threads may outlive main
    return *r;
}

void WakeUiThreadLocked();
const int kSentBudgetMs = 8;

// Receives the wake-up event on the UI thread and runs what is queued.
class Waker : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User + 17) return QObject::event(e);
        {
            std::lock_guard<std::mutex> lock(R().mutex);
            R().wakePending = false;
        }
        // A port streaming at full speed keeps sending; after a few milliseconds of its
        // messages the event loop gets its turn (timers, input, painting), then the rest.
        kvimpl::ProcessSentMessages(kSentBudgetMs);
        {
            std::lock_guard<std::mutex> lock(R().mutex);
            if (!R().sent.empty()) WakeUiThreadLocked();
        }
        // Posted messages: take those queued now; later ones come with the next wake-up.
        std::deque<MSG> batch;
        {
            std::lock_guard<std::mutex> lock(R().mutex);
            batch.swap(R().posted);
        }
        for (const MSG& m : batch) DispatchMessage(&m);  // broadcasts included
        return true;
    }
};

Waker* TheWaker() {
    static Waker* w = nullptr;
    if (!w && QCoreApplication::instance()) {
        w = new Waker;
        w->moveToThread(QCoreApplication::instance()->thread());
    }
    return w;
}

// Caller holds the mutex.
void WakeUiThreadLocked() {
    if (R().wakePending) return;
    Waker* w = TheWaker();
    if (!w) return;
    R().wakePending = true;
    QCoreApplication::postEvent(w, new QEvent(QEvent::Type(QEvent::User + 17)));
}

}  // namespace

namespace kvimpl {

bool IsUiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

HWND RegisterWindow(CWnd* pWnd) {
    TheWaker();
    std::lock_guard<std::mutex> lock(R().mutex);
    uintptr_t h = R().nextHandle;
    R().nextHandle += 4;
    R().windows[h] = pWnd;
    return reinterpret_cast<HWND>(h);
}

void ReassignWindow(HWND hWnd, CWnd* pWnd) {
    std::lock_guard<std::mutex> lock(R().mutex);
    auto it = R().windows.find(reinterpret_cast<uintptr_t>(hWnd));
    if (it != R().windows.end()) it->second = pWnd;
}

void UnregisterWindow(HWND hWnd) {
    if (!hWnd) return;
    if (IsUiThread()) StopAllTimers(hWnd);  // timers of a window end with it
    std::lock_guard<std::mutex> lock(R().mutex);
    R().windows.erase(reinterpret_cast<uintptr_t>(hWnd));
    // Senders waiting on this window get their answer now: it is gone.
    bool any = false;
    for (auto it = R().sent.begin(); it != R().sent.end();) {
        if ((*it)->hwnd == hWnd) {
            (*it)->done = true;
            it = R().sent.erase(it);
            any = true;
        } else {
            ++it;
        }
    }
    for (auto it = R().posted.begin(); it != R().posted.end();) {
        it = it->hwnd == hWnd ? R().posted.erase(it) : it + 1;
    }
    if (any) R().sentDone.notify_all();
}

CWnd* LookupWindow(HWND hWnd) {
    std::lock_guard<std::mutex> lock(R().mutex);
    auto it = R().windows.find(reinterpret_cast<uintptr_t>(hWnd));
    return it == R().windows.end() ? nullptr : it->second;
}

void ProcessSentMessages(int nBudgetMs) {
    // Either the messages waiting now (a sender answered at once sends its next message
    // later, so a pump like ClosePort's always gets back), or as many as fit in the budget.
    size_t nLeft;
    {
        std::lock_guard<std::mutex> lock(R().mutex);
        nLeft = nBudgetMs < 0 ? R().sent.size() : SIZE_MAX;
    }
    QElapsedTimer clock;
    clock.start();
    for (; nLeft > 0; --nLeft) {
        if (nBudgetMs >= 0 && clock.elapsed() >= nBudgetMs) return;
        std::shared_ptr<SentMessage> m;
        CWnd* target = nullptr;
        {
            std::lock_guard<std::mutex> lock(R().mutex);
            if (R().sent.empty()) return;
            m = R().sent.front();
            R().sent.pop_front();
            auto it = R().windows.find(reinterpret_cast<uintptr_t>(m->hwnd));
            if (it != R().windows.end()) target = it->second;
        }
        LRESULT result = target ? Dispatch(target, m->msg, m->wParam, m->lParam) : 0;
        {
            std::lock_guard<std::mutex> lock(R().mutex);
            m->result = result;
            m->done = true;
        }
        R().sentDone.notify_all();
    }
}

}  // namespace kvimpl

LRESULT SendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (kvimpl::IsUiThread()) {
        CWnd* p = kvimpl::LookupWindow(hWnd);
        return p ? kvimpl::Dispatch(p, msg, wParam, lParam) : 0;
    }
    auto m = std::make_shared<SentMessage>();
    m->hwnd = hWnd;
    m->msg = msg;
    m->wParam = wParam;
    m->lParam = lParam;
    std::unique_lock<std::mutex> lock(R().mutex);
    if (!R().windows.count(reinterpret_cast<uintptr_t>(hWnd)) || !TheWaker()) return 0;
    R().sent.push_back(m);
    WakeUiThreadLocked();
    R().sentDone.wait(lock, [&] { return m->done; });
    return m->result;
}

BOOL PostMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(R().mutex);
    if (!R().windows.count(reinterpret_cast<uintptr_t>(hWnd))) return FALSE;
    R().posted.push_back(MSG{hWnd, msg, wParam, lParam});
    WakeUiThreadLocked();
    return TRUE;
}

// A broadcast is queued once and fanned out on the UI thread, which alone may look at the
// windows' widgets.
const HWND kBroadcast = reinterpret_cast<HWND>(0xFFFF);

void BroadcastToTopLevelWindows(UINT msg, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> lock(R().mutex);
    R().posted.push_back(MSG{kBroadcast, msg, wParam, lParam});
    WakeUiThreadLocked();
}

namespace {
void DispatchBroadcast(const MSG& m) {
    std::vector<HWND> handles;
    {
        std::lock_guard<std::mutex> lock(R().mutex);
        for (auto& kv : R().windows) handles.push_back(reinterpret_cast<HWND>(kv.first));
    }
    for (HWND h : handles) {
        CWnd* w = kvimpl::LookupWindow(h);
        if (w && kvimpl::IsTopLevel(w)) kvimpl::Dispatch(w, m.message, m.wParam, m.lParam);
    }
}
}  // namespace

BOOL PeekMessage(MSG* pMsg, HWND hWnd, UINT, UINT, UINT wRemoveMsg) {
    // Sent messages run here, as the platform does; user input is not taken, so a handler
    // that pumps this way is not re-entered by clicks.
    kvimpl::ProcessSentMessages();
    std::lock_guard<std::mutex> lock(R().mutex);
    for (auto it = R().posted.begin(); it != R().posted.end(); ++it) {
        if (!hWnd || it->hwnd == hWnd) {
            *pMsg = *it;
            if (wRemoveMsg & PM_REMOVE) R().posted.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* pMsg) {
    if (pMsg->hwnd == kBroadcast) {
        DispatchBroadcast(*pMsg);
        return 0;
    }
    CWnd* p = kvimpl::LookupWindow(pMsg->hwnd);
    return p ? kvimpl::Dispatch(p, pMsg->message, pMsg->wParam, pMsg->lParam) : 0;
}
