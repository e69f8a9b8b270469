// The comm layer on pseudo-terminals: opening, settings, the data path, waits, removal.
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <csignal>
#include <string>

#include "platform/comm/comm.h"
#include "platform/files/append_writer.h"
#include "platform/kernel/sync.h"
#include "support/files.h"
#include "support/pty.h"

namespace {
const COMMTIMEOUTS kTimeouts = {1, 1, 2, 50, 2000};

HANDLE OpenCom(const char* name) {
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, NULL);
}

// Applies a mode string to an open port; false if any step fails.
bool SetMode(HANDLE h, const char* mode) {
    DCB dcb;
    return GetCommState(h, &dcb) && BuildCommDCBA(mode, &dcb) && SetCommState(h, &dcb);
}

// Reads until n bytes came or the time is up.
std::string ReadPort(HANDLE h, size_t n, int timeoutMs = 2000) {
    std::string out;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    char buf[65536];
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(h, buf, (DWORD)std::min(sizeof buf, n - out.size()), &got, NULL));
        out.append(buf, got);
    }
    return out;
}

double CpuSeconds() {
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

class CommTest : public ::testing::Test {
protected:
    kvtest::PortMapSandbox sandbox;
};
}  // namespace

TEST(Events, ManualAutoAndTheOrderOfAWait) {
    HANDLE manual = CreateEvent(NULL, TRUE, FALSE, NULL);
    HANDLE autoEv = CreateEvent(NULL, FALSE, FALSE, NULL);
    ASSERT_TRUE(manual && autoEv);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(manual, 0));
    SetEvent(manual);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manual, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(manual, 0));  // stays set
    SetEvent(autoEv);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(autoEv, 0));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(autoEv, 0));  // taken by the wait

    // Both signalled: the first handle wins.
    HANDLE both[2] = {manual, autoEv};
    SetEvent(autoEv);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, INFINITE));
    ResetEvent(manual);
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjects(2, both, FALSE, INFINITE));

    // Set from another thread while waiting.
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(autoEv);
    });
    EXPECT_EQ(WAIT_OBJECT_0 + 1, WaitForMultipleObjects(2, both, FALSE, 5000));
    t.join();

    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_FALSE(CloseHandle(manual));
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(manual, 0));
    EXPECT_FALSE(SetEvent(manual));
    CloseHandle(autoEv);
}

TEST(Errors, SystemDescriptionsForTheErrorBox) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL, EIO,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (char*)&text, 0, NULL);
    ASSERT_TRUE(text);
    EXPECT_EQ(strlen(text), n);
    EXPECT_STREQ("Input/output error", text);
    LocalFree(text);
    SetLastError(ENOENT);
    std::thread([] { EXPECT_EQ(0u, GetLastError()); }).join();  // per thread
    EXPECT_EQ((DWORD)ENOENT, GetLastError());
}

TEST_F(CommTest, OpensByEitherNameFormExclusively) {
    kvtest::FakeDevice dev(sandbox.ports(), 12);
    ASSERT_TRUE(dev.ok());
    HANDLE h = OpenCom("\\\\.\\COM12");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    // A second open of the same port fails while the first holds it.
    HANDLE h2 = OpenCom("COM12");
    EXPECT_EQ(INVALID_HANDLE_VALUE, h2);
    EXPECT_EQ((DWORD)EBUSY, GetLastError());
    CloseHandle(h);
    h2 = OpenCom("COM12");
    EXPECT_NE(INVALID_HANDLE_VALUE, h2);
    COMMPROP prop;
    EXPECT_TRUE(GetCommProperties(h2, &prop));
    EXPECT_EQ((DWORD)PST_RS232, prop.dwProvSubType);
    CloseHandle(h2);
    EXPECT_FALSE(GetCommProperties(h2, &prop));
    EXPECT_EQ((DWORD)ERROR_INVALID_HANDLE, GetLastError());

    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenCom("COM0"));
    EXPECT_EQ(INVALID_HANDLE_VALUE, OpenCom("COM13"));  // not present
    EXPECT_EQ((DWORD)ENOENT, GetLastError());
}

