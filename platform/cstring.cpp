#include "cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

CString::CString(const char* psz) : m_s(psz ? psz : "") {}
CString::CString(const char* p, INT_PTR nLength) {
    if (p && nLength > 0) m_s.assign(p, (size_t)nLength);
}
CString::CString(char ch, INT_PTR nRepeat) {
    if (nRepeat > 0) m_s.assign((size_t)nRepeat, ch);
}
CString::CString(CString&& s) noexcept : m_s(std::move(s.m_s)), m_epoch(s.m_epoch + 1) {
    s.Touch();
}
CString& CString::operator=(const CString& s) {
    if (this != &s) {
        m_s = s.m_s;
        Touch();
    }
    return *this;
}
CString& CString::operator=(CString&& s) noexcept {
    if (this != &s) {
        m_s = std::move(s.m_s);
        s.m_s.clear();
        s.Touch();
        Touch();
    }
    return *this;
}
CString& CString::operator=(const char* psz) {
    m_s = psz ? psz : "";
    if (m_s.capacity() > (1u << 20) && m_s.size() < m_s.capacity() / 4) m_s.shrink_to_fit();
    Touch();
    return *this;
}
CString& CString::operator=(char ch) {
    m_s.assign(1, ch);
    Touch();
    return *this;
}
void CString::Empty() {
    m_s.clear();
    m_s.shrink_to_fit();
    Touch();
}
void CString::SetAt(INT_PTR i, char ch) {
    m_s[(size_t)i] = ch;
    Touch();
}

INT_PTR CString::Find(char ch, INT_PTR nStart) const {
    if (nStart < 0 || nStart >= GetLength()) return -1;
    size_t pos = m_s.find(ch, (size_t)nStart);
    return pos == std::string::npos ? -1 : (INT_PTR)pos;
}
INT_PTR CString::Find(const char* psz, INT_PTR nStart) const {
    if (!psz || nStart < 0 || nStart > GetLength()) return -1;
    size_t pos = m_s.find(psz, (size_t)nStart);
    return pos == std::string::npos ? -1 : (INT_PTR)pos;
}

CString CString::Mid(INT_PTR nFirst) const { return Mid(nFirst, GetLength()); }
CString CString::Mid(INT_PTR nFirst, INT_PTR nCount) const {
    if (nFirst < 0) nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0) return CString();
    nCount = std::min(nCount, GetLength() - nFirst);
    return CString(m_s.data() + nFirst, nCount);
}
CString CString::Left(INT_PTR nCount) const { return Mid(0, nCount); }
CString CString::Right(INT_PTR nCount) const {
    if (nCount <= 0) return CString();
    if (nCount >= GetLength()) return *this;
    return Mid(GetLength() - nCount, nCount);
}
INT_PTR CString::Delete(INT_PTR nIndex, INT_PTR nCount) {
    if (nIndex < 0) nIndex = 0;
    if (nCount > 0 && nIndex < GetLength()) {
        m_s.erase((size_t)nIndex, (size_t)std::min(nCount, GetLength() - nIndex));
        Touch();
    }
    return GetLength();
}
INT_PTR CString::Insert(INT_PTR nIndex, char ch) {
    nIndex = std::max<INT_PTR>(0, std::min(nIndex, GetLength()));
    m_s.insert(m_s.begin() + nIndex, ch);
    Touch();
    return GetLength();
}

CString& CString::operator+=(const CString& s) {
    m_s.append(s.m_s);
    return *this;
}
CString& CString::operator+=(const char* psz) {
    if (psz) m_s.append(psz);
    return *this;
}
CString& CString::operator+=(char ch) {
    m_s.push_back(ch);
    return *this;
}
CString& CString::Append(const char* p, INT_PTR nLength) {
    if (p && nLength > 0) m_s.append(p, (size_t)nLength);
    return *this;
}

void CString::FormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    std::string out;
    if (n > 0) {
        out.resize((size_t)n + 1);
        vsnprintf(&out[0], out.size(), pszFormat, args);
        out.resize((size_t)n);
    }
    m_s.swap(out);
    Touch();
}
void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}
void CString::AppendFormat(const char* pszFormat, ...) {
    CString tail;
    va_list args;
    va_start(args, pszFormat);
    tail.FormatV(pszFormat, args);
    va_end(args);
    m_s.append(tail.m_s);
}

int CString::Compare(const char* psz) const { return Compare(CString(psz)); }
int CString::Compare(const CString& s) const {
    int c = m_s.compare(s.m_s);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

char* CString::GetBuffer(INT_PTR nMinLength) {
    if (nMinLength > GetLength()) m_s.resize((size_t)nMinLength);
    Touch();
    return &m_s[0];
}
void CString::ReleaseBuffer(INT_PTR nNewLength) {
    if (nNewLength < 0) nNewLength = (INT_PTR)strlen(m_s.c_str());
    m_s.resize((size_t)nNewLength);
    Touch();
}

bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
bool operator==(const CString& a, const char* b) { return a.str() == (b ? b : ""); }
bool operator==(const char* a, const CString& b) { return b == a; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(b == a); }
bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
CString operator+(const CString& a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, const char* b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const char* a, const CString& b) {
    CString r(a);
    r += b;
    return r;
}
CString operator+(const CString& a, char b) {
    CString r(a);
    r += b;
    return r;
}
