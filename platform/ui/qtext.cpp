#include "platform/ui/qtext.h"

#include <QString>
#include <string>

#include "platform/text/gbk.h"

namespace {
// GBK to UTF-16, dropping the CR of each CR LF when bLines.
QString ToQString(const char* p, size_t len, bool bLines) {
    QString out((qsizetype)len, Qt::Uninitialized);
    size_t n = GbkToUtf16(p, len, reinterpret_cast<char16_t*>(out.data()));
    if (bLines) {
        QChar* d = out.data();
        size_t k = 0;
        for (size_t i = 0; i < n; ++i)
            if (!(d[i] == u'\r' && i + 1 < n && d[i + 1] == u'\n')) d[k++] = d[i];
        n = k;
    }
    out.truncate((qsizetype)n);
    return out;
}
// UTF-16 to GBK ('?' for what GBK lacks), each LF as CR LF when bLines.
CString FromQString(const QString& t, bool bLines) {
    std::string out =
        Utf16ToGbk(reinterpret_cast<const char16_t*>(t.constData()), (size_t)t.size(), bLines);
    return CString(out.data(), (INT_PTR)out.size());
}
}  // namespace

QString kvimpl::FromGbk(const char* p, size_t n) { return ToQString(p, n, false); }
QString kvimpl::FromGbk(const CString& s) { return FromGbk(s.GetString(), (size_t)s.GetLength()); }
CString kvimpl::ToGbk(const QString& s) { return FromQString(s, false); }
QString kvimpl::FromGbkLines(const CString& s) {
    return ToQString(s.GetString(), (size_t)s.GetLength(), true);
}
CString kvimpl::ToGbkLines(const QString& t) { return FromQString(t, true); }
CString kvimpl::ToUtf8(const QString& s) {
    QByteArray b = s.toUtf8();
    return CString(b.constData(), (INT_PTR)b.size());
}
CString kvimpl::ToUtf8Lines(const QString& s) {
    QByteArray b = s.toUtf8();
    std::string out;
    out.reserve((size_t)b.size());
    for (char c : b) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return CString(out.data(), (INT_PTR)out.size());
}
