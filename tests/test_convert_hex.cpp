// Hex text, interval text and line ending conversions.
#include <gtest/gtest.h>

#include <string>

#include "convert/Convert.h"

namespace {
CString Bytes(std::initializer_list<int> bytes) {
    CString s;
    for (int b : bytes) s += (char)b;
    return s;
}
}  // namespace

TEST(HexString, AcceptsEvenRunsOfDigitsInEitherCase) {
    EXPECT_TRUE(IsHexString(""));
    EXPECT_TRUE(IsHexString("00"));
    EXPECT_TRUE(IsHexString("0a0A"));
    EXPECT_TRUE(IsHexString("DEADbeef"));
    EXPECT_TRUE(IsHexString("0123456789abcdefABCDEF"));
}

TEST(HexString, RejectsOddLengthsSeparatorsAndOtherUnits) {
    EXPECT_FALSE(IsHexString("0"));
    EXPECT_FALSE(IsHexString("123"));
    EXPECT_FALSE(IsHexString("01 02"));
    EXPECT_FALSE(IsHexString("0x12"));
    EXPECT_FALSE(IsHexString("12\r\n"));
    EXPECT_FALSE(IsHexString("12你好"));  // GBK bytes, four units
    EXPECT_FALSE(IsHexString("gg"));
    EXPECT_FALSE(IsHexString(CString("\0\0", 2)));
    // Units just outside the digit ranges.
    for (char ch : {'/', ':', '@', 'G', '`', 'g'}) EXPECT_FALSE(IsHexString(CString(ch, 2))) << ch;
}

TEST(HexToBytes, ConvertsPairsKeepingZeroBytes) {
    EXPECT_EQ(HexToBytes("").GetLength(), 0);
    EXPECT_EQ(HexToBytes("0a0A"), Bytes({0x0A, 0x0A}));
    CString strBytes = HexToBytes("00FF00");
    ASSERT_EQ(strBytes.GetLength(), 3);
    EXPECT_EQ(strBytes, Bytes({0x00, 0xFF, 0x00}));
    EXPECT_EQ(HexToBytes("DEADbeef"), Bytes({0xDE, 0xAD, 0xBE, 0xEF}));
}

TEST(HexToBytes, SkipsNonDigitsAndDropsTheUnpairedDigit) {
    EXPECT_EQ(HexToBytes("1 2 3"), Bytes({0x12}));
    EXPECT_EQ(HexToBytes("0x12"), Bytes({0x01}));  // 0, x dropped, 1, 2 -> "012" -> 0x01
    EXPECT_EQ(HexToBytes("你a好b"), Bytes({0xAB}));
    CString strOriginal("1 2 3");
    HexToBytes(strOriginal);
    EXPECT_EQ(strOriginal, "1 2 3");  // works on a copy
}

TEST(LooseHex, AcceptsSeparatorsAndPrefixesAndNamesTheFirstBadUnit) {
    using namespace std::string_literals;
    const int kAccepted = -1;
    struct {
        std::string text;
        int bad;            // the index of the first bad unit, or kAccepted
        std::string bytes;  // accepted: the bytes
        bool unpaired = false;
    } cases[] = {
        {"", kAccepted, ""},
        {"4154", kAccepted, "AT"},
        {"41 54 0D 0A", kAccepted, "AT\r\n"},
        {"41 54 0D 0A \r\n42 ", kAccepted, "AT\r\nB"},  // as the hex display prints it
        {"0x41,0x54", kAccepted, "AT"},
        {" 0X41 ,\t0x54, 4243\n", kAccepted, "ATBC"},
        {"0x00,00", kAccepted, "\0\0"s},
        {"41 5", 3, "", true},
        {"415 42", 2, "", true},
        {"0x4", 2, "", true},
        {"41 G1", 3, ""},
        {"41G", 2, ""},
        {"41;42", 2, ""},
        {"41-42", 2, ""},
        {"0x", 1, ""},
        {"0x ,41", 1, ""},
        {"0x415", 4, ""},
        {"410x42", 3, ""},
        {"x41", 0, ""},
        {"0xx1", 2, ""},
        {"41\0 42"s, 2, ""},
        {"41\xA3\xAC"
         "42",
         2, ""},  // a full-width comma
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CString bytes = "unchanged";
        INT_PTR nBad = -1;
        BOOL bUnpaired = FALSE;
        BOOL bOk =
            ReadLooseHex(CString(c.text.data(), (INT_PTR)c.text.size()), bytes, nBad, bUnpaired);
        EXPECT_EQ(bOk != FALSE, c.bad == kAccepted);
        if (c.bad == kAccepted) {
            EXPECT_EQ(bytes, CString(c.bytes.data(), (INT_PTR)c.bytes.size()));
        } else {
            EXPECT_EQ(nBad, c.bad);
            EXPECT_EQ(bUnpaired != FALSE, c.unpaired);
            EXPECT_EQ(bytes, "unchanged");
        }
    }
}

TEST(RemoveNonHexChars, KeepsOnlyDigitsInOrder) {
    CString s("x1\r\n2 zz3G4\x80\xff");
    RemoveNonHexChars(s);
    EXPECT_EQ(s, "1234");
    CString strAdjacent("--ab--");  // deletes in a row, as scanning in place would
    RemoveNonHexChars(strAdjacent);
    EXPECT_EQ(strAdjacent, "ab");
}

TEST(HexPairToByte, NonDigitsCountAsZero) {
    EXPECT_EQ(HexPairToByte('G', '1'), 0x01);
    EXPECT_EQ(HexPairToByte('1', 'G'), 0x10);
    EXPECT_EQ(HexPairToByte('f', 'F'), 0xFF);
    EXPECT_EQ(HexPairToByte('A', '0'), 0xA0);
    EXPECT_EQ(HexPairToByte((char)0xC4, '9'), 0x09);
}

TEST(DecimalNumber, AcceptsDigitsWithoutLeadingZero) {
    EXPECT_TRUE(IsDecimalNumber("1"));
    EXPECT_TRUE(IsDecimalNumber("1000"));
    EXPECT_TRUE(IsDecimalNumber("99999999999"));
    for (const char* psz : {"", "0", "007", "0100", "-5", "+5", " 5", "5 ", "1.5", "1e3", "五"})
        EXPECT_FALSE(IsDecimalNumber(psz)) << psz;
}

TEST(DecimalNumber, ValueSaturatesLikeTheStandardConversion) {
    EXPECT_EQ(IntervalValue("1000"), 1000);
    EXPECT_EQ(IntervalValue("2147483647"), 2147483647);
    EXPECT_EQ(IntervalValue("2147483648"), 2147483647);
    EXPECT_EQ(IntervalValue("99999999999"), 2147483647);
    EXPECT_EQ(IntervalValue("999999999999999999999999999999"), 2147483647);
    // The conversion's own leniency, for completeness.
    EXPECT_EQ(IntervalValue("  12abc"), 12);
    EXPECT_EQ(IntervalValue("-7"), -7);
    EXPECT_EQ(IntervalValue("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(IntervalValue(""), 0);
}

TEST(LineEnding, AppendsTheChosenEndingOnly) {
    struct {
        int ending;
        const char* want;
    } cases[] = {{0, "AT"}, {1, "AT\r"}, {2, "AT\n"}, {3, "AT\r\n"}, {4, "AT"}, {-1, "AT"}};
    for (const auto& c : cases) EXPECT_STREQ(AppendLineEnding("AT", c.ending), c.want) << c.ending;
    // Bytes after a 0x00 are kept.
    EXPECT_EQ(AppendLineEnding(CString("a\0b", 3), 3), CString("a\0b\r\n", 5));
}
