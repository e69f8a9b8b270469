// Connecting to a network port, for the comm layer's own use.
#pragma once
#include "platform/ports/neturl.h"

// How long connecting, the name lookup included, may take.
constexpr int kCommNetConnectMs = 4000;

// A connected, non-blocking socket to address, or -1 with errno set (ETIMEDOUT when the time
// ran out, ECONNREFUSED, EHOSTUNREACH..., or ENOENT for a name that does not resolve).
int CommNetConnect(const NetPortAddress& address, int timeoutMs);
