// CTransferJob: the thread, cancelling and the port's writes shared by both kinds of transfer.
#include "serial/Transfer.h"

#include <cerrno>
#include <chrono>

#include "serial/SerialPort.h"

CTransferJob::~CTransferJob() { Join(); }

void CTransferJob::Launch() {
    m_pPort->SetTransferActive(TRUE);
    m_thread = std::thread([this] {
        TransferEnd end = Run();
        if (end == TRANSFER_PORT_LOST && m_bWriteFailed) end = TRANSFER_FAILED;
        m_end.store(end);
    });
}

void CTransferJob::Join() {
    if (!m_thread.joinable()) return;
    m_thread.join();
    m_pPort->SetTransferActive(FALSE);
}

void CTransferJob::Cancel() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bCancel.store(true);
    }
    m_cv.notify_all();
}

bool CTransferJob::WaitCancelled(int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_bCancel.load(); });
}

bool CTransferJob::WritePort(const char* p, size_t n) {
    if (!m_pPort->WriteBlock(p, (DWORD)n)) {
        // A port still open took no data in the write's time (its flow held, a device not
        // reading): a failure of its own, not a lost port.
        const DWORD dwError = GetLastError();
        if (m_pPort->IsMonitoring() && !m_pPort->IsDeviceLost()) {
            m_bWriteFailed = true;
            CString strWhy;
            if (dwError == ETIMEDOUT)
                strWhy = AfxTr("CTransferJob", "对方长时间未接收数据（流控未放行？）");
            else
                strWhy.Format(AfxTr("CTransferJob", "错误 %lu"), (unsigned long)dwError);
            SetMessage(AfxTr("CTransferJob", "写入串口失败：").str() + strWhy.str());
        }
        return false;
    }
    m_nWritten += n;
    return true;
}

std::string CTransferJob::Message() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strMessage;
}

void CTransferJob::SetMessage(const std::string& s) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strMessage = s;
}
