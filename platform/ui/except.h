// The framework's exceptions. The application throws none of its own; the layer throws
// CFileException from CFile, and the message dispatcher reports any CException that a
// handler lets through (a message box, then the handler is over), as the framework does.
#pragma once
#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

class CException {
public:
    virtual ~CException() = default;
    // Shows the error in a message box; returns the box's result.
    virtual int ReportError(UINT nType = MB_OK);
    // Text of the error, UTF-8. Subclasses say what went wrong.
    virtual std::string GetErrorMessageUtf8() const;
    void Delete() { delete this; }
};
