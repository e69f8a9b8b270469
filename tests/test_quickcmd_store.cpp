// The quick-command store on disk: cmd.json at start-up, on "保存" and on "重置", with real
// files in the test's working folder, and documents that cannot be used.
#include <fcntl.h>
#include <sys/file.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "dialog/CommandSlots.h"
#include "platform/ui/ui_hooks.h"
#include "support/msgbox_recorder.h"
#include "support/quickcmd_env.h"

using QuickCmdStore = QuickCmdTest;

TEST_F(QuickCmdStore, FirstStartWritesTheDefaultDocument) {
    MessageBoxRecorder boxes;
    CreateDialog();
    EXPECT_EQ(ReadBytes(CmdFile()), g_szDefaultDocument);
    ExpectSlots(g_szDefaultTexts);
    EXPECT_EQ(boxes.Count(), 0u);

    // A file of no bytes is treated like a missing one.
    WriteBytes(CmdFile(), "");
    Restart();
    EXPECT_EQ(ReadBytes(CmdFile()), g_szDefaultDocument);
    ExpectSlots(g_szDefaultTexts);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(QuickCmdStore, AnyLayoutLoadsAndIsRewrittenInTheStoredOne) {
    const std::string doc =
        "/* written by hand */\n"
        "{\t\"hex03\":true, \"cmd03\":\"third\",\"extra\" : [1, {\"x\" : 2}],\r\n"
        "      \"cmd01\"   :   \"first\", // slot 1\n"
        "  \"cmd04\" : true, \"cmd05\" : false, \"cmd06\" : null, \"cmd12\" : \"\\u0041\\u0062\"}\n"
        "anything after the object is ignored [";
    WriteBytes(CmdFile(), doc);
    MessageBoxRecorder boxes;
    CreateDialog();
    const char* const texts[12] = {"first", "", "third", "true", "false", "",
                                   "",      "", "",      "",     "",      "Ab"};
    ExpectSlots(texts);  // the stored HEX switch of slot 3 is not restored
    EXPECT_EQ(ReadBytes(CmdFile()), doc);
    EXPECT_EQ(boxes.Count(), 0u);

    Click(IDC_CMD_SAVE_BUTTON);
    std::string saved = ReadBytes(CmdFile());
    EXPECT_TRUE(
        StartsWith(saved, "{\n   \"cmd01\" : \"first\",\n   \"cmd02\" : \"\",\n   \"cmd03"));
    EXPECT_NE(saved.find("\n   \"cmd04\" : \"true\",\n"), std::string::npos);
    EXPECT_NE(saved.find("\n   \"cmd12\" : \"Ab\",\n   \"hex01\" : false,\n"), std::string::npos);
    EXPECT_NE(saved.find("\n   \"hex03\" : false,\n"), std::string::npos);
    EXPECT_EQ(saved.find("extra"), std::string::npos);
    EXPECT_EQ(saved.find("/*"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 21), "   \"hex12\" : false\n}\n");
}

TEST_F(QuickCmdStore, SavedTextsLoadBackByteForByte) {
    CreateDialog();
    MessageBoxRecorder boxes;
    const char* const texts[12] = {
        "say \"hi\"",       "C:\\dir\\", "tab\there", "\x01mid\x1F",
        "你好，串口",       "\x95\x5C",  // a GBK character whose trail byte is a backslash
        "/slash/ and \x7F", "",          "AT+X",      "   spaces   ",
        "{\"json\": [1]}",  "end"};
    for (int i = 0; i < 12; ++i) SetEdit(i, texts[i]);
    Click(IDC_CMD_SAVE_BUTTON);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_STREQ(boxes.Last().strText, "保存成功!");
    EXPECT_EQ(boxes.Last().nType & MB_TYPEMASK, (UINT)MB_OK);

    const std::string saved = ReadBytes(CmdFile());
    EXPECT_NE(saved.find("\n   \"cmd01\" : \"say \\\"hi\\\"\",\n   \"cmd02\" : \"C:\\\\dir\\\\\",\n"
                         "   \"cmd03\" : \"tab\\there\",\n   \"cmd04\" : \"\\u0001mid\\u001F\",\n"),
              std::string::npos)
        << saved;
    // GBK bytes are written as they are, not as \u escapes.
    EXPECT_NE(saved.find("\n   \"cmd05\" : \"你好，串口\",\n"), std::string::npos);
    EXPECT_NE(saved.find("\n   \"cmd06\" : \"\x95\\\\\",\n"), std::string::npos);
    EXPECT_EQ(saved.find("\\u4"), std::string::npos);

    Restart();
    ExpectSlots(texts);
}

TEST_F(QuickCmdStore, ShorterSaveLeavesNothingOfTheLongerOne) {
    CreateDialog();
    MessageBoxRecorder boxes;
    SetEdit(0, std::string(3000, 'L').c_str());
    Click(IDC_CMD_SAVE_BUTTON);
    const size_t nLong = ReadBytes(CmdFile()).size();
    EXPECT_GT(nLong, 3000u);

    SetEdit(0, "S");
    Click(IDC_CMD_SAVE_BUTTON);
    std::string saved = ReadBytes(CmdFile());
    EXPECT_EQ(saved.size(), 520u - 2 + 1);  // "AT" became "S"
    EXPECT_EQ(saved.find("LL"), std::string::npos);
    EXPECT_EQ(saved.substr(saved.size() - 21), "   \"hex12\" : false\n}\n");
    EXPECT_EQ(boxes.Count(), 2u);
}

TEST_F(QuickCmdStore, HexSwitchesAreStoredButNotRestored) {
    CreateDialog();
    MessageBoxRecorder boxes;
    SetEdit(2, "0102");
    kvtest::Click(Box(2));
    Click(IDC_CMD_SAVE_BUTTON);
    std::string saved = ReadBytes(CmdFile());
    EXPECT_NE(saved.find("\n   \"cmd03\" : \"0102\",\n"), std::string::npos);
    EXPECT_NE(saved.find("\n   \"hex02\" : false,\n   \"hex03\" : true,\n   \"hex04\" : false,\n"),
              std::string::npos);
    EXPECT_EQ(Box(2)->GetCheck(), BST_CHECKED);  // saving leaves the panel as it is

    Restart();
    EXPECT_STREQ(Text(IDC_CMD_EDIT3), "0102");
    EXPECT_EQ(Box(2)->GetCheck(), BST_UNCHECKED);
    EXPECT_FALSE(m_dlg->m_bCmdHex[2]);
}

TEST_F(QuickCmdStore, ResetRewritesTheDefaultsAndConfirmsAfterClosing) {
    WriteBytes(CmdFile(), "{\"cmd01\" : \"mine\", \"cmd10\" : \"mine too\"}");
    CreateDialog();
    SetEdit(1, "unsaved");
    kvtest::Click(Box(4));
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "typed, not sent");

    // When the confirmation shows, the file is closed: another program can take it.
    bool bFileFree = false;
    std::vector<CString> texts;
    SetMessageBoxHook([&](const MessageBoxRecord& r) {
        int fd = open(CmdFile().c_str(), O_RDONLY);
        bFileFree = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (fd >= 0) close(fd);
        texts.push_back(r.strText);
        return IDOK;
    });
    Click(IDC_CMD_RESET_BUTTON);
    SetMessageBoxHook(nullptr);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_STREQ(texts[0], "重置成功!");
    EXPECT_TRUE(bFileFree);
    EXPECT_EQ(ReadBytes(CmdFile()), g_szDefaultDocument);
    ExpectSlots(g_szDefaultTexts);
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "typed, not sent");
}

