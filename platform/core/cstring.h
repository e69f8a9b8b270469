// CString: an 8-bit, length-counted byte string. It may hold 0x00 anywhere; its length counts
// bytes. The application's text is GBK; the layer converts to UTF-8 only at widget boundaries.
// Appending never moves the bytes already held into a new meaning, and EditEpoch() changes on
// every operation that is not a pure append, so views can index a growing string incrementally.
// The bytes live in one malloc'd block grown with realloc: a large string (a block of its own
// mapping) grows without its bytes being copied, so a receive text of hundreds of MiB takes
// new bytes at the same cost as a small one.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

#include "platform/core/wintypes.h"

class CString {
public:
    CString() = default;
    CString(const char* psz);                 // up to the first 0x00
    CString(const char* p, INT_PTR nLength);  // exactly nLength bytes
    CString(char ch, INT_PTR nRepeat = 1);
    CString(const CString& s);
    CString(CString&& s) noexcept;
    CString& operator=(const CString& s);
    CString& operator=(CString&& s) noexcept;
    CString& operator=(const char* psz);
    CString& operator=(char ch);
    ~CString();

    INT_PTR GetLength() const { return (INT_PTR)m_len; }
    bool IsEmpty() const { return m_len == 0; }
    void Empty();
    char GetAt(INT_PTR i) const { return GetString()[(size_t)i]; }
    char operator[](INT_PTR i) const { return GetString()[(size_t)i]; }
    operator const char*() const { return GetString(); }
    const char* GetString() const { return m_p ? m_p : ""; }

    // Search: index of the first occurrence at or after nStart, or -1.
    INT_PTR Find(char ch, INT_PTR nStart = 0) const;
    INT_PTR Find(const char* psz, INT_PTR nStart = 0) const;

    CString Mid(INT_PTR nFirst) const;
    CString Mid(INT_PTR nFirst, INT_PTR nCount) const;
    INT_PTR Delete(INT_PTR nIndex, INT_PTR nCount = 1);  // returns the new length

    // Appends. The const char* forms stop at the first 0x00, as C strings do; Append(p, n)
    // takes exactly n bytes.
    CString& operator+=(const CString& s);
    CString& operator+=(const char* psz);
    CString& operator+=(char ch);
    CString& Append(const char* p, INT_PTR nLength);

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args);
    void AppendFormat(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));

    int Compare(const char* psz) const;  // byte order, like strcmp
    int Compare(const CString& s) const;

    void Reserve(INT_PTR nCapacity);

    // Changes whenever the content changes other than by appending.
    unsigned long EditEpoch() const { return m_epoch; }

    std::string str() const { return std::string(GetString(), m_len); }

private:
    void Touch() { ++m_epoch; }
    void Assign(const char* p, size_t n);
    void Capacity(size_t n);      // room for n bytes and the 0x00 after them
    void Release();               // gives the block back
    char* m_p = nullptr;          // m_len bytes and a 0x00, or nullptr for ""
    size_t m_len = 0, m_cap = 0;  // m_cap counts the 0x00's byte
    unsigned long m_epoch = 0;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, const char* b);
bool operator==(const char* a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, const char* b);
bool operator!=(const char* a, const CString& b);
bool operator<(const CString& a, const CString& b);
CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
