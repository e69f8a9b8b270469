// Gathering a trickle. A stream that arrives in small pieces is taken in larger ones, so that
// fewer, larger deliveries reach the window. The port's own reader takes the whole pause, at
// most one refresh of the display (30 ms): each of its pieces wakes the thread that hands
// received bytes to the window once, and that thread hands them over at once, so a steady
// stream wakes each thread about once a refresh. The first bytes after a silence go at once.
#pragma once
#include <cstddef>

#include "platform/core/wintypes.h"

// A read or a delivery of fewer bytes than this is a trickle.
constexpr size_t kCommTrickleBytes = 4096;
// The whole pause, and the reader's share of it.
constexpr DWORD kCommGatherMs = 30;
constexpr DWORD kCommReaderGatherMs = kCommGatherMs;

// How long the port's reader waits after a wake-up that brought n bytes.
inline DWORD CommReaderPauseMs(size_t n) { return n < kCommTrickleBytes ? kCommReaderGatherMs : 0; }
// How long the delivering thread waits after handing over n bytes: what the reader leaves of
// the pause.
inline DWORD CommDeliveryPauseMs(size_t n) {
    return n < kCommTrickleBytes ? kCommGatherMs - kCommReaderGatherMs : 0;
}
