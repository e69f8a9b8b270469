// Sending and receiving files: a raw stream checked byte for byte at the far end of a
// pseudo-terminal, XMODEM-1K and YMODEM to lrzsz's receivers on that far end, a ZMODEM
// receive from sz, bad input, and a transfer ended by cancel, by closing and by removal.
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/ui/filedlg.h"
#include "platform/ui/ui_hooks.h"
#include "serial/TransferProgram.h"
#include "support/files.h"
#include "support/port_dialog.h"

namespace {
// The process's children still alive or not yet reaped (a stray transfer program).
int ChildCount() {
    int n = 0;
    std::string self = std::to_string(getpid());
    if (DIR* d = opendir("/proc")) {
        while (dirent* e = readdir(d)) {
            std::ifstream f(std::string("/proc/") + e->d_name + "/stat");
            std::string pid, comm, state, ppid;
            if (f >> pid >> comm >> state >> ppid && ppid == self) ++n;
        }
        closedir(d);
    }
    return n;
}

// A program run on the device's side of the pseudo-terminal. It talks to a socket that a
// thread relays to the master, as a device's serial line would carry it: the program's own
// terminal settings then do not change the port's line.
class DevicePeer {
public:
    DevicePeer(int master, const std::string& dir, std::vector<std::string> argv) {
        int sv[2];
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv);
        m_pid = fork();
        if (m_pid == 0) {
            dup2(sv[1], 0);
            dup2(sv[1], 1);
            if (chdir(dir.c_str()) != 0) _exit(126);
            std::vector<char*> args;
            for (std::string& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(sv[1]);
        m_sock = sv[0];
        m_relay = std::thread([this, master] { Relay(master); });
    }
    ~DevicePeer() {
        m_stop = true;
        m_relay.join();
        close(m_sock);
        if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    // The program's exit status, or -1 when it did not end in time (it is killed).
    int Wait(int timeoutMs) {
        int status = -1;
        for (int i = 0; i < timeoutMs / 10; ++i) {
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return status;
            }
            kvtest::Pump(10);
        }
        return -1;
    }

private:
    void Relay(int master) {
        char buf[8192];
        while (!m_stop) {
            pollfd fds[2] = {{master, POLLIN, 0}, {m_sock, POLLIN, 0}};
            if (poll(fds, 2, 20) <= 0) continue;
            for (int i = 0; i < 2; ++i) {
                if (!(fds[i].revents & POLLIN)) continue;
                ssize_t r = read(fds[i].fd, buf, sizeof buf);
                for (ssize_t done = 0; r > 0 && done < r;) {
                    ssize_t w = write(fds[1 - i].fd, buf + done, (size_t)(r - done));
                    if (w > 0)
                        done += w;
                    else if (errno != EAGAIN && errno != EINTR)
                        break;
                }
            }
        }
    }
    pid_t m_pid = -1;
    int m_sock = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_relay;
};

std::string EveryByte(size_t repeat) {
    std::string s;
    for (size_t r = 0; r < repeat; ++r)
        for (int i = 0; i < 256; ++i) s += (char)i;
    return s;
}
}  // namespace

class FileTransferTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &OpenDevicePort(3);
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
        m_peerDir = m_dir + "/peer";
        mkdir(m_peerDir.c_str(), 0700);
    }
    void TearDown() override {
        SetFileDialogHook(nullptr);
        PortDialogTest::TearDown();
        EXPECT_EQ(ChildCount(), 0);
    }
    void Choose(const std::string& path) {
        SetFileDialogHook([path](const FileDialogRecord&, std::string& chosen) {
            chosen = path;
            return true;
        });
    }
    // Runs the window (and its progress timer) until the transfer has ended.
    // The device keeps reading (what it gets is dropped) unless the test reads it.
    bool WaitEnd(int timeoutMs = 20000, bool bDrain = true) {
        return kvtest::PumpUntil(
            [&] {
                kvtest::AdvanceClock(200);
                if (bDrain && m_dev && m_dev->master() >= 0) m_dev->Receive(1 << 16, 1);
                return !m_dlg->m_fileTransfer.IsRunning();
            },
            timeoutMs);
    }
    bool NeedLrzsz() { return !CTransferProgram::FindProgram("sz").empty(); }
    kvtest::FakeDevice* m_dev = nullptr;
    std::string m_peerDir;
};

struct RawRow {
    const char* name;
    int nPauseMs;
    int nEvery;
};

TEST_F(FileTransferTest, RawSendArrivesByteForByteWithAndWithoutPauses) {
    const RawRow rows[] = {
        {"no pause", 0, 0}, {"after each line", 3, 0}, {"each 100 bytes", 2, 100}};
    const std::string data = EveryByte(16);
    const std::string path = WorkFile("every.bin");
    WriteBytes(path, data);
    int64_t nTx = 0;
    for (const RawRow& row : rows) {
        m_dlg->m_settings.m_nFilePauseMs = row.nPauseMs;
        m_dlg->m_settings.m_nFilePauseEvery = row.nEvery;
        Choose(path);
        m_dlg->OnSendFile();
        std::string got;
        ASSERT_TRUE(kvtest::PumpUntil(
            [&] {
                got += m_dev->Receive(data.size() - got.size(), 10);
                return got.size() >= data.size();
            },
            10000))
            << row.name;
        EXPECT_TRUE(got == data) << row.name;
        ASSERT_TRUE(WaitEnd()) << row.name;
        nTx += (int64_t)data.size();
        EXPECT_EQ(m_dlg->m_nTxBytes, nTx) << row.name;
        EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find("完成"), -1) << row.name;
    }
}

