// CSerialPort on pseudo-terminals with a message-only window as its owner.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ui/ui_hooks.h"
#include "serial/SerialPort.h"
#include "support/msgbox_recorder.h"
#include "support/pty.h"
#include "support/testing.h"
#include "tools/vdev/pattern.h"

namespace {
class CRxWnd : public CWnd {
public:
    std::string m_received;
    std::vector<LPARAM> m_counts;
    kvpattern::Checker m_checker;
    bool m_checkPattern = false;

    LRESULT OnSerialReceive(WPARAM wParam, LPARAM lParam) {
        m_counts.push_back(lParam);
        if (m_checkPattern)
            m_checker.Feed((const void*)wParam, (size_t)lParam);
        else
            m_received.append((const char*)wParam, (size_t)lParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRxWnd, CWnd)
ON_MESSAGE(UM_SERIAL_RXBYTE, OnSerialReceive)
END_MESSAGE_MAP()

std::mutex g_writesMutex;
std::vector<DWORD> g_writes;
void RecordWrite(DWORD n) {
    std::lock_guard<std::mutex> lock(g_writesMutex);
    g_writes.push_back(n);
}
std::vector<DWORD> TakeWrites() {
    std::lock_guard<std::mutex> lock(g_writesMutex);
    std::vector<DWORD> v;
    v.swap(g_writes);
    return v;
}

double CpuSeconds() {
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Empties the master side in the background, as a device that takes what it is sent.
class Sink {
public:
    explicit Sink(int fd)
        : m_thread([this, fd] {
              char buf[65536];
              while (!m_stop) {
                  pollfd pfd = {fd, POLLIN, 0};
                  if (poll(&pfd, 1, 20) > 0) {
                      ssize_t r = read(fd, buf, sizeof buf);
                      if (r > 0) m_bytes += (size_t)r;
                  }
              }
          }) {}
    ~Sink() {
        m_stop = true;
        m_thread.join();
    }
    size_t bytes() const { return m_bytes; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_bytes{0};
    std::thread m_thread;
};

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(wnd.CreateMessageOnly()); }
    void TearDown() override { wnd.DestroyWindow(); }
    // Starts the thread and gives it time to arm its first wait.
    void Start(CSerialPort& port) {
        ASSERT_TRUE(port.StartMonitor());
        kvtest::Pump(50);
    }
    BOOL Open(CSerialPort& port, UINT n, UINT baud = 115200, char parity = 'N', UINT data = 8) {
        return port.OpenPort(&wnd, n, baud, parity, data, 1, EV_RXCHAR, 1024);
    }
    kvtest::PortMapSandbox sandbox;
    CRxWnd wnd;
};
}  // namespace

TEST_F(SerialPortTest, DeliversWhatArrivesInOrderAndCloses) {
    kvtest::FakeDevice dev(sandbox.ports(), 3);
    ASSERT_TRUE(dev.ok());
    MessageBoxRecorder boxes;
    CSerialPort port;
    port.ClosePort();  // never opened: nothing happens
    ASSERT_TRUE(Open(port, 3));
    EXPECT_EQ(3u, port.GetPortNumber());
    Start(port);
    dev.Send("hello ");
    dev.Send("world");
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received.size() >= 11; }, 3000));
    EXPECT_EQ("hello world", wnd.m_received);

    // Bytes that came together while the window was busy arrive in one message.
    wnd.m_counts.clear();
    dev.Send("xyz");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received.size() >= 14; }, 3000));
    EXPECT_EQ(std::vector<LPARAM>{3}, wnd.m_counts);

    port.ClosePort();
    EXPECT_FALSE(port.IsMonitoring());
    port.ClosePort();
    EXPECT_EQ(0u, boxes.Count());
}

// A device that answers the opening at once (a board reset by DTR printing its banner) is
// heard even when the thread starts late: only what came before the opening is dropped.
TEST_F(SerialPortTest, BytesArrivingBeforeTheThreadStartsAreDelivered) {
    kvtest::FakeDevice dev(sandbox.ports(), 3);
    ASSERT_TRUE(dev.ok());
    dev.Send("stale");
    CSerialPort port;
    ASSERT_TRUE(Open(port, 3));
    dev.Send("banner");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the port's reader has it
    ASSERT_TRUE(port.StartMonitor());
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received.size() >= 6; }, 3000));
    EXPECT_EQ("banner", wnd.m_received);
    port.ClosePort();
}

