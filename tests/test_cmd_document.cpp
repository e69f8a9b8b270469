// The bytes of cmd.json: the stored layout, escapes, GBK text and what loads back.
#include <gtest/gtest.h>

#include "dialog/CmdDocument.h"
#include "support/default_cmd_document.h"

namespace {

std::string DocumentWithFirstCommand(const CString& strCmd, BOOL bHex = FALSE) {
    CString strCmds[CMD_SLOT_COUNT];
    BOOL bHexes[CMD_SLOT_COUNT] = {};
    strCmds[0] = strCmd;
    bHexes[0] = bHex;
    return WriteCommandDocument(BuildCommandDocument(strCmds, bHexes));
}

// The line of member cmd01.
std::string FirstLine(const std::string& doc) {
    size_t begin = doc.find('\n') + 1;
    return doc.substr(begin, doc.find('\n', begin) - begin);
}

bool Parse(const std::string& doc, CString out[CMD_SLOT_COUNT]) {
    return ParseCommandDocument(doc.data(), doc.size(), out);
}
}  // namespace

TEST(CmdDocument, DefaultDocumentIsTheStoredBytes) {
    std::string doc = WriteCommandDocument(BuildDefaultCommands());
    EXPECT_EQ(doc, g_szDefaultDocument);
    EXPECT_EQ(doc.size(), 520u);
    size_t nLines = 0;
    for (char ch : doc) nLines += ch == '\n';
    EXPECT_EQ(nLines, 26u);
    EXPECT_EQ(doc.find('\r'), std::string::npos);
}

TEST(CmdDocument, PanelStateIsWrittenInOrderWithHexFlags) {
    CString strCmds[CMD_SLOT_COUNT];
    BOOL bHexes[CMD_SLOT_COUNT] = {};
    strCmds[11] = "last";
    bHexes[2] = TRUE;
    bHexes[4] = 7;  // any non-zero BOOL is true
    std::string doc = WriteCommandDocument(BuildCommandDocument(strCmds, bHexes));
    EXPECT_NE(doc.find("   \"cmd12\" : \"last\",\n   \"hex01\" : false,\n"), std::string::npos);
    EXPECT_NE(doc.find("   \"hex03\" : true,\n"), std::string::npos);
    EXPECT_NE(doc.find("   \"hex05\" : true,\n"), std::string::npos);
    EXPECT_EQ(doc.substr(doc.size() - 21), "   \"hex12\" : false\n}\n");
}

TEST(CmdDocument, OnlyJsonEscapesWithUppercaseDigits) {
    CString strCmd(
        "a\"b\\c\td\x01"
        "e\x1F"
        "f\b\f\n\r/\x7F");
    EXPECT_EQ(FirstLine(DocumentWithFirstCommand(strCmd)),
              "   \"cmd01\" : \"a\\\"b\\\\c\\td\\u0001e\\u001Ff\\b\\f\\n\\r/\x7F\",");
    CString out[CMD_SLOT_COUNT];
    ASSERT_TRUE(Parse(DocumentWithFirstCommand(strCmd), out));
    EXPECT_EQ(out[0], strCmd);
    // Other control characters with letter digits: 0x0B, 0x1A..0x1E.
    EXPECT_EQ(FirstLine(DocumentWithFirstCommand("\x0B\x1A\x1E")),
              "   \"cmd01\" : \"\\u000B\\u001A\\u001E\",");
}

TEST(CmdDocument, TextThatLooksLikeAnEscapeStaysLowercase) {
    // A backslash followed by "u00ab" is text: written as \\u00ab, not touched.
    std::string doc = DocumentWithFirstCommand("\\u00ab");
    EXPECT_EQ(FirstLine(doc), "   \"cmd01\" : \"\\\\u00ab\",");
    CString out[CMD_SLOT_COUNT];
    ASSERT_TRUE(Parse(doc, out));
    EXPECT_EQ(out[0], "\\u00ab");
}