TEST_F(QuickCmdStore, UnusableDocumentsLoadNothingAndStayUntouched) {
    const std::string docs[] = {
        "\xEF\xBB\xBF{\"cmd01\" : \"AT\"}",  // a byte-order mark in front
        "not json at all",
        "{\"cmd01\" : \"AT\"",  // cut short
        "[\"AT\", \"AT+VERS?\"]",
        "\"AT\"",
        "42",
        "{\"cmd01\" : \"AT\", \"cmd02\" : 5}",
        "{\"cmd01\" : \"AT\", \"cmd07\" : [\"AT\"]}",
        "{\"cmd12\" : {\"text\" : \"AT\"}}",
        std::string("\0{\"cmd01\" : \"AT\"}", 18),  // the document ends at its first zero byte
    };
    MessageBoxRecorder boxes;
    for (const std::string& doc : docs) {
        SCOPED_TRACE(doc);
        WriteBytes(CmdFile(), doc);
        Restart();
        ExpectEmptySlots();
        EXPECT_EQ(ReadBytes(CmdFile()), doc);
    }
    EXPECT_EQ(boxes.Count(), 0u);

    // The next save replaces such a file with the panel's commands.
    SetEdit(0, "fresh");
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_TRUE(StartsWith(ReadBytes(CmdFile()), "{\n   \"cmd01\" : \"fresh\",\n"));
}
