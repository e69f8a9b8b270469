// Why a port did not open: the box's text, and what it is made from (who holds a device).
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "serial/OpenFailure.h"
#include "support/pty.h"

TEST(OpenFailureText, KeepsTheUsualWordsFirstOrStatesTheCause) {
    const char* kBusy = "串口5  已经被其他应用程序所占用!\n请选择其它的串口";
    const char* kRefused = "串口4  没有访问权限!";
    const CString kAbsent =
        "串口7  已经被其他应用程序所占用!\n请选择其它的串口\n该串口的设备已不存在 (已拔出?)";
    const char* kNet = "tcp://127.0.0.1:1";
    const struct {
        const char* what;
        CPortOpenFailure f;
        CString want;
        bool warning;  // the box has the warning icon
    } cases[] = {
        // Ports of the list, opened with the open button: the usual words come first.
        {"busy, one holder",
         {5, ERROR_BUSY, "/dev/ttyUSB0", "dialout", {{4242, "minicom"}}},
         CString(kBusy) + "\n占用程序: minicom (进程 4242)",
         false},
        {"busy, several holders, the first three named",
         {5, ERROR_BUSY, "/dev/ttyUSB0", "", {{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}}},
         CString(kBusy) + "\n占用程序: a (进程 1), b (进程 2), c (进程 3) 等 4 个",
         false},
        {"busy, holder unknown",
         {5, ERROR_BUSY, "/dev/ttyUSB0", "dialout", {}},
         CString(kBusy) + "\n占用程序不明, 可用 sudo fuser -v /dev/ttyUSB0 查看",
         false},
        {"busy, device unknown", {5, ERROR_BUSY, "", "", {}}, kBusy, false},
        {"refused, dialout's device",
         {4, ERROR_PERMISSION_DENIED, "/dev/ttyACM0", "dialout", {}},
         CString(kRefused) +
             "\n设备 /dev/ttyACM0 属于 dialout 组\n请将当前用户加入 dialout 组后重新登录:\n"
             "sudo usermod -aG dialout $USER",
         false},
        {"refused, another group's device",
         {4, ERROR_OPERATION_NOT_PERMITTED, "/dev/pts/3", "tty", {}},
         CString(kRefused) + "\n设备 /dev/pts/3 属于 tty 组, 当前用户不能读写",
         false},
        {"refused, group without a name",
         {4, ERROR_PERMISSION_DENIED, "/dev/pts/3", "", {}},
         CString(kRefused) + "\n设备 /dev/pts/3 不允许当前用户读写",
         false},
        {"refused, device unknown", {4, ERROR_PERMISSION_DENIED, "", "", {}}, kRefused, false},
        {"absent", {7, ERROR_FILE_NOT_FOUND, "", "", {}}, kAbsent, false},
        {"gone under its node",
         {7, ERROR_DEVICE_NOT_CONNECTED, "/dev/ttyUSB1", "dialout", {}},
         kAbsent,
         false},
        {"no port at all", {5, ENOTTY, "/dev/tty", "tty", {}}, kBusy, false},
        // Network ports: the cause, in the box's words, after the address.
        {"network, refused",
         {9, ECONNREFUSED, "", "", {}, kNet},
         "串口9  无法连接 tcp://127.0.0.1:1\n连接被拒绝",
         true},
        {"network, unknown host",
         {9, ENOENT, "", "", {}, "rfc2217://nohost.invalid:2217"},
         "串口9  无法连接 rfc2217://nohost.invalid:2217\n无法解析主机名",
         true},
        {"network, timed out",
         {9, ETIMEDOUT, "", "", {}, kNet},
         "串口9  无法连接 tcp://127.0.0.1:1\n连接超时",
         true},
        {"network, dropped while setting up",
         {9, EIO, "", "", {}, kNet},
         "串口9  无法连接 tcp://127.0.0.1:1\n连接被对方断开",
         true},
        {"network, a reason without words",
         {9, EMSGSIZE, "", "", {}, kNet},
         "串口9  无法连接 tcp://127.0.0.1:1\n打开失败 (错误代码 90)",
         true},
        // Ports named on the command line: the cause; the in-use words only when held.
        {"command line, no such port",
         {99, ENOENT, "", "", {}, "", true},
         "串口99  无法打开\n没有这个串口",
         true},
        {"command line, device gone",
         {2, ENXIO, "/dev/pts/7", "tty", {}, "", true},
         "串口2  无法打开 /dev/pts/7\n没有这个串口",
         true},
        {"command line, held",
         {5, ERROR_BUSY, "/dev/pts/7", "tty", {{77, "picocom"}}, "", true},
         CString(kBusy) + "\n占用程序: picocom (进程 77)",
         true},
        {"command line, refused",
         {4, ERROR_PERMISSION_DENIED, "/dev/pts/3", "", {}, "", true},
         CString(kRefused) + "\n设备 /dev/pts/3 不允许当前用户读写",
         true},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(FormatOpenFailure(c.f), c.want) << c.what;
        EXPECT_EQ(OpenFailureBoxType(c.f), c.warning ? UINT(MB_OK | MB_ICONWARNING) : UINT(MB_OK))
            << c.what;
    }
}

