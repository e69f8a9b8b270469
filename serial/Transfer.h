// CTransferJob: a file transfer over the open port, run on a thread of its own: a raw file
// stream (CFileSend) or a transfer program relayed to the port (CTransferProgram). The owner
// starts it, polls its counters and its end from the UI thread, and may cancel it. While it
// runs the port is marked as busy with a transfer (CSerialPort::SetTransferActive): the
// thread writes through WriteBlock and the window's own sends are refused.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

class CSerialPort;

// How a transfer ended.
enum TransferEnd {
    TRANSFER_RUNNING,
    TRANSFER_DONE,
    TRANSFER_CANCELLED,
    TRANSFER_FAILED,     // the file, or the program (Message() says why)
    TRANSFER_PORT_LOST,  // a write to the port failed: the port closed or its device went away
};

class CTransferJob {
public:
    explicit CTransferJob(CSerialPort* pPort) : m_pPort(pPort) {}
    virtual ~CTransferJob();
    CTransferJob(const CTransferJob&) = delete;
    CTransferJob& operator=(const CTransferJob&) = delete;

    // Asks the transfer to stop; it ends soon after (Ended()).
    virtual void Cancel();
    // Waits for the thread; the port is free for the window's sends again afterwards.
    void Join();
    bool Ended() const { return m_end.load() != TRANSFER_RUNNING; }
    TransferEnd End() const { return m_end.load(); }
    // Bytes of the file moved so far, and the file's size (0: not known).
    uint64_t Done() const { return m_nDone.load(); }
    uint64_t Total() const { return m_nTotal.load(); }
    // Bytes written to the port so far (for the TX count).
    uint64_t Written() const { return m_nWritten.load(); }
    // Why it failed, or the program's last line.
    std::string Message() const;

protected:
    // Starts Run on the job's thread.
    void Launch();
    virtual TransferEnd Run() = 0;
    // Writes through the port; counts what went out.
    bool WritePort(const char* p, size_t n);
    void SetMessage(const std::string& s);
    // Waits up to ms; true when cancelled meanwhile.
    bool WaitCancelled(int ms);
    bool Cancelled() const { return m_bCancel.load(); }

    CSerialPort* m_pPort;
    std::atomic<uint64_t> m_nDone{0};
    std::atomic<uint64_t> m_nTotal{0};

private:
    std::thread m_thread;
    std::atomic<TransferEnd> m_end{TRANSFER_RUNNING};
    std::atomic<bool> m_bCancel{false};
    std::atomic<uint64_t> m_nWritten{0};
    bool m_bWriteFailed = false;  // the job's thread only
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_strMessage;
};
