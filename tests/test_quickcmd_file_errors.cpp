// File errors of the quick-command store: a read-only file, a file held by another program,
// a folder without write access, another user's link and a full disk. Each error is a box
// naming the file's full path, and cmd.json is never left half-written.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/syscall.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "dialog/CmdDocument.h"
#include "dialog/CommandSlots.h"
#include "support/msgbox_recorder.h"
#include "support/permissions.h"
#include "support/quickcmd_env.h"

namespace {

const std::string g_strDefault = WriteCommandDocument(BuildDefaultCommands());

bool Contains(const CString& s, const std::string& part) {
    return std::string(s.GetString(), (size_t)s.GetLength()).find(part) != std::string::npos;
}

using QuickCmdFileErrors = QuickCmdTest;

}  // namespace

TEST_F(QuickCmdFileErrors, ReadOnlyFileIsReportedWithItsFullPath) {
    WriteBytes(CmdFile(), "{\"cmd01\" : \"kept\"}");
    ASSERT_EQ(chmod(CmdFile().c_str(), 0444), 0);
    FilePermissionsEnforced enforced;
    ASSERT_TRUE(enforced.Ok());
    MessageBoxRecorder boxes;

    CreateDialog();  // loading opens the file for writing too
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(Contains(boxes.Last().strText, "拒绝访问 " + CmdFile())) << boxes.Last().strText;
    ExpectEmptySlots();
    EXPECT_TRUE(Enabled(IDC_CMD_SAVE_BUTTON));  // the start-up went on

    SetEdit(0, "edited");
    Click(IDC_CMD_SAVE_BUTTON);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_TRUE(Contains(boxes.Last().strText, CmdFile()));
    EXPECT_STRNE(boxes.Last().strText, "保存成功!");

    Click(IDC_CMD_RESET_BUTTON);
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_TRUE(Contains(boxes.Last().strText, CmdFile()));
    EXPECT_STREQ(Text(IDC_CMD_EDIT1), "edited");  // the panel keeps what it showed
    EXPECT_STREQ(Text(IDC_CMD_EDIT2), "");
    EXPECT_EQ(ReadBytes(CmdFile()), "{\"cmd01\" : \"kept\"}");
}

