// Connecting to a network port, for the comm layer's own use.
#pragma once
#include "platform/ports/neturl.h"

// How long connecting, the name lookup included, may take.
constexpr int kCommNetConnectMs = 4000;

// A connected, non-blocking socket to address, or -1 with errno set (ETIMEDOUT when the time
// ran out, ECONNREFUSED, EHOSTUNREACH..., or ENOENT for a name that does not resolve).
// abortFd (-1: none) ends the waiting with ECANCELED as soon as it polls readable.
int CommNetConnect(const NetPortAddress& address, int timeoutMs, int abortFd = -1);