TEST_F(SerialPortTest, OpenFailsQuietlyForAbsentOrHeldPorts) {
    kvtest::FakeDevice dev(sandbox.ports(), 10);
    ASSERT_TRUE(dev.ok());
    MessageBoxRecorder boxes;
    CSerialPort a, b, c;
    EXPECT_FALSE(Open(a, 0));
    EXPECT_FALSE(Open(a, 9));
    ASSERT_TRUE(Open(a, 10));  // opened as \\.\COM10
    EXPECT_FALSE(Open(b, 10));
    a.ClosePort();
    EXPECT_TRUE(Open(c, 10));
    EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SerialPortTest, ABadModeStringGivesOneBuildCommDcbBox) {
    kvtest::FakeDevice dev(sandbox.ports(), 3);
    ASSERT_TRUE(dev.ok());
    MessageBoxRecorder boxes;
    CSerialPort port;
    EXPECT_TRUE(Open(port, 3, 9600, 'X'));
    ASSERT_EQ(1u, boxes.Count());
    MessageBoxRecord r = boxes.Last();
    EXPECT_EQ(CString("Application Error"), r.strCaption);
    EXPECT_EQ((UINT)MB_ICONERROR, r.nType);
    EXPECT_EQ(NULL, r.hOwner);
    EXPECT_EQ(CString("WARNING:  BuildCommDCB() Failed with the following error: \n"
                      "Invalid argument\nPort: 3\n"),
              r.strText);
    port.ClosePort();
    // A negative speed typed into the baud box is refused by BuildCommDCB, not later.
    boxes.Clear();
    EXPECT_TRUE(Open(port, 3, (UINT)-9600));
    ASSERT_EQ(1u, boxes.Count());
    EXPECT_NE(boxes.Last().strText.str().find("BuildCommDCB()"), std::string::npos);
    port.ClosePort();

    // Accepted: a non-standard speed, and the other parities (a pty keeps 8N whatever).
    boxes.Clear();
    EXPECT_TRUE(Open(port, 3, 250000, 'M', 7));
    port.ClosePort();
    EXPECT_TRUE(Open(port, 3, 9600, 'S', 5));
    port.ClosePort();
    EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SerialPortTest, SendsInBlocksOf1024AndDiscardsNothingReceived) {
    kvtest::FakeDevice dev(sandbox.ports(), 4);
    ASSERT_TRUE(dev.ok());
    MessageBoxRecorder boxes;
    CSerialPort port;
    ASSERT_TRUE(Open(port, 4));
    Start(port);
    std::string data(2048, 0);
    for (size_t i = 0; i < data.size(); ++i) data[i] = (char)(i * 31 + 7);

    SetCommWriteHook(RecordWrite);
    TakeWrites();
    struct Case {
        int n;
        std::vector<DWORD> writes;
    } cases[] = {{1024, {1024}}, {1025, {1024, 1}}, {2048, {1024, 1024}}, {0, {0}}, {5, {5}}};
    for (const Case& c : cases) {
        port.SendBytes(data.data(), c.n);
        EXPECT_EQ(c.writes, TakeWrites()) << c.n;
        EXPECT_EQ(data.substr(0, c.n), dev.Receive(c.n)) << c.n;
    }
    SetCommWriteHook(nullptr);

    // Bytes received but not yet handed over survive a send.
    dev.Send("keep me");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    port.SendBytes("x", 1);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received.size() >= 7; }, 3000));
    EXPECT_EQ("keep me", wnd.m_received);
    port.ClosePort();
    EXPECT_EQ(0u, boxes.Count());
}

