// kivern PORT --script FILE: the script runs against the port without a window (no display,
// no Qt event loop). Received bytes go to standard output as they arrive (with --quiet only
// the script's print does); SIGINT, SIGTERM and SIGHUP stop the script and release the port.
#pragma once
#include "app/CommandLine.h"

// Exit status: the script's (0 at its end or exit(0); 1 for exit(1) or an error, reported on
// stderr with its file and line); 3 when the port cannot be opened; 128 + the signal's
// number when a signal stopped it.
#define KV_EXIT_PORT 3
int RunScriptWithoutWindow(const CKivernCommandLine& cl);
