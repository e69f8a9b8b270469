// Text between the program's GBK strings and Qt's UTF-16 strings (layer internals).
#pragma once
#include <cstddef>

#include "platform/core/cstring.h"

class QString;

namespace kvimpl {
QString FromGbk(const char* p, size_t n);
QString FromGbk(const CString& s);
CString ToGbk(const QString& s);
// The same for a multi-line edit, which holds LF where the program's text has CR LF: the CR
// of each CR LF is dropped going in, and each LF becomes CR LF coming out.
QString FromGbkLines(const CString& s);
CString ToGbkLines(const QString& s);
// A Qt string as UTF-8 bytes, every character kept; the Lines form writes each LF as CR LF.
CString ToUtf8(const QString& s);
CString ToUtf8Lines(const QString& s);
}  // namespace kvimpl