TEST(CmdDocument, GbkTextIsWrittenRawAndLoadsBackUnchanged) {
    CString strGbk("\xC4\xE3\xBA\xC3");  // 你好
    std::string doc = DocumentWithFirstCommand(strGbk);
    EXPECT_EQ(FirstLine(doc), "   \"cmd01\" : \"\xC4\xE3\xBA\xC3\",");
    CString out[CMD_SLOT_COUNT];
    ASSERT_TRUE(Parse(doc, out));
    EXPECT_EQ(out[0], strGbk);
    // A GBK character whose trail byte is a backslash (0x5C) and bytes no UTF-8 reader would
    // accept survive as well.
    CString strTricky("\x95\x5C\xFF\x80\xA1\xA1");
    doc = DocumentWithFirstCommand(strTricky);
    EXPECT_EQ(FirstLine(doc), "   \"cmd01\" : \"\x95\\\\\xFF\x80\xA1\xA1\",");
    ASSERT_TRUE(Parse(doc, out));
    EXPECT_EQ(out[0], strTricky);
}

TEST(CmdDocument, LoadsTheDefaultDocument) {
    CString out[CMD_SLOT_COUNT];
    ASSERT_TRUE(Parse(g_szDefaultDocument, out));
    EXPECT_EQ(out[0], "AT");
    EXPECT_EQ(out[8], "AT+DEFAULT");
    EXPECT_EQ(out[9], "");
    EXPECT_EQ(out[11], "");
}

TEST(CmdDocument, OtherOrderIndentationAndCommentsLoadTheSame) {
    const char* doc =
        "// quick commands\n"
        "{\"hex01\":[1], \"hex02\":{}, /* slot 2 */ \"cmd02\":\"B\",\r\n"
        "\t\"cmd01\"  :  \"A\", \"extra\" : [1, 2], \"cmd04\" : true, \"cmd05\" : false,\n"
        "\"cmd06\" : null}\n"
        "trailing text is ignored {";
    CString out[CMD_SLOT_COUNT];
    out[6] = "stale";
    ASSERT_TRUE(ParseCommandDocument(doc, strlen(doc), out));
    EXPECT_EQ(out[0], "A");
    EXPECT_EQ(out[1], "B");
    EXPECT_EQ(out[2], "");
    EXPECT_EQ(out[3], "true");
    EXPECT_EQ(out[4], "false");
    EXPECT_EQ(out[5], "");
    EXPECT_EQ(out[6], "");  // missing members clear their slots
}

TEST(CmdDocument, DocumentEndsAtTheFirstZeroByte) {
    std::string doc = std::string("{\"cmd01\":\"A\"}") + '\0' + "garbage";
    CString out[CMD_SLOT_COUNT];
    ASSERT_TRUE(Parse(doc, out));
    EXPECT_EQ(out[0], "A");
    std::string cut = std::string("{\"cmd01\":") + '\0' + "\"A\"}";
    EXPECT_FALSE(Parse(cut, out));
    // A text holding \u0000 is cut there.
    ASSERT_TRUE(Parse("{\"cmd01\":\"ab\\u0000cd\"}", out));
    EXPECT_EQ(out[0], "ab");
    EXPECT_EQ(out[0].GetLength(), 2);
}

TEST(CmdDocument, UnusableDocumentsLoadNothing) {
    const char* bad[] = {
        "",
        "not json",
        "{\"cmd01\":\"A\"",               // cut short
        "\xEF\xBB\xBF{\"cmd01\":\"A\"}",  // byte-order mark in front
        "[\"AT\"]",                       // root not an object
        "\"AT\"",
        "{\"cmd01\":1}",  // cmd members that are no text
        "{\"cmd03\":[\"AT\"]}",
        "{\"cmd12\":{}}",
        "{\"cmd01\":1.5}",
    };
    for (const char* doc : bad) {
        CString out[CMD_SLOT_COUNT];
        out[0] = "kept";
        EXPECT_FALSE(ParseCommandDocument(doc, strlen(doc), out)) << doc;
        EXPECT_EQ(out[0], "kept") << doc;
    }
    std::string deep(100000, '[');  // deeper than the reader allows
    CString out[CMD_SLOT_COUNT];
    EXPECT_FALSE(Parse(deep, out));
}