namespace {
void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
std::string SelfComm() {
    std::string name;
    std::getline(std::ifstream("/proc/self/comm"), name);
    return name;
}
}  // namespace

TEST(CommHolders, AreTheProcessesWithTheDeviceOpenInProcessOrder) {
    kvtest::TempDir dir;
    const std::string proc = dir / "proc", device = dir / "device";
    WriteFile(device, "");
    WriteFile(dir / "other", "");
    const struct {
        const char* pid;
        const char* comm;
        const char* target;  // what its descriptor leads to; nullptr: no descriptors to read
    } processes[] = {{"100", "minicom", "device"},
                     {"7", "bash", "other"},
                     {"20", "ModemManager", "device"},
                     {"300", "hidden", nullptr},
                     {"self", "not-a-process", "device"}};
    mkdir(proc.c_str(), 0700);
    for (const auto& p : processes) {
        const std::string pdir = proc + "/" + p.pid;
        mkdir(pdir.c_str(), 0700);
        WriteFile(pdir + "/comm", std::string(p.comm) + "\n");
        if (!p.target) continue;
        mkdir((pdir + "/fd").c_str(), 0700);
        ASSERT_EQ(symlink((dir / p.target).c_str(), (pdir + "/fd/3").c_str()), 0);
    }
    std::vector<COMMHOLDER> holders = FindCommHolders(device, proc);
    ASSERT_EQ(holders.size(), 2u);
    EXPECT_EQ(holders[0].dwProcessId, 20u);
    EXPECT_STREQ(holders[0].strName, "ModemManager");
    EXPECT_EQ(holders[1].dwProcessId, 100u);
    EXPECT_STREQ(holders[1].strName, "minicom");
    EXPECT_TRUE(FindCommHolders(dir / "missing", proc).empty());
}

TEST(CommHolders, FindThisProcessHoldingAPseudoTerminalThroughAnyOfItsNames) {
    kvtest::TempDir dir;
    kvtest::FakeDevice dev(dir.path(), 9);  // keeps the terminal's port side open
    ASSERT_TRUE(dev.ok());
    for (const std::string& path : {dev.slavePath(), dev.link()}) {
        bool found = false;
        for (const COMMHOLDER& h : FindCommHolders(path))
            found = found || (h.dwProcessId == (DWORD)getpid() && h.strName == SelfComm().c_str());
        EXPECT_TRUE(found) << path;
        CString strReal, strGroup;
        ASSERT_TRUE(GetCommDeviceOwner(path, strReal, strGroup));
        EXPECT_STREQ(strReal, dev.slavePath().c_str());
        struct stat st;
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        struct group* gr = getgrgid(st.st_gid);
        EXPECT_STREQ(strGroup, gr ? gr->gr_name : "");
    }
    CString strReal, strGroup;
    EXPECT_FALSE(GetCommDeviceOwner(dir / "missing", strReal, strGroup));
}