TEST_F(FileTransferTest, BadFilesGetABoxAndNothingIsSent) {
    const std::string dir = WorkFile("folder"), fifo = WorkFile("fifo"), empty = WorkFile("empty");
    mkdir(dir.c_str(), 0700);
    mkfifo(fifo.c_str(), 0600);
    WriteBytes(empty, "");
    struct {
        std::string path;
        const char* says;
    } rows[] = {{dir, "文件夹"}, {fifo, "FIFO"}, {empty, "空"}, {WorkFile("missing"), "无法读取"}};
    for (const auto& row : rows) {
        MessageBoxRecorder boxes;
        Choose(row.path);
        m_dlg->OnSendFile();
        EXPECT_NE(boxes.Last().strText.Find(row.says), -1) << row.path;
        EXPECT_FALSE(m_dlg->m_fileTransfer.IsRunning()) << row.path;
    }
    EXPECT_EQ(m_dev->Receive(1, 200), "");
    EXPECT_EQ(m_dlg->m_nTxBytes, 0);
}

// A slow send (a pause after each 256 bytes) ended in the middle: by a file that shrinks, by
// cancel, by the close button, by the device going away.
TEST_F(FileTransferTest, RawSendEndedInTheMiddleEndsCleanly) {
    enum { SHRINK, CANCEL, CLOSE, REMOVE };
    struct {
        int how;
        const char* status;
        const char* box;
    } rows[] = {{SHRINK, "失败", "变小"},
                {CANCEL, "已取消", nullptr},
                {CLOSE, "串口已关闭", "串口已关闭"},
                {REMOVE, "串口已关闭", "串口已关闭"}};
    const std::string path = WorkFile("slow.bin");
    m_dlg->m_settings.m_nFilePauseMs = 5;
    m_dlg->m_settings.m_nFilePauseEvery = 256;
    for (const auto& row : rows) {
        if (row.how == REMOVE) {
            kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));  // COM3 closed
            m_dev = &AddDevice(4);
            m_dlg->RefreshPortList();
            OpenPort("COM4");
        }
        WriteBytes(path, EveryByte(1024));
        MessageBoxRecorder boxes;
        Choose(path);
        m_dlg->OnSendFile();
        ASSERT_EQ(m_dev->Receive(1024).size(), 1024u) << row.status;
        if (row.how == SHRINK) {
            ASSERT_EQ(truncate(path.c_str(), 2048), 0);
        } else if (row.how == CANCEL) {
            m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);  // Esc
        } else if (row.how == CLOSE) {
            kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        } else {
            m_devices.pop_back();
            m_dev = nullptr;
            m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
        }
        ASSERT_TRUE(WaitEnd()) << row.status;
        EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find(row.status), -1) << Text(IDC_STATUS_STATIC);
        if (row.box)
            EXPECT_NE(boxes.Last().strText.Find(row.box), -1) << boxes.Last().strText;
        else
            EXPECT_TRUE(boxes.Records().empty());
        EXPECT_FALSE(m_dlg->m_SerialPort.IsTransferActive());
        if (row.how == CLOSE) kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));  // open again
        // The port takes the window's sends again.
        if (row.how != REMOVE) {
            m_dev->Receive(1 << 20, 100);
            EXPECT_TRUE(m_dlg->m_SerialPort.SendBytes("ok", 2)) << row.status;
        }
    }
}

struct ProtocolRow {
    int nProtocol;
    std::vector<std::string> peer;
    const char* received;  // the name the peer stores it under
    bool padded;           // XMODEM fills the last block with 0x1A
};

TEST_F(FileTransferTest, XmodemAndYmodemReachLrzszOnTheFarEnd) {
    if (!NeedLrzsz()) GTEST_SKIP() << "lrzsz (rx, rb) is not installed";
    const ProtocolRow rows[] = {
        {KV_FILE_XMODEM_1K, {"rx", "-c", "x.bin"}, "x.bin", true},
        {KV_FILE_YMODEM, {"rb"}, "every.bin", false},
    };
    const std::string data = EveryByte(40);  // 10 KiB and a bit: several 1 KiB blocks
    const std::string path = WorkFile("every.bin");
    WriteBytes(path, data);
    for (const ProtocolRow& row : rows) {
        m_dlg->m_settings.m_nFileProtocol = row.nProtocol;
        DevicePeer peer(m_dev->master(), m_peerDir, row.peer);
        Choose(path);
        m_dlg->OnSendFile();
        ASSERT_TRUE(WaitEnd(20000, false)) << row.received;
        EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find("完成"), -1) << Text(IDC_STATUS_STATIC);
        EXPECT_EQ(peer.Wait(10000), 0) << row.received;
        std::string got = ReadBytes(m_peerDir + "/" + row.received);
        if (row.padded) {
            ASSERT_GE(got.size(), data.size());
            EXPECT_EQ(got.substr(data.size()), std::string(got.size() - data.size(), '\x1A'));
            got.resize(data.size());
        }
        EXPECT_TRUE(got == data) << row.received;
        EXPECT_GE(m_dlg->m_nTxBytes, (int64_t)data.size());
        // Nothing of the protocol reached the receive display.
        EXPECT_EQ(m_dlg->m_strReceive.GetLength(), 0);
    }
}

