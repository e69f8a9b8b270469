// CFileSend: a file's bytes, exactly as they are, streamed to the open port. The file is read
// in blocks (memory stays flat whatever its size) and each piece goes through the port's write,
// so that the port's flow control (RTS/CTS, XON/XOFF) paces it and nothing is dropped. An
// optional pause after each line (LF) or after each N bytes, for devices without flow control.
#pragma once
#include <string>

#include "serial/Transfer.h"

struct FileSendPacing {
    int nPauseMs = 0;  // 0: no pause
    int nEvery = 0;    // pause after each N bytes; 0: after each line feed
};

class CFileSend : public CTransferJob {
public:
    explicit CFileSend(CSerialPort* pPort) : CTransferJob(pPort) {}
    ~CFileSend() override;

    // Why the file cannot be sent (a folder, a FIFO or other special file, an empty file, one
    // that cannot be opened or read), in words for a box; "" when it can. Sets nSize.
    static std::string CheckFile(const std::string& path, uint64_t& nSize);
    // Opens the file and starts the stream; false (Message() says why) when it cannot. nChunk
    // is the most written at once: the cancel waits for at most one such write.
    bool Start(const std::string& path, const FileSendPacing& pacing, size_t nChunk);

private:
    TransferEnd Run() override;
    // Writes a piece of the file, paused as asked; false when the stream is to stop.
    bool Send(const char* p, size_t n, TransferEnd& end);

    int m_fd = -1;
    FileSendPacing m_pacing;
    size_t m_nChunk = 1024;
    uint64_t m_nSinceP = 0;  // bytes since the last pause (N-byte pacing)
};
