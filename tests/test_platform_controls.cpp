// Control text on the offscreen platform: a multi-line edit gives back what it was given, or,
// for bytes an edit cannot hold as they are, what reading its document gives.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <random>

#include "platform/ui/controls.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

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

TEST(ControlText, ALabelDrawsItsTextAsAPlainQLabelDoes) {
    struct Case {
        const char* face;
        int px, weight;
        Qt::Alignment align;
        const char16_t* text;
        QSize size;
    };
    const Case cases[] = {
        {"DejaVu Sans Mono",
         16,
         800,
         Qt::AlignLeft | Qt::AlignVCenter,
         u"RX: 123456 Bytes",
         {150, 19}},
        {"DejaVu Sans Mono", 16, 800, Qt::AlignLeft | Qt::AlignVCenter, u"COM3 OPENED", {123, 19}},
        {"AR PL UMing CN", 12, 400, Qt::AlignLeft | Qt::AlignVCenter, u"串口设置 波特率", {97, 15}},
        {"AR PL UMing CN", 12, 400, Qt::AlignHCenter | Qt::AlignVCenter, u"指令框", {61, 13}},
        {"Liberation Sans", 15, 400, Qt::AlignRight | Qt::AlignTop, u"ms/次", {40, 20}},
        {"Liberation Sans", 15, 400, Qt::AlignLeft | Qt::AlignBottom, u"HEX", {41, 17}},
        {"Liberation Sans", 15, 400, Qt::AlignLeft | Qt::AlignTop, u"TX: 42 Bytes", {97, 21}},
    };
    for (const Case& c : cases) {
        QFont f(QString::fromLatin1(c.face));
        f.setPixelSize(c.px);
        f.setWeight(QFont::Weight(c.weight));
        QLabel plain;
        KvLabel ours(nullptr);
        for (QLabel* l : {&plain, static_cast<QLabel*>(&ours)}) {
            l->setAutoFillBackground(true);
            l->setFont(f);
            l->setAlignment(c.align);
            l->setText(QString::fromUtf16(c.text));
            l->resize(c.size);
        }
        for (int round = 0; round < 2; ++round) {  // the second time from the kept layout
            QImage a = plain.grab().toImage(), b = ours.grab().toImage();
            EXPECT_TRUE(a == b) << QString::fromUtf16(c.text).toStdString() << " round " << round;
        }
        ours.setText(QStringLiteral("RX: 7 Bytes"));
        plain.setText(QStringLiteral("RX: 7 Bytes"));
        EXPECT_TRUE(plain.grab().toImage() == ours.grab().toImage())
            << QString::fromUtf16(c.text).toStdString() << " changed";
    }
}
