// The monotonic milliseconds the comm layer's time-outs count in (layer-internal).
#pragma once
#include <time.h>

#include <algorithm>
#include <cstdint>

inline int64_t CommNowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// Milliseconds until deadline, for poll: -1 for no deadline (a negative one), never below 0.
inline int CommMsLeft(int64_t deadline) {
    return deadline < 0
               ? -1
               : (int)std::max<int64_t>(0, std::min<int64_t>(deadline - CommNowMs(), 1 << 30));
}
