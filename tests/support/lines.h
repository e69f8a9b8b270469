// Numbered text lines, as a device printing a log sends them.
#pragma once
#include "platform/core/cstring.h"

// "line 0" ... "line n-1", each ending in CR LF.
inline CString Lines(int n) {
    CString s;
    for (int i = 0; i < n; ++i) s.AppendFormat("line %d\r\n", i);
    return s;
}