TEST_F(SerialPortTest, AFloodArrivesWholeWhileSendsRun) {
    kvtest::FakeDevice dev(sandbox.ports(), 5);
    ASSERT_TRUE(dev.ok());
    CSerialPort port;
    ASSERT_TRUE(Open(port, 5, 921600));
    Start(port);
    wnd.m_checkPattern = true;
    const size_t total = 6 << 20;
    std::thread flood([&] {
        std::vector<uint8_t> buf(16384);
        for (size_t done = 0; done < total; done += buf.size()) {
            kvpattern::Fill(done, buf.data(), buf.size());
            dev.Send(buf.data(), buf.size());
        }
    });
    {
        Sink sink(dev.master());
        std::string block(4000, 'A');
        // Sends and a busy window in between: reception must not lose a byte.
        for (int i = 0; i < 40 && wnd.m_checker.Count() < total; ++i) {
            port.SendBytes(block.data(), (int)block.size());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            kvtest::Pump(5);
        }
        flood.join();
        EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_checker.Count() >= total; }, 20000));
    }
    EXPECT_EQ(total, wnd.m_checker.Count());
    EXPECT_TRUE(wnd.m_checker.Ok()) << "first wrong byte at " << wnd.m_checker.FirstMismatch();
    EXPECT_EQ(0u, port.GetOverflowCount());
    port.ClosePort();
}

TEST_F(SerialPortTest, ClosesWhileStreamingAndWhileADeliveryWaits) {
    kvtest::FakeDevice dev(sandbox.ports(), 6);
    ASSERT_TRUE(dev.ok());
    CSerialPort port;
    std::atomic<bool> stop{false};
    fcntl(dev.master(), F_SETFL, fcntl(dev.master(), F_GETFL) | O_NONBLOCK);
    std::thread flood([&] {
        std::vector<uint8_t> buf(4096, 0x55);
        while (!stop) {
            if (write(dev.master(), buf.data(), buf.size()) < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(Open(port, 6));
        ASSERT_TRUE(port.StartMonitor());
        kvtest::Pump(30);
        port.ClosePort();
        EXPECT_FALSE(port.IsMonitoring());
    }
    stop = true;
    flood.join();
    fcntl(dev.master(), F_SETFL, fcntl(dev.master(), F_GETFL) & ~O_NONBLOCK);
    tcflush(dev.master(), TCIOFLUSH);

    // The thread is blocked delivering to a window that is not pumping: the close runs the
    // handler and the thread then ends.
    ASSERT_TRUE(Open(port, 6));
    Start(port);
    wnd.m_received.clear();
    dev.Send("pending");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(port.IsMonitoring());
    port.ClosePort();
    EXPECT_FALSE(port.IsMonitoring());
    EXPECT_NE(std::string::npos, wnd.m_received.find("pending"));
}

TEST_F(SerialPortTest, AReopenedPortRunsAFreshThread) {
    kvtest::FakeDevice dev(sandbox.ports(), 7);
    ASSERT_TRUE(dev.ok());
    CSerialPort port;
    ASSERT_TRUE(Open(port, 7));
    ASSERT_TRUE(port.StartMonitor());
    port.ClosePort();
    ASSERT_TRUE(Open(port, 7));
    Start(port);
    EXPECT_TRUE(port.IsMonitoring());  // the earlier stop request does not end it
    dev.Send("again");
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received == "again"; }, 3000));
    port.ClosePort();
}

TEST_F(SerialPortTest, ADeviceThatGoesAwayIsNoticedWithoutSpinning) {
    kvtest::FakeDevice dev(sandbox.ports(), 8);
    ASSERT_TRUE(dev.ok());
    MessageBoxRecorder boxes;
    CSerialPort port;
    ASSERT_TRUE(Open(port, 8));
    Start(port);
    dev.Send("bye");
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_received == "bye"; }, 3000));
    dev.CloseMaster();
    EXPECT_TRUE(kvtest::PumpUntil([&] { return port.IsDeviceLost() != FALSE; }, 3000));
    EXPECT_TRUE(port.IsMonitoring());  // waits for the stop event

    double cpu0 = CpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LT(CpuSeconds() - cpu0, 0.1);

    // A send to it fails, one box per block.
    std::string data(1500, 'z');
    port.SendBytes(data.data(), (int)data.size());
    ASSERT_EQ(2u, boxes.Count());
    EXPECT_EQ(CString("WARNING:  WriteFile() Failed with the following error: \n"
                      "Input/output error\nPort: 8\n"),
              boxes.Last().strText);
    port.ClosePort();
    EXPECT_FALSE(port.IsMonitoring());
}

