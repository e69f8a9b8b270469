// File faults when saving the receive log: a full disk, a folder without write access, a
// file held by another program, a FIFO, and names GBK cannot hold. The box names the file,
// and the receive text, the panel and cmd.json stay as they were.
#include <fcntl.h>
#include <linux/capability.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <cstring>
#include <filesystem>

#include "platform/ui/filedlg.h"
#include "platform/ui/ui_hooks.h"
#include "support/permissions.h"
#include "support/port_dialog.h"
#include "support/reliability.h"

namespace {

class LogFaultTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &AddDevice(3);
        CreateDialog();
        m_strCmdJson = ReadBytes(WorkFile("cmd.json"));
        OpenPort("COM3");
        // More than the small disk holds, in hex display, with a quick command edited.
        m_dlg->m_bHexDisplay = TRUE;
        std::string data(40000, 'Q');
        m_dev->Send(data);
        ASSERT_TRUE(WaitReceived((INT_PTR)data.size() * 3));
        kvtest::AdvanceClock(30);
        m_dlg->GetDlgItem(IDC_CMD_EDIT2)->SetWindowText("edited, not saved");
    }
    // Saves the log to path; returns the boxes shown.
    std::vector<MessageBoxRecord> SaveTo(const std::string& path) {
        MessageBoxRecorder boxes;
        std::string before = m_dlg->m_strReceive.str();
        SetFileDialogHook([&](const FileDialogRecord&, std::string& chosen) {
            chosen = path;
            return true;
        });
        kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
        SetFileDialogHook(nullptr);
        EXPECT_TRUE(m_dlg->m_strReceive.str() == before);
        EXPECT_STREQ(Text(IDC_CMD_EDIT2), "edited, not saved");
        EXPECT_EQ(ReadBytes(WorkFile("cmd.json")), m_strCmdJson);
        EXPECT_STREQ(m_dlg->m_strPortState, "打开");
        return boxes.Records();
    }
    static bool Names(const std::vector<MessageBoxRecord>& boxes, const std::string& part) {
        return boxes.size() == 1 && boxes[0].strText.Find(part.c_str()) >= 0;
    }
    kvtest::FakeDevice* m_dev = nullptr;
    std::string m_strCmdJson;
};

}  // namespace

TEST_F(LogFaultTest, AFullDiskIsReportedNamingTheFileAndKeepsTheOldLog) {
    const std::string dir = m_dir + "/small";
    mkdir(dir.c_str(), 0755);
    if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    const std::string path = dir + "/log.txt";
    const std::string old(20000, 'o');  // fits, and leaves less room than the new log needs
    WriteBytes(path, old);
    auto boxes = SaveTo(path);
    EXPECT_TRUE(Names(boxes, "磁盘已满，无法写入 " + path))
        << (boxes.empty() ? "" : boxes[0].strText.GetString());
    EXPECT_TRUE(ReadBytes(path) == old);
    umount2(dir.c_str(), MNT_DETACH);
}

TEST_F(LogFaultTest, AWriteStoppedPartWayKeepsTheOldLogWhole) {
    // A file-size limit stops the write part-way as a full disk does, without a mount. An old
    // log keeps its bytes; a new one is not left behind empty.
    for (bool bOld : {true, false}) {
        SCOPED_TRACE(bOld ? "old log" : "new log");
        const std::string path = m_dir + (bOld ? "/log.txt" : "/new.txt");
        const std::string old = "yesterday's log\n";
        if (bOld) WriteBytes(path, old);
        struct rlimit saved, small;
        getrlimit(RLIMIT_FSIZE, &saved);
        small = saved;
        small.rlim_cur = 64 << 10;
        signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        auto boxes = SaveTo(path);  // 120000 bytes of hex text
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_DFL);
        EXPECT_TRUE(Names(boxes, "磁盘已满，无法写入 " + path))
            << (boxes.empty() ? "" : boxes[0].strText.GetString());
        if (bOld) {
            EXPECT_EQ(ReadBytes(path), old);
        } else {
            EXPECT_FALSE(std::filesystem::exists(path));
        }
        for (const auto& entry : std::filesystem::directory_iterator(m_dir))  // no temporary
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
}

TEST_F(LogFaultTest, AFolderWithoutWriteAccessIsReportedNamingTheFile) {
    const std::string dir = m_dir + "/locked";
    ASSERT_EQ(mkdir(dir.c_str(), 0555), 0);
    const std::string path = dir + "/log.txt";
    std::vector<MessageBoxRecord> boxes;
    {
        FilePermissionsEnforced enforced;
        ASSERT_TRUE(enforced.Ok());
        boxes = SaveTo(path);
    }
    EXPECT_TRUE(Names(boxes, "拒绝访问 " + path))
        << (boxes.empty() ? "" : boxes[0].strText.GetString());
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    chmod(dir.c_str(), 0755);
}

TEST_F(LogFaultTest, AFileHeldByAnotherProgramIsReportedAndKeepsItsContent) {
    const std::string path = m_dir + "/held.txt";
    WriteBytes(path, "the other program's data");
    int fd = open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    auto boxes = SaveTo(path);
    EXPECT_TRUE(Names(boxes, path + " 正被其他程序使用"))
        << (boxes.empty() ? "" : boxes[0].strText.GetString());
    EXPECT_EQ(ReadBytes(path), "the other program's data");
    close(fd);
    // Once it lets go, the same save works and writes every byte.
    EXPECT_EQ(SaveTo(path).size(), 0u);
    EXPECT_TRUE(ReadBytes(path) == m_dlg->m_strReceive.str());
}

TEST_F(LogFaultTest, AFifoIsRefusedAtOnceNamingIt) {
    // Nobody reads it: writing there would wait for ever.
    const std::string path = m_dir + "/fifo.txt";
    ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
    auto boxes = SaveTo(path);
    EXPECT_TRUE(Names(boxes, "拒绝访问 " + path))
        << (boxes.empty() ? "" : boxes[0].strText.GetString());
}

TEST_F(LogFaultTest, ANameGbkCannotHoldIsSavedAsChosen) {
    // "bj?rn.txt" is what the name would become through GBK; it must stay untouched.
    const std::string chosen = m_dir + u8"/björn.txt";
    const std::string lookalike = m_dir + "/bj?rn.txt";
    WriteBytes(lookalike, "someone else's");
    EXPECT_EQ(SaveTo(chosen).size(), 0u);
    EXPECT_TRUE(ReadBytes(chosen) == m_dlg->m_strReceive.str());
    EXPECT_EQ(ReadBytes(lookalike), "someone else's");
}