TEST_F(FileTransferTest, ZmodemReceiveFromSzIntoTheChosenFolder) {
    if (!NeedLrzsz()) GTEST_SKIP() << "lrzsz (sz, rz) is not installed";
    const std::string data = EveryByte(64);
    WriteBytes(m_peerDir + "/from-device.bin", data);
    const std::string folder = WorkFile("inbox");
    mkdir(folder.c_str(), 0700);
    m_dlg->m_settings.m_nFileProtocol = KV_FILE_ZMODEM;
    DevicePeer peer(m_dev->master(), m_peerDir, {"sz", "from-device.bin"});
    Choose(folder);
    m_dlg->OnReceiveFile();
    ASSERT_TRUE(WaitEnd(20000, false));
    EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find("完成"), -1) << Text(IDC_STATUS_STATIC);
    EXPECT_EQ(peer.Wait(10000), 0);
    EXPECT_TRUE(ReadBytes(folder + "/from-device.bin") == data);
    EXPECT_EQ(m_dlg->m_strReceive.GetLength(), 0);
}

// A program's transfer cancelled, and one whose device goes: the program is ended (no stray
// process), the status says how it ended, and a cancelled port takes sends again.
TEST_F(FileTransferTest, ProgramTransferCancelledOrDeviceRemoved) {
    if (!NeedLrzsz()) GTEST_SKIP() << "lrzsz (sx) is not installed";
    const std::string path = WorkFile("big.bin");
    WriteBytes(path, EveryByte(4096));  // 1 MiB: XMODEM waits for a receiver that never comes
    m_dlg->m_settings.m_nFileProtocol = KV_FILE_XMODEM_1K;
    for (bool bRemove : {false, true}) {
        if (bRemove) {
            kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));  // COM3 closed
            m_dev = &AddDevice(4);
            m_dlg->RefreshPortList();
            OpenPort("COM4");
        }
        MessageBoxRecorder boxes;
        Choose(path);
        m_dlg->OnSendFile();
        ASSERT_TRUE(m_dlg->m_fileTransfer.IsRunning());
        kvtest::Pump(300);
        if (!bRemove) {
            m_dlg->OnCancelTransfer();
        } else {
            m_devices.pop_back();
            m_dev = nullptr;
            m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
        }
        ASSERT_TRUE(WaitEnd(20000, false)) << bRemove;
        EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find(bRemove ? "串口已关闭" : "已取消"), -1)
            << Text(IDC_STATUS_STATIC);
        EXPECT_EQ(ChildCount(), 0);
        if (!bRemove) {
            // lrzsz's cancel (CAN bytes) went out, and the port is the window's again.
            EXPECT_NE(m_dev->Receive(1 << 16, 300).find("\x18\x18"), std::string::npos);
            EXPECT_TRUE(m_dlg->m_SerialPort.SendBytes("ok", 2));
        }
    }
}

// A missing program names its package; a program that fails shows its last error line.
TEST_F(FileTransferTest, MissingOrFailingProgramGetsABox) {
    const std::string path = WorkFile("f.bin");
    WriteBytes(path, EveryByte(8));
    m_dlg->m_settings.m_nFileProtocol = KV_FILE_XMODEM_1K;
    {
        const std::string saved = getenv("PATH") ? getenv("PATH") : "";
        setenv("PATH", m_peerDir.c_str(), 1);
        MessageBoxRecorder boxes;
        Choose(path);
        m_dlg->OnSendFile();
        m_dlg->OnReceiveFile();
        setenv("PATH", saved.c_str(), 1);
        ASSERT_EQ(boxes.Records().size(), 2u);
        for (const auto& r : boxes.Records()) EXPECT_NE(r.strText.Find("lrzsz"), -1);
        EXPECT_FALSE(m_dlg->m_fileTransfer.IsRunning());
    }
    if (!NeedLrzsz()) GTEST_SKIP() << "lrzsz (sx) is not installed";
    MessageBoxRecorder boxes;
    m_dlg->OnSendFile();
    m_dev->Send("\x18\x18\x18\x18\x18\x18\x18\x18");  // the receiver cancels at once
    ASSERT_TRUE(WaitEnd(30000));
    EXPECT_NE(CString(Text(IDC_STATUS_STATIC)).Find("失败"), -1) << Text(IDC_STATUS_STATIC);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_NE(boxes.Last().strText.Find("Transfer incomplete"), -1) << boxes.Last().strText;
}
