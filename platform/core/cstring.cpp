#include "platform/core/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

// Room for n bytes and the 0x00 after them. Growth doubles, so appending is amortised
// constant; realloc moves a large block's pages instead of copying its bytes.
void CString::Capacity(size_t n) {
    if (n < m_cap) return;
    size_t cap = std::max({n + 1, m_cap * 2, (size_t)32});
    char* p = static_cast<char*>(std::realloc(m_p, cap));
    if (!p) throw std::bad_alloc();
    p[m_len] = 0;  // a new block holds "" too
    m_p = p;
    m_cap = cap;
}

void CString::Release() {
    std::free(m_p);
    m_p = nullptr;
    m_len = m_cap = 0;
}

void CString::Assign(const char* p, size_t n) {
    if (n == 0) {
        if (m_p) m_p[m_len = 0] = 0;
        return;
    }
    if (p >= m_p && p < m_p + m_len) {  // a part of this string
        std::memmove(m_p, p, n);
    } else {
        Capacity(n);
        std::memcpy(m_p, p, n);
    }
    m_p[m_len = n] = 0;
}

CString::CString(const char* psz) {
    if (psz) Assign(psz, std::strlen(psz));
}
CString::CString(const char* p, INT_PTR nLength) {
    if (p && nLength > 0) Assign(p, (size_t)nLength);
}
CString::CString(char ch, INT_PTR nRepeat) {
    if (nRepeat > 0) {
        Capacity((size_t)nRepeat);
        std::memset(m_p, (unsigned char)ch, (size_t)nRepeat);
        m_p[m_len = (size_t)nRepeat] = 0;
    }
}
CString::CString(const CString& s) { Assign(s.m_p, s.m_len); }
CString::CString(CString&& s) noexcept
    : m_p(s.m_p), m_len(s.m_len), m_cap(s.m_cap), m_epoch(s.m_epoch + 1) {
    s.m_p = nullptr;
    s.m_len = s.m_cap = 0;
    s.Touch();
}
CString::~CString() { std::free(m_p); }
CString& CString::operator=(const CString& s) {
    if (this != &s) {
        Assign(s.m_p, s.m_len);
        Touch();
    }
    return *this;
}
CString& CString::operator=(CString&& s) noexcept {
    if (this != &s) {
        std::free(m_p);
        m_p = s.m_p;
        m_len = s.m_len;
        m_cap = s.m_cap;
        s.m_p = nullptr;
        s.m_len = s.m_cap = 0;
        s.Touch();
        Touch();
    }
    return *this;
}
CString& CString::operator=(const char* psz) {
    // Assigning a short text to a large string (clearing a log) gives the memory back.
    if (m_cap > (1u << 20) && !(psz >= m_p && psz < m_p + m_cap)) Release();
    Assign(psz ? psz : "", psz ? std::strlen(psz) : 0);
    Touch();
    return *this;
}
CString& CString::operator=(char ch) {
    Assign(&ch, 1);
    Touch();
    return *this;
}
void CString::Empty() {
    Release();
    Touch();
}
void CString::Reserve(INT_PTR nCapacity) {
    if (nCapacity > 0) Capacity((size_t)nCapacity);
}

INT_PTR CString::Find(char ch, INT_PTR nStart) const {
    if (nStart < 0 || nStart >= GetLength()) return -1;
    const void* q = std::memchr(m_p + nStart, (unsigned char)ch, m_len - (size_t)nStart);
    return q ? (INT_PTR)(static_cast<const char*>(q) - m_p) : -1;
}
INT_PTR CString::Find(const char* psz, INT_PTR nStart) const {
    if (!psz || nStart < 0 || nStart > GetLength()) return -1;
    size_t n = std::strlen(psz);
    if (n == 0) return nStart;
    const void* q = memmem(GetString() + nStart, m_len - (size_t)nStart, psz, n);
    return q ? (INT_PTR)(static_cast<const char*>(q) - m_p) : -1;
}

CString CString::Mid(INT_PTR nFirst) const { return Mid(nFirst, GetLength()); }
CString CString::Mid(INT_PTR nFirst, INT_PTR nCount) const {
    if (nFirst < 0) nFirst = 0;
    if (nFirst >= GetLength() || nCount <= 0) return CString();
    nCount = std::min(nCount, GetLength() - nFirst);
    return CString(m_p + nFirst, nCount);
}
INT_PTR CString::Delete(INT_PTR nIndex, INT_PTR nCount) {
    if (nIndex < 0) nIndex = 0;
    if (nCount > 0 && nIndex < GetLength()) {
        size_t n = (size_t)std::min(nCount, GetLength() - nIndex);
        std::memmove(m_p + nIndex, m_p + nIndex + n, m_len - (size_t)nIndex - n + 1);
        m_len -= n;
        Touch();
    }
    return GetLength();
}

CString& CString::operator+=(const CString& s) { return Append(s.m_p, s.GetLength()); }
CString& CString::operator+=(const char* psz) {
    if (psz) Append(psz, (INT_PTR)std::strlen(psz));
    return *this;
}
CString& CString::operator+=(char ch) { return Append(&ch, 1); }
CString& CString::Append(const char* p, INT_PTR nLength) {
    if (!p || nLength <= 0) return *this;
    size_t n = (size_t)nLength;
    if (m_len + n >= m_cap) {
        if (p >= m_p && p < m_p + m_len) {  // a part of this string, which may move
            CString copy(p, nLength);
            return Append(copy.m_p, nLength);
        }
        Capacity(m_len + n);
    }
    std::memcpy(m_p + m_len, p, n);
    m_p[m_len += n] = 0;
    return *this;
}

void CString::FormatV(const char* pszFormat, va_list args) {
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n > 0) {
        CString out;
        out.Capacity((size_t)n);
        vsnprintf(out.m_p, (size_t)n + 1, pszFormat, args);
        out.m_len = (size_t)n;
        std::swap(m_p, out.m_p);
        std::swap(m_len, out.m_len);
        std::swap(m_cap, out.m_cap);
    } else {
        Assign("", 0);
    }
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
    Append(tail.m_p, tail.GetLength());
}

int CString::Compare(const char* psz) const { return Compare(CString(psz)); }
int CString::Compare(const CString& s) const {
    size_t n = std::min(m_len, s.m_len);
    int c = n ? std::memcmp(m_p, s.m_p, n) : 0;
    if (c == 0) c = m_len < s.m_len ? -1 : (m_len > s.m_len ? 1 : 0);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, const char* b) {
    return a.GetLength() == (INT_PTR)std::strlen(b ? b : "") && a.Compare(b ? b : "") == 0;
}
bool operator==(const char* a, const CString& b) { return b == a; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, const char* b) { return !(a == b); }
bool operator!=(const char* a, const CString& b) { return !(b == a); }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
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
