// UTF-8 decoding one character at a time, and character widths.
#include <gtest/gtest.h>

#include <string>

#include "platform/text/utf8.h"

TEST(Utf8, DecodesValidAndRejectsMalformedSequences) {
    struct Case {
        std::string bytes;
        Utf8CharKind kind;
        char32_t cp;
        int length;
    } cases[] = {
        {"A", Utf8CharKind::Valid, 'A', 1},
        {"\xC2\xA0", Utf8CharKind::Valid, 0xA0, 2},
        {"\xE2\x9C\x93", Utf8CharKind::Valid, 0x2713, 3},       // check mark
        {"\xE6\xB8\xA9", Utf8CharKind::Valid, 0x6E29, 3},       // 温
        {"\xF0\x9F\x98\x80", Utf8CharKind::Valid, 0x1F600, 4},  // emoji
        {"\xF4\x8F\xBF\xBF", Utf8CharKind::Valid, 0x10FFFF, 4},
        // Overlong forms, surrogates, beyond U+10FFFF, stray and broken sequences.
        {"\xC0\xAF", Utf8CharKind::Invalid, 0xC0, 1},
        {"\xE0\x80\xAF", Utf8CharKind::Invalid, 0xE0, 1},
        {"\xF0\x8F\xBF\xBF", Utf8CharKind::Invalid, 0xF0, 1},
        {"\xED\xA0\x80", Utf8CharKind::Invalid, 0xED, 1},
        {"\xF4\x90\x80\x80", Utf8CharKind::Invalid, 0xF4, 1},
        {"\xFF", Utf8CharKind::Invalid, 0xFF, 1},
        {"\x80", Utf8CharKind::Invalid, 0x80, 1},
        {"\xE2\x41\x93", Utf8CharKind::Invalid, 0xE2, 1},
        // Cut short by the end of the bytes: may still be completed.
        {"\xE2", Utf8CharKind::Incomplete, 0xE2, 1},
        {"\xE2\x9C", Utf8CharKind::Incomplete, 0xE2, 1},
        {"\xF0\x9F\x98", Utf8CharKind::Incomplete, 0xF0, 1},
        // ...unless what is there already rules it out.
        {"\xED\xA0", Utf8CharKind::Invalid, 0xED, 1},
        {"\xE0\x9F", Utf8CharKind::Invalid, 0xE0, 1},
    };
    for (const Case& c : cases) {
        std::string at = "x" + c.bytes;  // decoded at offset 1
        Utf8Char d = Utf8DecodeChar(at.data(), at.size(), 1);
        EXPECT_EQ(d.kind, c.kind) << testing::PrintToString(c.bytes);
        EXPECT_EQ(d.codePoint, c.cp) << testing::PrintToString(c.bytes);
        EXPECT_EQ(d.length, c.length) << testing::PrintToString(c.bytes);
    }
}

TEST(Utf8, WideCharactersAreEastAsianAndEmoji) {
    for (char32_t cp : {0x4E2D, 0x3042, 0xAC00, 0xFF21, 0x3000, 0x1F600, 0x1F680, 0x20000})
        EXPECT_TRUE(IsWideChar(cp)) << std::hex << (unsigned)cp;
    for (char32_t cp : {0x41, 0xE9, 0x3B1, 0x416, 0x2713, 0x2500, 0xFF61, 0x10FFFF})
        EXPECT_FALSE(IsWideChar(cp)) << std::hex << (unsigned)cp;
}
