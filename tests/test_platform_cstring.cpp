// CString: bytes with 0x00 anywhere, growth to large sizes, operations whose source lies in the
// string itself, and which operations count as edits for views that follow a growing string.
#include <gtest/gtest.h>

#include <string>

#include "platform/core/cstring.h"

namespace {
std::string Bytes(const CString& s) { return std::string(s.GetString(), s.GetLength()); }
}  // namespace

TEST(CString, HoldsZeroBytesAndCountsThem) {
    CString s("ab");
    s.Append("\0c\0", 3);
    s += 'd';
    EXPECT_EQ(6, s.GetLength());
    EXPECT_EQ(std::string("ab\0c\0d", 6), Bytes(s));
    EXPECT_EQ(0, s[2]);
    EXPECT_EQ(3, s.Find('c'));
    EXPECT_EQ(5, s.Find("d"));
    EXPECT_EQ(-1, s.Find("x"));
    EXPECT_EQ(std::string("c\0d", 3), Bytes(s.Mid(3)));
    EXPECT_EQ(std::string("\0d", 2), Bytes(s.Mid(4)));

    // Comparison is by bytes and length; a C string ends at its first 0x00.
    CString t("ab");
    EXPECT_LT(t.Compare(s), 0);
    EXPECT_GT(s.Compare(t), 0);
    EXPECT_TRUE(t == "ab");
    EXPECT_FALSE(s == "ab");
    EXPECT_TRUE(t < s);

    // An empty string reads as "", whatever way it became empty.
    CString e;
    EXPECT_STREQ("", e.GetString());
    EXPECT_EQ(0, e[0]);
    s.Empty();
    EXPECT_STREQ("", (const char*)s);
    e.Reserve(100);
    EXPECT_STREQ("", e.GetString());
}

TEST(CString, GrowsLargeInPiecesKeepingEveryByte) {
    CString s;
    std::string want;
    std::string piece(4093, 0);
    for (int i = 0; i < 20000; ++i) {  // about 80 MiB, through many reallocations
        for (size_t k = 0; k < piece.size(); k += 97) piece[k] = (char)(i + k);
        s.Append(piece.data(), (INT_PTR)piece.size());
        if (i == 10000) want = Bytes(s);
    }
    EXPECT_EQ(20000 * 4093ll, s.GetLength());
    EXPECT_EQ(want, Bytes(s.Mid(0, (INT_PTR)want.size())));
    EXPECT_EQ(0, s.GetString()[s.GetLength()]);

    // A short text assigned to it gives the memory back and reads right.
    s = "short";
    EXPECT_EQ("short", Bytes(s));
}

TEST(CString, OperationsWhoseSourceIsTheStringItself) {
    CString s("0123456789");
    s += s;
    EXPECT_EQ("01234567890123456789", Bytes(s));
    for (int i = 0; i < 12; ++i) s.Append(s.GetString() + 2, 5);  // grows while reading itself
    EXPECT_EQ(20 + 12 * 5, s.GetLength());
    EXPECT_EQ("23456", Bytes(s.Mid(s.GetLength() - 5)));

    s.Format("<%s>", (const char*)s.Mid(0, 4));
    EXPECT_EQ("<0123>", Bytes(s));
    s.AppendFormat("%s", (const char*)s);
    EXPECT_EQ("<0123><0123>", Bytes(s));

    CString big('x', 3 << 20);
    big = big.GetString() + (3 << 20) - 3;  // the tail of a large string, assigned to it
    EXPECT_EQ("xxx", Bytes(big));
}

TEST(CString, DeletesFromTheMiddle) {
    CString s("<a-bc>");
    EXPECT_EQ(3, s.Delete(1, 3));
    EXPECT_EQ("<c>", Bytes(s));
    EXPECT_EQ(3, s.Delete(9, 1));
}

TEST(CString, OnlyAppendingKeepsTheEditEpoch) {
    CString s("log");
    unsigned long epoch = s.EditEpoch();
    s += " more";
    s.Append("\0x", 2);
    s += 'y';
    s.AppendFormat("%d", 5);
    EXPECT_EQ(epoch, s.EditEpoch());

    s.Delete(0, 1);
    EXPECT_NE(epoch, s.EditEpoch());
    epoch = s.EditEpoch();
    s = "";
    EXPECT_NE(epoch, s.EditEpoch());

    // Moving a string away leaves it empty and edited.
    CString a("abc");
    epoch = a.EditEpoch();
    CString b(std::move(a));
    EXPECT_EQ("abc", Bytes(b));
    EXPECT_EQ(0, a.GetLength());  // NOLINT(bugprone-use-after-move)
    EXPECT_NE(epoch, a.EditEpoch());
    CString c;
    c = std::move(b);
    EXPECT_EQ("abc", Bytes(c));
    EXPECT_EQ(0, b.GetLength());  // NOLINT(bugprone-use-after-move)
}
