// Connecting to a network port, for the comm layer's own use.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/ports/neturl.h"

// How long connecting, the name lookup included, may take.
constexpr int kCommNetConnectMs = 4000;

// A connected, non-blocking socket to address, or -1 with errno set (ETIMEDOUT when the time
// ran out, ECONNREFUSED, EHOSTUNREACH..., or ENOENT for a name that does not resolve).
// abortFd (-1: none) ends the waiting with ECANCELED as soon as it polls readable.
int CommNetConnect(const NetPortAddress& address, int timeoutMs, int abortFd = -1);

// Sends p on the connected socket fd, waiting for room until deadlineMs (monotonic, -1: no
// limit); sent tells how many bytes went. Returns 0, ETIMEDOUT, ERROR_OPERATION_ABORTED once
// wakeFd polls readable (the port closes), or EIO for a broken connection.
int CommSocketSend(int fd, int wakeFd, const char* p, size_t n, int64_t deadlineMs, size_t& sent);
