#include "platform/ui/timer.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/ui/clock.h"

namespace {

struct TimerEntry {
    UINT period;
    int64_t due;
    std::function<void()> fire;
    bool busy = false;  // its handler runs (perhaps in a modal loop): not fired again meanwhile
};

using TimerKey = std::pair<HWND, UINT_PTR>;

struct Timers {
    std::map<TimerKey, TimerEntry> entries;
    unsigned clockChanges = 0;  // the due times are on the clock in place after this many
};

Timers& T() {
    static Timers t;
    if (t.clockChanges != ClockChanges()) {  // another clock was put in place
        t.entries.clear();
        t.clockChanges = ClockChanges();
    }
    return t;
}

int64_t Now() { return CurrentClock().NowMs(); }

void FireDue();

// Asks the clock to wake the timers when the earliest one that is not running is due.
void Reschedule() {
    Timers& t = T();
    if (t.entries.empty()) {
        CurrentClock().CancelWake();
        return;
    }
    int64_t next = INT64_MAX;
    for (auto& kv : t.entries)
        if (!kv.second.busy) next = std::min(next, kv.second.due);
    if (next == INT64_MAX) return;
    CurrentClock().WakeAt(next, [] { FireDue(); });
}

// One pass: fires each timer that is due at the pass's start once, earliest first. A timer's
// next due time is one period after it fired, so late timers do not pile up. A timer that is
// due again when its handler returns waits for the next pass, which comes only after the event
// loop has handled what is waiting: ticks never starve input, however slow their handlers.
void FireDue() {
    Timers& t = T();
    const int64_t now = Now();
    std::vector<std::pair<int64_t, TimerKey>> due;
    for (auto& kv : t.entries)
        if (!kv.second.busy && kv.second.due <= now) due.push_back({kv.second.due, kv.first});
    std::sort(due.begin(), due.end());
    for (auto& d : due) {
        auto it = t.entries.find(d.second);  // an earlier handler may have killed or reset it
        if (it == t.entries.end() || it->second.busy || it->second.due > now) continue;
        it->second.due = Now() + it->second.period;
        it->second.busy = true;
        std::function<void()> fire = it->second.fire;  // the handler may kill or reset it
        fire();
        auto again = t.entries.find(d.second);
        if (again != t.entries.end()) again->second.busy = false;
    }
    Reschedule();
}

}  // namespace

namespace kvimpl {

void StartTimer(HWND hWnd, UINT_PTR nID, UINT nPeriod, std::function<void()> fire) {
    UINT period = std::max<UINT>(nPeriod, 10);  // the platform's minimum period
    TimerEntry& e = T().entries[{hWnd, nID}];
    e.period = period;
    e.due = Now() + period;
    e.fire = std::move(fire);
    Reschedule();
}

bool StopTimer(HWND hWnd, UINT_PTR nID) {
    bool found = T().entries.erase({hWnd, nID}) > 0;
    Reschedule();
    return found;
}

void StopAllTimers(HWND hWnd) {
    auto& e = T().entries;
    for (auto it = e.begin(); it != e.end();)
        it = it->first.first == hWnd ? e.erase(it) : std::next(it);
    Reschedule();
}

int64_t TimerPeriod(HWND hWnd, UINT_PTR nID) {
    auto& e = T().entries;
    auto it = e.find({hWnd, nID});
    return it == e.end() ? int64_t{-1} : int64_t{it->second.period};
}

}  // namespace kvimpl
