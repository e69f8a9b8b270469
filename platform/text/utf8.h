// UTF-8 decoding one character at a time, for views that show raw bytes as UTF-8 text and
// must draw invalid bytes themselves (the receive display), and the cell width of a character
// on a fixed grid; and 8-bit text from one code page to another. Safe to call from any thread.
#pragma once
#include <cstddef>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

enum class Utf8CharKind {
    Valid,       // codePoint holds the character, length its bytes (1 to 4)
    Invalid,     // the byte at the offset starts no character here; length is 1
    Incomplete,  // the bytes end inside a character that may still be completed; length 1
};
struct Utf8Char {
    Utf8CharKind kind;
    char32_t codePoint;  // for Invalid and Incomplete: the byte's value
    int length;
};
// Decodes the character at p[i] of the n bytes at p (i < n). Overlong forms, surrogates
// (U+D800..U+DFFF) and values above U+10FFFF are invalid; so is a sequence cut short by a
// byte that cannot continue it.
Utf8Char Utf8DecodeChar(const char* p, size_t n, size_t i);

// Whether a character takes two cells on a fixed grid (East Asian wide and full-width forms:
// CJK, kana, hangul, full-width punctuation, emoji); every other character takes one.
bool IsWideChar(char32_t codePoint);

// The text str, read in code page nFrom, written in code page nTo (each CP_ACP, the program's
// GBK, or CP_UTF8). Characters GBK lacks become '?'; bytes invalid in nFrom become U+FFFD (or
// '?' in GBK).
CString ConvertCodePage(const CString& str, UINT nFrom, UINT nTo);
