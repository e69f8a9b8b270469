// GBK (code page 936) <-> UTF-8 for the application's 8-bit text.
//
// The application keeps its text as GBK bytes in CString; widgets, file names and message
// boxes speak UTF-8. Text typed into widgets becomes GBK, with '?' for characters GBK lacks.
// GBK text shown in widgets becomes UTF-8, with U+FFFD for each byte that is not valid GBK.
// Views that must draw invalid bytes themselves (the receive display) decode character by
// character with GbkDecodeChar, which also says when a character's bytes are not all there
// yet. Safe to call from any thread.
#pragma once
#include <cstddef>
#include <string>

#include "platform/core/cstring.h"

std::string GbkToUtf8(const char* p, size_t n);
std::string GbkToUtf8(const CString& str);
CString Utf8ToGbk(const char* p, size_t n);
CString Utf8ToGbk(const std::string& str);

enum class GbkCharKind {
    Valid,       // codePoint holds the character, length its bytes (1 or 2)
    Invalid,     // the byte at the offset is not valid GBK here; length is 1
    Incomplete,  // the bytes end after a lead byte whose trail has not arrived yet; length 1
};
struct GbkChar {
    GbkCharKind kind;
    char32_t codePoint;  // for Invalid and Incomplete: the byte's value
    int length;
};
// Decodes the character at p[i] of the n bytes at p (i < n).
GbkChar GbkDecodeChar(const char* p, size_t n, size_t i);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);
// Appends the GBK form of one code point, '?' when GBK lacks it.
void AppendGbk(std::string& out, char32_t codePoint);
// The n GBK bytes at p as UTF-16 (every character GBK has is in the BMP; U+FFFD for each
// invalid byte); out must have room for n units. Returns the units written.
size_t GbkToUtf16(const char* p, size_t n, char16_t* out);
// The two-byte characters: index (lead - 0x81) * 191 + (trail - 0x40), 0 where the pair is
// not a character.
const char16_t* GbkPairTable();
// Whether the n bytes at p are valid GBK that converts back to the same bytes.
bool IsExactGbk(const char* p, size_t n);
// The n UTF-16 units at p as GBK ('?' for each character GBK lacks), each LF as CR LF when
// bLfToCrLf.
std::string Utf16ToGbk(const char16_t* p, size_t n, bool bLfToCrLf);
