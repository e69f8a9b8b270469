// CTransferProgram: a file transfer program (lrzsz's sx, sb, sz, rx, rb, rz) run with its
// standard input and output connected to the open port through a relay: the program talks to
// one end of a socket pair, the job's thread writes what it says to the port, and the bytes the
// port receives are handed over with Feed. A relay rather than the port's descriptor because
// the port stays the window's (its reader thread, its settings, a network port's Telnet
// escapes all keep working, and nothing has to be handed back afterwards). Progress and error
// lines are read from the program's standard error.
#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

#include "serial/Transfer.h"

class CTransferProgram : public CTransferJob {
public:
    explicit CTransferProgram(CSerialPort* pPort) : CTransferJob(pPort) {}
    ~CTransferProgram() override;

    // The program's full path found on PATH, "" when it is not there.
    static std::string FindProgram(const std::string& name);
    // Runs argv (argv[0] found on PATH) in folder dir; false (Message() says why) when it
    // cannot be started. nTotal: the file's size when sending, 0 when receiving.
    bool Start(const std::vector<std::string>& argv, const std::string& dir, uint64_t nTotal);
    // Bytes received from the port, for the program (UI thread; never blocks).
    void Feed(const char* p, size_t n);
    // Ends the program by its process id (SIGTERM: it sends the protocol's cancel first).
    void Cancel() override;
    pid_t Pid() const { return m_pid; }

private:
    TransferEnd Run() override;
    void TakeErrorText(const char* p, size_t n);
    bool FlushToProgram();

    std::mutex m_pidMutex;
    pid_t m_pid = -1;
    bool m_bReaped = false;
    int m_sock = -1;           // our end of the program's stdin/stdout
    int m_err = -1;            // the program's stderr
    int m_wake[2] = {-1, -1};  // Feed and Cancel wake the thread
    std::mutex m_feedMutex;
    std::string m_toProgram;  // received bytes not yet taken by the program
    std::string m_errLine;    // the stderr line being read
    std::string m_lastLine;   // its last complete, non-empty line
};