TEST_F(SerialPortTest, ThousandCyclesLeaveNoDescriptorOrThread) {
    kvtest::FakeDevice dev(sandbox.ports(), 9);
    ASSERT_TRUE(dev.ok());
    CSerialPort port;
    // Warm up once: the first opening creates the port object's events for good.
    ASSERT_TRUE(Open(port, 9));
    port.ClosePort();
    int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(Open(port, 9)) << i;
        ASSERT_TRUE(port.StartMonitor());
        // Closed at once: the thread may not have run its first step yet.
        port.ClosePort();
        ASSERT_FALSE(port.IsMonitoring());
    }
    EXPECT_EQ(fds, kvtest::OpenFdCount());
    // Ended threads leave their last steps on their own time.
    EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::ThreadCount() <= threads; }, 5000));
}

TEST_F(SerialPortTest, AFullBufferHoldsTheDeviceBackAndLosesNothing) {
    kvtest::FakeDevice dev(sandbox.ports(), 11);
    ASSERT_TRUE(dev.ok());
    CSerialPort port;
    ASSERT_TRUE(Open(port, 11));
    Start(port);
    wnd.m_checkPattern = true;
    // More than the port's buffer arrives while the window does not run.
    const size_t total = kCommInputBufferSize + (8 << 20);
    std::atomic<size_t> sent{0};
    std::thread device([&] {
        std::vector<uint8_t> buf(1 << 20);
        for (size_t done = 0; done < total; done += buf.size()) {
            kvpattern::Fill(done, buf.data(), buf.size());
            dev.Send(buf.data(), buf.size());
            sent = done + buf.size();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    // The device is held back, not dropped from.
    EXPECT_LT(sent.load(), total);
    EXPECT_EQ(0u, port.GetOverflowCount());
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_checker.Count() >= total; }, 30000));
    device.join();
    EXPECT_EQ(total, wnd.m_checker.Count());
    EXPECT_TRUE(wnd.m_checker.Ok());
    EXPECT_EQ(0u, port.GetOverflowCount());
    port.ClosePort();
}

// A length past 4 GiB is not cut to its low 32 bits: blocks of 1024 go out until the device
// goes away; the box's close of the port then ends the send at once. The bytes come from a
// read-only mapping of zero pages, which takes no memory.
std::unique_ptr<kvtest::FakeDevice> g_pDevice;
int g_nWritesBeforeLoss = 0;
void LoseDeviceAfterWrites(DWORD n) {
    RecordWrite(n);
    if (--g_nWritesBeforeLoss == 0) g_pDevice.reset();
}

TEST_F(SerialPortTest, AHugeSendGoesOutInBlocksUntilItsPortIsClosed) {
    const size_t nLength = (size_t{4} << 30) + 5;
    void* p = mmap(nullptr, nLength, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED) GTEST_SKIP() << "no address space for the mapping";
    g_pDevice = std::make_unique<kvtest::FakeDevice>(sandbox.ports(), 5);
    ASSERT_TRUE(g_pDevice->ok());
    CSerialPort port;
    ASSERT_TRUE(Open(port, 5));
    Start(port);
    int nBoxes = 0;
    SetMessageBoxHook([&](const MessageBoxRecord&) {
        ++nBoxes;
        port.ClosePort();
        return IDOK;
    });
    g_nWritesBeforeLoss = 4;
    TakeWrites();
    SetCommWriteHook(LoseDeviceAfterWrites);
    EXPECT_FALSE(port.SendBytes((const char*)p, (INT_PTR)nLength));
    SetCommWriteHook(nullptr);
    SetMessageBoxHook(nullptr);
    g_pDevice.reset();

    EXPECT_EQ(std::vector<DWORD>(4, 1024), TakeWrites());
    EXPECT_EQ(1, nBoxes);
    EXPECT_FALSE(port.SendBytes("x", 1));  // closed
    munmap(p, nLength);
}
