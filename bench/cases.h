// The benchmark cases. Each runs in a process of its own (started by the driver with
// --case NAME ARGS...), prints one line of numbers on success and returns 0; on a failure it
// says why on standard error and returns 1.
#pragma once
#include <sys/types.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace kvbench {

inline int Fail(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    fprintf(stderr, "bench case failed: ");
    vfprintf(stderr, fmt, ap);
    fprintf(stderr, "\n");
    va_end(ap);
    return 1;
}

int CaseThroughput(const std::vector<std::string>& a);  // text|binary|hex MiB
int CaseCat(const std::vector<std::string>& a);         // MiB [baud]
int CasePace(const std::vector<std::string>& a);        // seconds text|binary|hex [log]
int CasePicocom(const std::vector<std::string>& a);     // seconds text|binary|hex
int CaseGtkterm(const std::vector<std::string>& a);     // seconds text|binary
int CaseResponsive(const std::vector<std::string>& a);  // text|binary|hex seconds
int CaseConnect(const std::vector<std::string>& a);     // silent|flap seconds
int CaseRefresh(const std::vector<std::string>& a);     // text|hex|hexflat MiB runs
int CaseSend(const std::vector<std::string>& a);        // MiB
int CaseWrite(const std::vector<std::string>& a);       // MiB
int CaseFind(const std::vector<std::string>& a);        // text|hex MiB
int CaseFileSend(const std::vector<std::string>& a);    // MiB [baud]
int CaseFileCat(const std::vector<std::string>& a);     // MiB
int CaseXmodem(const std::vector<std::string>& a);      // MiB
int CaseSx(const std::vector<std::string>& a);          // MiB
int CasePlotParse(const std::vector<std::string>& a);   // MiB columns|named
int CasePlotLoad(const std::vector<std::string>& a);    // seconds open|closed
// The X server of $DISPLAY (its lock file names it); -1 without one.
pid_t XServerPid();
int CaseStartup(const std::vector<std::string>& a, int argc, char** argv);  // app|minimal T0

}  // namespace kvbench