TEST_F(CommTest, RefusesWhatIsNoPort) {
    const std::string ptmx = sandbox.ports() + "/com10", folder = sandbox.ports() + "/com11";
    ASSERT_EQ(0, symlink("/dev/ptmx", ptmx.c_str()));
    ASSERT_EQ(0, symlink(sandbox.state().c_str(), folder.c_str()));
    const struct {
        const char* name;
        DWORD error;
    } refused[] = {{"/dev/null", ENOTTY},
                   {"COM10", ENOTTY},  // would make a new pseudo-terminal master
                   {"/dev/pts/ptmx", ENOTTY},
                   {"COM11", EISDIR}};
    for (const auto& c : refused) {
        EXPECT_EQ(INVALID_HANDLE_VALUE, OpenCom(c.name)) << c.name;
        EXPECT_EQ(c.error, GetLastError()) << c.name;
    }
}

// A link to /dev/tty in a process that has a controlling terminal: that terminal is no port.
TEST_F(CommTest, TheControllingTerminalIsNoPort) {
    kvtest::FakeDevice dev(sandbox.ports(), 12);
    ASSERT_TRUE(dev.ok());
    const std::string link = sandbox.ports() + "/com13";
    ASSERT_EQ(0, symlink("/dev/tty", link.c_str()));
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int fd = setsid() < 0 ? -1 : open(dev.slavePath().c_str(), O_RDWR);
        if (fd < 0 || ioctl(fd, TIOCSCTTY, 0) < 0) _exit(2);
        HANDLE h = OpenCom(link.c_str());
        _exit(h == INVALID_HANDLE_VALUE && GetLastError() == ENOTTY ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

// What other programs see of the line: the speed by its standard code while open, and the
// settings the port had before once it is closed.
TEST_F(CommTest, SetsStandardSpeedsByTheirCodeAndLeavesTheLineAsFound) {
    kvtest::FakeDevice dev(sandbox.ports(), 8);
    ASSERT_TRUE(dev.ok());
    int other = open(dev.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    termios found;
    ASSERT_EQ(0, tcgetattr(other, &found));
    found.c_lflag |= ICANON | ECHO;
    found.c_iflag |= ICRNL;
    cfsetspeed(&found, B4800);
    ASSERT_EQ(0, tcsetattr(other, TCSANOW, &found));

    HANDLE h = OpenCom("COM8");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(SetMode(h, "baud=115200 parity=N data=8 stop=1"));
    termios t;
    ASSERT_EQ(0, tcgetattr(other, &t));
    EXPECT_EQ((speed_t)B115200, cfgetospeed(&t));
    EXPECT_EQ((speed_t)B115200, cfgetispeed(&t));
    EXPECT_EQ(0u, t.c_lflag & ICANON);

    CloseHandle(h);
    ASSERT_EQ(0, tcgetattr(other, &t));
    EXPECT_EQ((speed_t)B4800, cfgetospeed(&t));
    EXPECT_EQ(found.c_lflag, t.c_lflag);
    EXPECT_EQ(found.c_iflag, t.c_iflag);
    EXPECT_EQ(found.c_cflag, t.c_cflag);
    close(other);
}

// A terminal that is killed (Ctrl+C, logout) leaves its ports as an orderly close would: a
// device still held open elsewhere can be opened again, with its old settings. A live log's
// writer first writes the tail it was holding.
TEST_F(CommTest, ATerminationSignalReleasesTheOpenPorts) {
    kvtest::FakeDevice dev(sandbox.ports(), 8);
    ASSERT_TRUE(dev.ok());
    termios found;
    ASSERT_EQ(0, tcgetattr(dev.slave(), &found));
    const std::string log = sandbox.state() + "/live.txt";
    const std::string tail(60000, 'L');
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        unlink(log.c_str());
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            InstallCommReleaseOnSignals();
            HANDLE h = OpenCom("COM8");
            if (h == INVALID_HANDLE_VALUE || !SetMode(h, "baud=115200 parity=E data=7 stop=2"))
                _exit(3);
            // Bytes that would wait a minute before their write.
            static CAppendWriter writer;
            if (!writer.Open(log.c_str(), nullptr, 60000)) _exit(5);
            writer.Append(tail.data(), tail.size());
            raise(sig);
            _exit(4);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << sig << ", status " << status;
        EXPECT_EQ(sig, WTERMSIG(status));
        int exclusive = 1;
        ASSERT_EQ(0, ioctl(dev.slave(), TIOCGEXCL, &exclusive));
        EXPECT_EQ(0, exclusive) << "signal " << sig;
        termios t;
        ASSERT_EQ(0, tcgetattr(dev.slave(), &t));
        EXPECT_EQ(cfgetospeed(&found), cfgetospeed(&t)) << "signal " << sig;
        EXPECT_EQ(found.c_cflag, t.c_cflag) << "signal " << sig;
        EXPECT_TRUE(ReadBytes(log) == tail) << "signal " << sig;
        HANDLE again = OpenCom("COM8");
        EXPECT_NE(INVALID_HANDLE_VALUE, again) << "signal " << sig;
        if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    }
}

TEST_F(CommTest, ConfiguresAnySpeedAndReadsItBack) {
    kvtest::FakeDevice dev(sandbox.ports(), 3);
    ASSERT_TRUE(dev.ok());
    HANDLE h = OpenCom("COM3");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    for (const char* mode :
         {"baud=250000 parity=N data=8 stop=1", "baud=9600 parity=N data=8 stop=2",
          "baud=921600 parity=N data=8 stop=1"}) {
        DCB dcb;
        ASSERT_TRUE(GetCommState(h, &dcb));
        ASSERT_TRUE(BuildCommDCBA(mode, &dcb));
        ASSERT_TRUE(SetCommState(h, &dcb)) << mode << ": " << GetLastError();
        DCB back;
        ASSERT_TRUE(GetCommState(h, &back));
        EXPECT_EQ(dcb.BaudRate, back.BaudRate) << mode;
        EXPECT_EQ(dcb.StopBits, back.StopBits) << mode;
    }
    DCB bad;
    GetCommState(h, &bad);
    bad.ByteSize = 9;
    EXPECT_FALSE(SetCommState(h, &bad));
    EXPECT_EQ((DWORD)EINVAL, GetLastError());
    CloseHandle(h);
}

TEST_F(CommTest, MovesBytesBothWaysAndSignalsArrivals) {
    kvtest::FakeDevice dev(sandbox.ports(), 4);
    ASSERT_TRUE(dev.ok());
    HANDLE h = OpenCom("COM4");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    ASSERT_TRUE(SetMode(h, "baud=115200 parity=N data=8 stop=1"));
    ASSERT_TRUE(SetCommTimeouts(h, &kTimeouts));
    ASSERT_TRUE(SetCommMask(h, EV_RXCHAR));

    OVERLAPPED ov;
    ov.hEvent = CreateEvent(NULL, TRUE, FALSE, NULL);
    DWORD mask = 0;
    ASSERT_FALSE(WaitCommEvent(h, &mask, &ov));
    EXPECT_EQ((DWORD)ERROR_IO_PENDING, GetLastError());
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(ov.hEvent, 50));
    dev.Send("hello\r\n");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ov.hEvent, 2000));
    GetCommMask(h, &mask);
    EXPECT_EQ((DWORD)EV_RXCHAR, mask);

    // Bytes waiting: the next wait completes at once, and the status counts them.
    DWORD errors;
    COMSTAT st;
    ASSERT_TRUE(ClearCommError(h, &errors, &st));
    EXPECT_EQ(7u, st.cbInQue);
    EXPECT_TRUE(WaitCommEvent(h, &mask, &ov));
    EXPECT_EQ((DWORD)EV_RXCHAR, mask);
    EXPECT_EQ("hello\r\n", ReadPort(h, 7));

    // A read asks for more than came: it returns what there is after the time-outs.
    dev.Send("abc");
    char buf[100];
    DWORD got = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_TRUE(ReadFile(h, buf, sizeof buf, &got, NULL));
    EXPECT_EQ("abc", std::string(buf, got));

    // Writing; and a purge empties what was received.
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "AT\r\n", 4, &written, NULL));
    EXPECT_EQ(4u, written);
    EXPECT_EQ("AT\r\n", dev.Receive(4));
    dev.Send("stale");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT));
    ClearCommError(h, &errors, &st);
    EXPECT_EQ(0u, st.cbInQue);

    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(CommTest, AStreamArrivesWholeAndInOrder) {
    kvtest::FakeDevice dev(sandbox.ports(), 5);
    ASSERT_TRUE(dev.ok());
    HANDLE h = OpenCom("COM5");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetCommTimeouts(h, &kTimeouts);
    std::string data(3 << 20, 0);
    for (size_t i = 0; i < data.size(); ++i) data[i] = (char)(i * 7 + (i >> 10));
    // The writer runs ahead while nobody reads: the port's own buffer takes it all.
    std::thread writer([&] { dev.Send(data); });
    writer.join();
    std::string got = ReadPort(h, data.size(), 10000);
    EXPECT_EQ(data.size(), got.size());
    EXPECT_TRUE(got == data);
    EXPECT_EQ(0u, GetCommOverflowCount(h));
    CloseHandle(h);
}

