// CException's report, through the reporter the user interface installs.
#include "platform/core/except.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<AFX_ERROR_REPORTER> g_reporter{nullptr};
}  // namespace

void AfxSetErrorReporter(AFX_ERROR_REPORTER pfnReport) { g_reporter = pfnReport; }

int CException::ReportError(UINT nType) {
    if ((nType & MB_ICONMASK) == 0) nType |= MB_ICONERROR;
    std::string text = GetErrorMessageUtf8();
    if (AFX_ERROR_REPORTER report = g_reporter.load()) return report(text, nType);
    fprintf(stderr, "%s\n", text.c_str());
    return IDOK;
}

std::string CException::GetErrorMessageUtf8() const {
    return "发生了未知错误。";  // not translated: the box that shows it translates it
}
