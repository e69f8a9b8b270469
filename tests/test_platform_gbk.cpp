// GBK <-> UTF-8 at the widget boundary, and the character decoder of the receive display.
#include <gtest/gtest.h>

#include "platform/text/gbk.h"

TEST(Gbk, ChineseTextRoundTrips) {
    CString strGbk("\xC4\xE3\xBA\xC3");  // 你好
    EXPECT_EQ(CString("你好"), strGbk);  // this file's literals are GBK
    EXPECT_EQ(GbkToUtf8(strGbk), u8"你好");
    EXPECT_EQ(Utf8ToGbk(std::string(u8"你好")), strGbk);
    std::string mixed = u8"串口COM3 打开，速率 9600。";
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk(mixed)), mixed);
}

TEST(Gbk, KeepsZeroBytesAndControlCharacters) {
    CString s("a\0\r\n\x1F", 5);
    EXPECT_EQ(GbkToUtf8(s), std::string("a\0\r\n\x1F", 5));
    EXPECT_EQ(Utf8ToGbk(std::string("a\0b", 3)), CString("a\0b", 3));
}

TEST(Gbk, CodePage936NotGb18030) {
    // 0x80 is the euro sign in code page 936.
    EXPECT_EQ(GbkToUtf8(CString("\x80")), u8"€");
    EXPECT_EQ(Utf8ToGbk(std::string(u8"€")), CString("\x80"));
    // GB18030's four-byte forms are not GBK: 81 30 81 30 is two invalid leads and two digits.
    EXPECT_EQ(GbkToUtf8(CString("\x81\x30\x81\x30")), u8"\uFFFD0\uFFFD0");
    // Characters GBK lacks become '?', one each.
    EXPECT_EQ(Utf8ToGbk(std::string(u8"a\U0001F600b\u0E01")), CString("a?b?"));
}

TEST(Gbk, InvalidBytesAreReplacedNotDropped) {
    EXPECT_EQ(GbkToUtf8(CString("A\xFF"
                                "B")),
              u8"A\uFFFDB");
    EXPECT_EQ(GbkToUtf8(CString("\xC4")), u8"\uFFFD");  // lead at the end
    EXPECT_EQ(GbkToUtf8(CString("\xA1"
                                "A")),
              u8"\uFFFDA");                                       // no character A1 41: the A
    EXPECT_EQ(GbkToUtf8(CString("\x81\x40")), u8"丂");            // stays; 81 40 is one
    EXPECT_EQ(GbkToUtf8(CString("\xC4\x7F")), u8"\uFFFD\x7F");    // 0x7F is never a trail
    EXPECT_EQ(GbkToUtf8(CString("\xAA\xA1")), u8"\uFFFD\uFFFD");  // user-defined area
}

TEST(Gbk, MalformedUtf8BecomesQuestionMarks) {
    EXPECT_EQ(Utf8ToGbk(std::string("a\xE4\xBD")), CString("a??"));     // cut short
    EXPECT_EQ(Utf8ToGbk(std::string("\xC0\xAF")), CString("??"));       // overlong
    EXPECT_EQ(Utf8ToGbk(std::string("\xED\xA0\x80")), CString("???"));  // surrogate
}

TEST(GbkDecoder, ReportsLengthsInvalidAndIncomplete) {
    CString s("A\xC4\xE3\xFF\xBA");
    const char* p = s.GetString();
    size_t n = (size_t)s.GetLength();
    GbkChar c = GbkDecodeChar(p, n, 0);
    EXPECT_EQ(c.kind, GbkCharKind::Valid);
    EXPECT_EQ(c.codePoint, U'A');
    EXPECT_EQ(c.length, 1);
    c = GbkDecodeChar(p, n, 1);
    EXPECT_EQ(c.kind, GbkCharKind::Valid);
    EXPECT_EQ(c.codePoint, U'你');
    EXPECT_EQ(c.length, 2);
    c = GbkDecodeChar(p, n, 3);
    EXPECT_EQ(c.kind, GbkCharKind::Invalid);
    EXPECT_EQ(c.codePoint, 0xFFu);
    EXPECT_EQ(c.length, 1);
    c = GbkDecodeChar(p, n, 4);  // the trail of 好 has not arrived yet
    EXPECT_EQ(c.kind, GbkCharKind::Incomplete);
    EXPECT_EQ(c.length, 1);
    s += '\xC3';  // ... and now it has
    c = GbkDecodeChar(s.GetString(), (size_t)s.GetLength(), 4);
    EXPECT_EQ(c.kind, GbkCharKind::Valid);
    EXPECT_EQ(c.codePoint, U'好');
}

TEST(GbkDecoder, AgreesWithTheBulkConversionOnEveryTwoByteCode) {
    int nValid = 0;
    for (int lead = 0x81; lead <= 0xFE; lead++) {
        for (int trail = 0x40; trail <= 0xFE; trail++) {
            char b[2] = {(char)lead, (char)trail};
            GbkChar c = GbkDecodeChar(b, 2, 0);
            if (c.kind != GbkCharKind::Valid) continue;
            nValid++;
            ASSERT_EQ(c.length, 2);
            std::string utf8;
            AppendUtf8(utf8, c.codePoint);
            ASSERT_EQ(Utf8ToGbk(utf8), CString(b, 2)) << std::hex << lead << trail;
        }
    }
    EXPECT_EQ(nValid, 21791);  // the characters of code page 936 outside its user areas
}
