#include "app/Headless.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "options/Settings.h"
#include "platform/afx.h"
#include "script/ScriptEngine.h"

namespace {
std::atomic<int> g_signal{0};
void OnSignal(int sig) { g_signal = sig; }
// How long a stopped script may take before the port is released under it.
const int kStopGraceMs = 2000;

std::string ErrorText(DWORD dwError) {
    char* text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, dwError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (char*)&text, 0, nullptr);
    std::string s = text ? text : "error " + std::to_string(dwError);
    if (text) LocalFree(text);
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
    return s;
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class CHeadlessHost : public IScriptHost {
public:
    CHeadlessHost(HANDLE hPort, bool bQuiet) : m_hPort(hPort), m_bQuiet(bQuiet) {}

    // Standard output: received bytes and print, whole pieces, never interleaved.
    void Out(int fd, const char* p, size_t n) {
        std::lock_guard<std::mutex> lock(m_outMutex);
        while (n > 0) {
            ssize_t w = ::write(fd, p, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return;  // a closed pipe: the output is dropped, the script goes on
            p += w, n -= (size_t)w;
        }
    }

    std::string Write(const std::string& bytes) override {
        DWORD n = 0;
        if (!WriteFile(m_hPort, bytes.data(), (DWORD)bytes.size(), &n, nullptr))
            return "write failed: " + ErrorText(GetLastError());
        return "";
    }
    std::string SetLine(const ScriptLineSettings& s) override {
        DCB dcb;
        if (!GetCommState(m_hPort, &dcb)) return "set: " + ErrorText(GetLastError());
        if (s.baud > 0) dcb.BaudRate = (DWORD)s.baud;
        if (s.dataBits > 0) dcb.ByteSize = (BYTE)s.dataBits;
        if (s.stopBits > 0) dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        if (s.parity) {
            const char* letters = "NOEMS";
            dcb.Parity = (BYTE)(strchr(letters, s.parity) - letters);
            dcb.fParity = s.parity != 'N';
        }
        if (!SetCommState(m_hPort, &dcb)) return "set: " + ErrorText(GetLastError());
        if (s.dtr >= 0 && !EscapeCommFunction(m_hPort, s.dtr ? SETDTR : CLRDTR))
            return "set: DTR: " + ErrorText(GetLastError());
        if (s.rts >= 0 && !EscapeCommFunction(m_hPort, s.rts ? SETRTS : CLRRTS))
            return "set: RTS: " + ErrorText(GetLastError());
        return "";
    }
    std::string SendBreak(int ms) override {
        if (!SetCommBreak(m_hPort)) return "send_break: " + ErrorText(GetLastError());
        Sleep(ms);
        ClearCommBreak(m_hPort);
        return "";
    }
    std::string Pulse(bool bDtr, int ms) override {
        if (!EscapeCommFunction(m_hPort, bDtr ? CLRDTR : CLRRTS))
            return "pulse: " + ErrorText(GetLastError());
        Sleep(ms);
        EscapeCommFunction(m_hPort, bDtr ? SETDTR : SETRTS);
        return "";
    }
    std::string SendFile(const std::string&, int) override {
        return "send_file: XMODEM, YMODEM and ZMODEM run in the window; here only \"raw\"";
    }
    void Log(const std::string& text) override {
        std::string line = "LUA> " + text + "\n";
        Out(m_bQuiet ? 2 : 1, line.data(), line.size());
    }
    void Print(const std::string& text) override { Out(1, text.data(), text.size()); }
    void Finished(int code, const std::string& error) override {
        m_nCode = code;
        m_strError = error;
    }

    HANDLE m_hPort;
    bool m_bQuiet;
    std::mutex m_outMutex;
    int m_nCode = 0;
    std::string m_strError;
};

// Opens and sets up the port as the window would; NULL with the reason.
HANDLE OpenPort(const CKivernCommandLine& cl, const CKivernSettings& settings, std::string& why) {
    const CKivernStartup& s = cl.startup;
    HANDLE h = CreateFileA(s.port.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        why = ErrorText(GetLastError());
        return NULL;
    }
    char mode[96];
    snprintf(mode, sizeof mode, "baud=%s parity=%c data=%d stop=%d",
             s.baud.empty() ? "9600" : s.baud.c_str(), s.parity.empty() ? 'N' : s.parity[0],
             s.dataBits ? s.dataBits : 8, s.stopBits ? s.stopBits : 1);
    DCB dcb;
    // Reads take what is there at once; the comm-event wait does the waiting.
    COMMTIMEOUTS to = {};
    to.ReadIntervalTimeout = MAXDWORD;
    to.WriteTotalTimeoutMultiplier = 50;
    to.WriteTotalTimeoutConstant = 2000;
    bool ok = GetCommState(h, &dcb) && BuildCommDCBA(mode, &dcb);
    if (ok) {
        dcb.fRtsControl =
            settings.m_nRtsAtOpen == KV_LINE_OFF ? RTS_CONTROL_DISABLE : RTS_CONTROL_ENABLE;
        if (s.flow == "RTS/CTS") {
            dcb.fOutxCtsFlow = TRUE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        } else if (s.flow == "XON/XOFF") {
            dcb.fOutX = dcb.fInX = TRUE;
        }
        if (settings.m_nDtrAtOpen != KV_LINE_DRIVER)
            dcb.fDtrControl =
                settings.m_nDtrAtOpen == KV_LINE_ON ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        // A script waits for each answer: received bytes are told at once, not gathered.
        ok = SetCommState(h, &dcb) && SetCommTimeouts(h, &to) && SetCommMask(h, EV_RXCHAR) &&
             SetCommGather(h, FALSE);
    }
    if (!ok) {
        why = "cannot set " + std::string(mode) + ": " + ErrorText(GetLastError());
        CloseHandle(h);
        return NULL;
    }
    return h;
}
}  // namespace

int RunScriptWithoutWindow(const CKivernCommandLine& cl) {
    CKivernSettings settings;
    if (!settings.Load())
        fprintf(stderr, "kivern: %s; the defaults apply\n", settings.LoadProblem().c_str());
    // A device named by path is opened as named; COMn through the port map.
    std::string why;
    HANDLE hPort = OpenPort(cl, settings, why);
    if (!hPort) {
        fprintf(stderr, "kivern: cannot open %s: %s\n", cl.startup.port.c_str(), why.c_str());
        return KV_EXIT_PORT;
    }
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    CHeadlessHost host(hPort, cl.quiet);
    CScriptEngine engine(&host);
    ScriptFraming framing;
    framing.lineEnding = settings.m_nLineEnding;
    framing.checksum = settings.m_nChecksum;
    framing.checksumOrder = settings.m_nChecksumOrder;
    framing.checksumText = settings.m_bChecksumText;
    engine.SetFraming(framing);
    engine.Start(cl.script, cl.scriptArgs);

    std::vector<char> buf(64 * 1024);
    OVERLAPPED ov = {};
    ov.hEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    bool bGone = false;
    while (engine.IsRunning() && !g_signal) {
        if (bGone) {
            Sleep(10);
            continue;
        }
        // Wait for received bytes (a tenth of a second at most, to look at the signals).
        DWORD mask = 0;
        ResetEvent(ov.hEvent);
        if (!WaitCommEvent(hPort, &mask, &ov)) {
            if (GetLastError() != ERROR_IO_PENDING) {
                bGone = true;
                engine.PortClosed(ErrorText(GetLastError()));
                continue;
            }
            WaitForSingleObject(ov.hEvent, 100);
        }
        DWORD n = 0;
        if (!ReadFile(hPort, buf.data(), (DWORD)buf.size(), &n, nullptr)) {
            bGone = true;
            engine.PortClosed(ErrorText(GetLastError()));
        } else if (n > 0) {
            if (!cl.quiet) host.Out(1, buf.data(), n);
            engine.Feed(buf.data(), n);
        } else if (IsCommDeviceLost(hPort)) {
            bGone = true;
            engine.PortClosed("the device is gone");
        }
    }
    const int sig = g_signal;
    if (sig) engine.Stop();
    const bool bEnded = engine.Wait(sig ? kStopGraceMs : 0x7fffffff);
    CloseHandle(hPort);
    CloseHandle(ov.hEvent);
    if (sig) {
        fprintf(stderr, "kivern: %s: stopped by signal %d\n", cl.script.c_str(), sig);
        // A script stuck inside one library call cannot be stopped; the port is already free.
        if (!bEnded) _exit(128 + sig);
        return 128 + sig;
    }
    if (!host.m_strError.empty()) fprintf(stderr, "%s\n", host.m_strError.c_str());
    return host.m_nCode;
}
