// cmd.json files of odd shapes at start-up: no crash, the outcome the store defines for each,
// and the file left as it was.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/msgbox_recorder.h"
#include "support/permissions.h"
#include "support/quickcmd_env.h"

using QuickCmdBadFiles = QuickCmdTest;

TEST_F(QuickCmdBadFiles, AHugeFileLoadsUpToTheCapAndStaysAsItIs) {
    // White space before the document: still one JSON value, larger than any save writes.
    // Up to 4 MiB it loads; a byte more and it is no command store, left alone unread.
    const std::string tail = "{\"cmd01\" : \"far\"}";
    for (size_t nSize : {(size_t)3 << 20, (size_t)4 << 20, ((size_t)4 << 20) + 1}) {
        SCOPED_TRACE(nSize);
        std::string doc = std::string(nSize - tail.size(), ' ') + tail;
        WriteBytes(CmdFile(), doc);
        MessageBoxRecorder boxes;
        Restart();
        EXPECT_STREQ(m_dlg->m_strCmd[0], nSize <= (4u << 20) ? "far" : "");
        EXPECT_EQ(boxes.Count(), 0u);
        EXPECT_EQ(ReadBytes(CmdFile()), doc);
    }
}

TEST_F(QuickCmdBadFiles, DeepNestingIsUnusableNotACrash) {
    std::string doc = "{\"cmd01\" : " + std::string(100000, '[') + std::string(100000, ']') + "}";
    WriteBytes(CmdFile(), doc);
    MessageBoxRecorder boxes;
    CreateDialog();
    ExpectEmptySlots();
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(ReadBytes(CmdFile()), doc);
}

TEST_F(QuickCmdBadFiles, AFolderNamedCmdJsonIsAFileErrorNamingIt) {
    std::filesystem::create_directory(CmdFile());
    MessageBoxRecorder boxes;
    CreateDialog();
    ExpectEmptySlots();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().strText.Find(CmdFile().c_str()), -1) << boxes.Last().strText.GetString();
    EXPECT_TRUE(std::filesystem::is_directory(CmdFile()));
    // Saving reports the same and leaves the folder alone.
    boxes.Clear();
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory(CmdFile()));
}

TEST_F(QuickCmdBadFiles, AnUnreadableFileIsReportedAndKept) {
    const std::string doc = "{\"cmd01\" : \"secret\"}";
    WriteBytes(CmdFile(), doc);
    ASSERT_EQ(chmod(CmdFile().c_str(), 0), 0);
    MessageBoxRecorder boxes;
    {
        FilePermissionsEnforced enforced;
        if (!enforced.Ok()) GTEST_SKIP() << "cannot drop the permission override";
        CreateDialog();
    }
    ExpectEmptySlots();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Last().strText.Find(CmdFile().c_str()), -1);
    chmod(CmdFile().c_str(), 0644);
    EXPECT_EQ(ReadBytes(CmdFile()), doc);
}

TEST_F(QuickCmdBadFiles, AFileUnusableAtStartIsKeptAsBakBeforeItIsReplaced) {
    // Silent at start, as for any unusable file; the first 保存 or 重置 keeps its bytes.
    struct {
        const char* name;
        std::string doc;
        int button;
        bool kept;
    } rows[] = {
        {"over the cap, saved", std::string((4u << 20) + 1, ' ') + "{}", IDC_CMD_SAVE_BUTTON, true},
        {"no number, reset", "{\"n\":1e999999,\"cmd01\":\"x\"}", IDC_CMD_RESET_BUTTON, true},
        {"usable, saved", "{\"cmd01\":\"mine\"}", IDC_CMD_SAVE_BUTTON, false},
    };
    const std::string bak = WorkFile("cmd.json.bak");
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::filesystem::remove(bak);
        WriteBytes(CmdFile(), r.doc);
        MessageBoxRecorder boxes;
        Restart();
        EXPECT_EQ(boxes.Count(), 0u);
        Click(r.button);
        EXPECT_EQ(boxes.Count(), 1u);  // 保存成功! or 重置成功!
        EXPECT_NE(ReadBytes(CmdFile()), r.doc);
        EXPECT_EQ(std::filesystem::exists(bak), r.kept);
        if (r.kept) {
            EXPECT_TRUE(ReadBytes(bak) == r.doc);
        }
        // Only the file found at start: a second save keeps the backup as it is.
        Click(IDC_CMD_SAVE_BUTTON);
        if (r.kept) {
            EXPECT_TRUE(ReadBytes(bak) == r.doc);
        }
    }
}
