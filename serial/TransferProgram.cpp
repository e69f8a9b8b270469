// CTransferProgram: starting the program, the relay's thread and the program's end.
#include "serial/TransferProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/afx.h"

namespace {
void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

// lrzsz's progress: "Bytes Sent:  12345   BPS:..." or "Bytes received: 12345/ 67890 ...".
bool ParseBytes(const std::string& line, uint64_t& n) {
    for (const char* key : {"Bytes Sent:", "Bytes received:"}) {
        size_t at = line.rfind(key);
        if (at == std::string::npos) continue;
        n = strtoull(line.c_str() + at + strlen(key), nullptr, 10);
        return true;
    }
    return false;
}
}  // namespace

CTransferProgram::~CTransferProgram() {
    if (m_pid > 0) Cancel();
    Join();
    CloseFd(m_sock);
    CloseFd(m_err);
    CloseFd(m_wake[0]);
    CloseFd(m_wake[1]);
}

std::string CTransferProgram::FindProgram(const std::string& name) {
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string full = dirs.substr(start, end - start);
        full = (full.empty() ? "." : full) + "/" + name;
        struct stat st;
        if (stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(full.c_str(), X_OK) == 0)
            return full;
        start = end + 1;
    }
    return "";
}

bool CTransferProgram::Start(const std::vector<std::string>& argv, const std::string& dir,
                             uint64_t nTotal) {
    std::string exe = argv.empty() ? "" : FindProgram(argv[0]);
    if (exe.empty()) {
        SetMessage(AfxTr("CTransferProgram", "找不到程序 ").str() +
                   (argv.empty() ? std::string() : argv[0]));
        return false;
    }
    int sv[2], err[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        SetMessage(strerror(errno));
        return false;
    }
    if (pipe2(err, O_CLOEXEC) != 0 || pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        SetMessage(strerror(errno));
        close(sv[0]);
        close(sv[1]);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // Its messages in plain English, which the progress reading understands.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (strncmp(*e, "LC_", 3) != 0 && strncmp(*e, "LANG", 4) != 0) env.push_back(*e);
    env.push_back("LC_ALL=C");
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        // The child: only async-signal-safe calls until exec.
        dup2(sv[1], 0);
        dup2(sv[1], 1);
        dup2(err[1], 2);
        signal(SIGPIPE, SIG_DFL);
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        execve(exe.c_str(), args.data(), envp.data());
        _exit(127);
    }
    close(sv[1]);
    close(err[1]);
    if (pid < 0) {
        SetMessage(strerror(errno));
        close(sv[0]);
        close(err[0]);
        return false;
    }
    m_pid = pid;
    m_sock = sv[0];
    m_err = err[0];
    fcntl(m_sock, F_SETFL, O_NONBLOCK);
    m_nTotal = nTotal;
    Launch();
    return true;
}

void CTransferProgram::Feed(const char* p, size_t n) {
    {
        std::lock_guard<std::mutex> lock(m_feedMutex);
        m_toProgram.append(p, n);
    }
    if (write(m_wake[1], "f", 1) < 0) {
        // The pipe is full: the thread is already woken.
    }
}

void CTransferProgram::Cancel() {
    CTransferJob::Cancel();
    std::lock_guard<std::mutex> lock(m_pidMutex);
    if (m_pid > 0 && !m_bReaped) kill(m_pid, SIGTERM);
}

bool CTransferProgram::FlushToProgram() {
    std::lock_guard<std::mutex> lock(m_feedMutex);
    while (!m_toProgram.empty()) {
        ssize_t w = send(m_sock, m_toProgram.data(), m_toProgram.size(), MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno == EAGAIN) return true;
        if (w < 0) {
            m_toProgram.clear();  // the program has gone: its end is read below
            return false;
        }
        m_toProgram.erase(0, (size_t)w);
    }
    return true;
}

void CTransferProgram::TakeErrorText(const char* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char c = p[i];
        if (c != '\r' && c != '\n') {
            m_errLine += c;
            continue;
        }
        uint64_t bytes = 0;
        if (ParseBytes(m_errLine, bytes)) m_nDone = bytes;
        size_t first = m_errLine.find_first_not_of(" \t");
        if (first != std::string::npos) m_lastLine = m_errLine.substr(first);
        if (c == '\n' && first != std::string::npos) SetMessage(m_lastLine);
        m_errLine.clear();
    }
    uint64_t bytes = 0;  // a progress line still being written
    if (ParseBytes(m_errLine, bytes)) m_nDone = bytes;
}

TransferEnd CTransferProgram::Run() {
    char buf[16 * 1024];
    bool sockOpen = true, errOpen = true, portLost = false;
    while (sockOpen || errOpen) {
        pollfd fds[3] = {{sockOpen ? m_sock : -1, POLLIN, 0},
                         {errOpen ? m_err : -1, POLLIN, 0},
                         {m_wake[0], POLLIN, 0}};
        {
            std::lock_guard<std::mutex> lock(m_feedMutex);
            if (sockOpen && !m_toProgram.empty()) fds[0].events |= POLLOUT;
        }
        if (poll(fds, 3, 200) < 0 && errno != EINTR) break;
        if (fds[2].revents) {
            while (read(m_wake[0], buf, sizeof buf) > 0) {
            }
        }
        if (sockOpen && !FlushToProgram()) sockOpen = false;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t r = read(m_sock, buf, sizeof buf);
            if (r > 0) {
                if (!portLost && !WritePort(buf, (size_t)r)) {
                    // The port is gone: the program is ended, its output no longer goes out.
                    portLost = true;
                    CTransferProgram::Cancel();
                }
            } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                sockOpen = false;
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            ssize_t r = read(m_err, buf, sizeof buf);
            if (r > 0)
                TakeErrorText(buf, (size_t)r);
            else if (r == 0 || errno != EINTR)
                errOpen = false;
        }
    }
    TakeErrorText("\n", 1);
    // Waited for without reaping first, so that Cancel never signals a reused process id.
    siginfo_t info;
    while (waitid(P_PID, (id_t)m_pid, &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    int status = 0;
    {
        std::lock_guard<std::mutex> lock(m_pidMutex);
        m_bReaped = true;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (portLost) return TRANSFER_PORT_LOST;
    if (Cancelled()) return TRANSFER_CANCELLED;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return TRANSFER_DONE;
    if (Message().empty()) {
        CString strEnd;
        if (WIFSIGNALED(status))
            strEnd.Format(AfxTr("CTransferProgram", "程序被信号 %d 结束"), WTERMSIG(status));
        else
            strEnd.Format(AfxTr("CTransferProgram", "程序返回 %d"), WEXITSTATUS(status));
        SetMessage(strEnd.str());
    }
    return TRANSFER_FAILED;
}