TEST_F(QuickCmdFileErrors, FileHeldByAnotherProgramIsReported) {
    WriteBytes(CmdFile(), g_strDefault);
    int fd = open(CmdFile().c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    MessageBoxRecorder boxes;
    CreateDialog();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(Contains(boxes.Last().strText, CmdFile() + " 正被其他程序使用"))
        << boxes.Last().strText;
    ExpectEmptySlots();
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(ReadBytes(CmdFile()), g_strDefault);

    close(fd);  // once the other program lets go, saving works
    Click(IDC_CMD_SAVE_BUTTON);
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_STREQ(boxes.Last().strText, "保存成功!");
}

TEST_F(QuickCmdFileErrors, WritableFileInAReadOnlyFolderIsSavedInPlace) {
    const std::string dir = WorkFile("locked");
    ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
    WriteBytes(dir + "/cmd.json", std::string(2000, ' ') + "{}");
    ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    {
        FilePermissionsEnforced enforced;
        ASSERT_TRUE(enforced.Ok());
        MessageBoxRecorder boxes;
        CreateDialog();
        SetEdit(0, "in place");
        Click(IDC_CMD_SAVE_BUTTON);
        ASSERT_EQ(boxes.Count(), 1u);
        EXPECT_STREQ(boxes.Last().strText, "保存成功!");
    }
    std::string saved = ReadBytes(dir + "/cmd.json");
    EXPECT_TRUE(StartsWith(saved, "{\n   \"cmd01\" : \"in place\",\n"));
    EXPECT_EQ(saved.substr(saved.size() - 21), "   \"hex12\" : false\n}\n");
    chmod(dir.c_str(), 0755);
}

TEST_F(QuickCmdFileErrors, OnlyTheUsersOwnLinkIsFollowed) {
    if (geteuid() != 0) GTEST_SKIP() << "making another user's link needs root";
    // Somebody else's link, dangling: start-up must not create the file it names.
    const std::string planted = m_dir + "/planted.json";
    ASSERT_EQ(symlink(planted.c_str(), CmdFile().c_str()), 0);
    ASSERT_EQ(lchown(CmdFile().c_str(), 65534, 65534), 0);
    MessageBoxRecorder boxes;
    CreateDialog();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(Contains(boxes.Last().strText, "拒绝访问 " + CmdFile())) << boxes.Last().strText;
    ExpectEmptySlots();
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_NE(access(planted.c_str(), F_OK), 0);

    // The user's own link (kept with their dotfiles) is followed and stays a link.
    const std::string kept = m_dir + "/dotfiles-cmd.json";
    ASSERT_EQ(unlink(CmdFile().c_str()), 0);
    ASSERT_EQ(symlink(kept.c_str(), CmdFile().c_str()), 0);
    Restart();
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(ReadBytes(kept), g_strDefault);
    EXPECT_STREQ(Text(IDC_CMD_EDIT1), "AT");
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_STREQ(boxes.Last().strText, "保存成功!");
    EXPECT_TRUE(std::filesystem::is_symlink(CmdFile()));
}

namespace {
// A tiny file system mounted in the working folder, made the current directory.
class SmallDisk {
public:
    explicit SmallDisk(const std::string& dir) : m_dir(dir) {
        mkdir(dir.c_str(), 0755);
        m_bMounted = mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") == 0;
        if (m_bMounted) m_bMounted = chdir(dir.c_str()) == 0;
    }
    ~SmallDisk() {
        if (!m_bMounted) return;
        if (chdir((m_dir + "/..").c_str()) != 0) return;
        umount2(m_dir.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_bMounted; }
    // Fills the disk with a filler file.
    void Fill() {
        int fd = open((m_dir + "/filler").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        char block[4096];
        memset(block, 'x', sizeof block);
        while (write(fd, block, sizeof block) > 0) {
        }
        while (write(fd, block, 1) > 0) {
        }
        close(fd);
    }
    void Free() { unlink((m_dir + "/filler").c_str()); }
    // The names in the folder, sorted.
    std::string Names() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string all;
        for (const std::string& n : names) all += n + " ";
        return all;
    }

private:
    std::string m_dir;
    bool m_bMounted = false;
};
}  // namespace

TEST_F(QuickCmdFileErrors, FullDiskNeverLeavesAHalfWrittenFile) {
    const std::string dir = WorkFile("small");
    SmallDisk disk(dir);
    if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    const std::string file = dir + "/cmd.json";
    MessageBoxRecorder boxes;

    // A first start on a full disk: the default document cannot be written.
    WriteBytes(file, "");
    disk.Fill();
    CreateDialog();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_TRUE(Contains(boxes.Last().strText, "磁盘已满，无法写入 " + file))
        << boxes.Last().strText;
    ExpectEmptySlots();
    EXPECT_EQ(ReadBytes(file), "");

    disk.Free();
    Restart();
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(ReadBytes(file), g_strDefault);

    // Saving or resetting with the disk full keeps the previous content whole.
    disk.Fill();
    SetEdit(0, std::string(6000, 'L').c_str());
    Click(IDC_CMD_SAVE_BUTTON);
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_TRUE(Contains(boxes.Last().strText, "磁盘已满，无法写入 " + file));
    EXPECT_EQ(ReadBytes(file), g_strDefault);
    Click(IDC_CMD_RESET_BUTTON);
    ASSERT_EQ(boxes.Count(), 3u);
    EXPECT_TRUE(Contains(boxes.Last().strText, file));
    EXPECT_EQ(ReadBytes(file), g_strDefault);
    EXPECT_EQ(Text(IDC_CMD_EDIT1).GetLength(), 6000);  // the failed reset changed nothing
    EXPECT_EQ(disk.Names(), "cmd.json filler ");       // no scraps left behind

    disk.Free();
    Click(IDC_CMD_SAVE_BUTTON);
    EXPECT_STREQ(boxes.Last().strText, "保存成功!");
    EXPECT_EQ(ReadBytes(file).size(), 520u - 2 + 6000);
}