TEST_F(CommTest, ARemovedDeviceStopsTheReaderWithoutSpinning) {
    kvtest::FakeDevice dev(sandbox.ports(), 6);
    ASSERT_TRUE(dev.ok());
    HANDLE h = OpenCom("COM6");
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetCommTimeouts(h, &kTimeouts);
    SetCommMask(h, EV_RXCHAR);
    dev.Send("last");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    dev.CloseMaster();
    for (int i = 0; i < 200 && !IsCommDeviceLost(h); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(IsCommDeviceLost(h));

    // What had arrived can still be read; then waits fail and writes report EIO.
    EXPECT_EQ("last", ReadPort(h, 4, 500));
    OVERLAPPED ov;
    ov.hEvent = CreateEvent(NULL, TRUE, FALSE, NULL);
    DWORD mask;
    EXPECT_FALSE(WaitCommEvent(h, &mask, &ov));
    EXPECT_EQ((DWORD)EIO, GetLastError());
    DWORD written;
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, NULL));
    EXPECT_EQ((DWORD)EIO, GetLastError());

    // The hung-up descriptor stays readable for poll; the reader must not chase it.
    double cpu0 = CpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(CpuSeconds() - cpu0, 0.1);
    CloseHandle(ov.hEvent);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(CommTest, ThousandOpenCloseCyclesLeaveNothingBehind) {
    kvtest::FakeDevice dev(sandbox.ports(), 7);
    ASSERT_TRUE(dev.ok());
    // One cycle first: what is set up once per process (a sanitizer's own thread) is not a leak.
    ASSERT_TRUE(CloseHandle(OpenCom("COM7")));
    int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
    for (int i = 0; i < 1000; ++i) {
        HANDLE h = OpenCom("COM7");
        ASSERT_NE(INVALID_HANDLE_VALUE, h) << i;
        ASSERT_TRUE(CloseHandle(h));
    }
    EXPECT_EQ(fds, kvtest::OpenFdCount());
    EXPECT_EQ(threads, kvtest::ThreadCount());
}
