// CFileSend: checking the file, and the stream's thread.
#include "serial/FileSend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/afx.h"

namespace {
const size_t kReadBlock = 64 * 1024;
}

CFileSend::~CFileSend() {
    Cancel();
    Join();
    if (m_fd >= 0) close(m_fd);
}

std::string CFileSend::CheckFile(const std::string& path, uint64_t& nSize) {
    nSize = 0;
    struct stat st;
    if (stat(path.c_str(), &st) != 0)
        return AfxTr("CFileSend", "无法读取文件：").str() + strerror(errno);
    if (S_ISDIR(st.st_mode)) return AfxTr("CFileSend", "这是一个文件夹，不是文件。").str();
    if (S_ISFIFO(st.st_mode))
        return AfxTr("CFileSend", "这是一个管道 (FIFO)，不能作为文件发送。").str();
    if (!S_ISREG(st.st_mode)) return AfxTr("CFileSend", "这不是普通文件，不能发送。").str();
    if (st.st_size == 0) return AfxTr("CFileSend", "文件是空的，没有可发送的数据。").str();
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return AfxTr("CFileSend", "无法读取文件：").str() + strerror(errno);
    close(fd);
    nSize = (uint64_t)st.st_size;
    return "";
}

bool CFileSend::Start(const std::string& path, const FileSendPacing& pacing, size_t nChunk) {
    uint64_t nSize = 0;
    std::string why = CheckFile(path, nSize);
    if (why.empty()) {
        m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0) why = AfxTr("CFileSend", "无法读取文件：").str() + strerror(errno);
    }
    if (!why.empty()) {
        SetMessage(why);
        return false;
    }
    posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_pacing = pacing;
    m_nChunk = std::max<size_t>(nChunk, 1);
    m_nTotal = nSize;
    Launch();
    return true;
}

TransferEnd CFileSend::Run() {
    std::vector<char> buf(kReadBlock);
    const uint64_t nTotal = m_nTotal.load();
    TransferEnd end = TRANSFER_DONE;
    while (m_nDone.load() < nTotal) {
        if (Cancelled()) return TRANSFER_CANCELLED;
        size_t want = (size_t)std::min<uint64_t>(kReadBlock, nTotal - m_nDone.load());
        ssize_t r = read(m_fd, buf.data(), want);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) {
            SetMessage(AfxTr("CFileSend", "读取文件出错：").str() + strerror(errno));
            return TRANSFER_FAILED;
        }
        if (r == 0) {
            SetMessage(AfxTr("CFileSend", "文件在发送过程中变小了，已发送的部分保持原样。").str());
            return TRANSFER_FAILED;
        }
        if (!Send(buf.data(), (size_t)r, end)) return end;
    }
    return TRANSFER_DONE;
}

bool CFileSend::Send(const char* p, size_t n, TransferEnd& end) {
    while (n > 0) {
        if (Cancelled()) {
            end = TRANSFER_CANCELLED;
            return false;
        }
        size_t piece = std::min(n, m_nChunk);
        bool bPause = false;
        if (m_pacing.nPauseMs > 0 && m_pacing.nEvery <= 0) {
            const char* lf = (const char*)memchr(p, '\n', piece);
            if (lf) {
                piece = (size_t)(lf - p) + 1;
                bPause = true;
            }
        } else if (m_pacing.nPauseMs > 0) {
            uint64_t left = (uint64_t)m_pacing.nEvery - m_nSinceP;
            if (piece >= left) {
                piece = (size_t)left;
                bPause = true;
            }
        }
        if (!WritePort(p, piece)) {
            end = TRANSFER_PORT_LOST;
            return false;
        }
        m_nDone += piece;
        m_nSinceP = bPause ? 0 : m_nSinceP + piece;
        p += piece;
        n -= piece;
        if (bPause && WaitCancelled(m_pacing.nPauseMs)) {
            end = TRANSFER_CANCELLED;
            return false;
        }
    }
    return true;
}
