// The framework's exceptions. The application throws none of its own; the layer throws
// CFileException from CFile, and the message dispatcher reports any CException that a
// handler lets through (a message box, then the handler is over), as the framework does.
#pragma once
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class CException {
public:
    virtual ~CException() = default;
    // Shows the error to the user, as an error box unless the caller chose another icon;
    // returns the box's result.
    virtual int ReportError(UINT nType = MB_OK);
    // Text of the error, UTF-8. Subclasses say what went wrong.
    virtual std::string GetErrorMessageUtf8() const;
    void Delete() { delete this; }
};

// How reports reach the user: the message-box code installs its box here. Until something
// is installed, a report is written to standard error and answered IDOK.
typedef int (*AFX_ERROR_REPORTER)(const std::string& textUtf8, UINT nType);
void AfxSetErrorReporter(AFX_ERROR_REPORTER pfnReport);
