// cmd.json files of odd shapes at start-up: no crash, the outcome the store defines for each,
// and the file left as it was.
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "platform/msgbox.h"
#include "support/permissions.h"
#include "support/quickcmd_env.h"

using QuickCmdBadFiles = QuickCmdTest;

TEST_F(QuickCmdBadFiles, AHugeFileStillLoadsAndStaysAsItIs) {
    // 10 MiB of white space before the document: still one JSON value.
    std::string doc = std::string(10 << 20, ' ') + "{\"cmd01\" : \"far\"}";
    WriteBytes(CmdFile(), doc);
    MessageBoxRecorder boxes;
    CreateDialog();
    EXPECT_STREQ(m_dlg->m_strCmd[0], "far");
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(ReadBytes(CmdFile()), doc);
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
