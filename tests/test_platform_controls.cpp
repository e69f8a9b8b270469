// Control text on the offscreen platform: a multi-line edit gives back what it was given, or,
// for bytes an edit cannot hold as they are, what reading its document gives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <random>

#include "platform/window_impl.h"

TEST(ControlText, AMultiLineEditReadsBackWhatReadingItsDocumentGives) {
    QPlainTextEdit edit;
    std::mt19937 rng(11);
    std::string random(3000, 0);
    for (char& b : random) b = (char)(rng() & 0xFF);
    const std::string texts[] = {
        "AT+NAME?\r\nOK\r\n",
        "\xd6\xd0\xce\xc4\t\xb2\xe2\xca\xd4\r\n",  // GBK Chinese and a tab
        "\x80 euro, \x7f DEL",
        "lone\nLF",
        "lone\rCR",
        "ends in CR\r",
        std::string("a\0b", 3),
        "\x01\x02 control",
        "\xff\xfe invalid, \x81",
        random,
    };
    for (const std::string& t : texts) {
        CString text(t.data(), (INT_PTR)t.size());
        kvimpl::SetControlText(&edit, text);
        CString given = kvimpl::GetControlText(&edit);
        // An edit that changes nothing makes the next read go through the document.
        QTextCursor c(edit.document());
        c.insertText("x");
        c.deletePreviousChar();
        CString read = kvimpl::GetControlText(&edit);
        EXPECT_TRUE(given == read) << t;
        if (t.find_first_of(std::string("\n\r\0\x01\xff\x81", 6)) == std::string::npos) {
            EXPECT_TRUE(given == text) << t;
        }
    }
    // Plain text with CR LF breaks reads back as it was given.
    CString lines("one\r\ntwo\r\n\xd6\xd0");
    kvimpl::SetControlText(&edit, lines);
    EXPECT_TRUE(kvimpl::GetControlText(&edit) == lines);
}
