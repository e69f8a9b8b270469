// termios2 values for a DCB, and the modem lines. This is the one source that includes
// <asm/termbits.h>.
#include "platform/comm/comm_termios.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <errno.h>
#include <string.h>
#include <sys/ioctl.h>

static_assert(NCCS <= sizeof(CommTermios::cc), "cc array too small");

namespace {
void ToKernel(const CommTermios& in, termios2& t) {
    memset(&t, 0, sizeof t);
    t.c_iflag = in.iflag;
    t.c_oflag = in.oflag;
    t.c_cflag = in.cflag;
    t.c_lflag = in.lflag;
    t.c_line = in.line;
    memcpy(t.c_cc, in.cc, NCCS);
    t.c_ispeed = in.ispeed;
    t.c_ospeed = in.ospeed;
}

// The kernel's code for a rate it names (B9600 ...), or BOTHER for any other rate. Other
// programs (stty, the old termios calls) read only the code, so a named rate is set by it.
uint32_t SpeedCode(uint32_t rate) {
    static const struct {
        uint32_t rate, code;
    } codes[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& c : codes)
        if (c.rate == rate) return c.code;
    return BOTHER;
}

void FromKernel(const termios2& t, CommTermios& out) {
    out = CommTermios();
    out.iflag = t.c_iflag;
    out.oflag = t.c_oflag;
    out.cflag = t.c_cflag;
    out.lflag = t.c_lflag;
    out.line = t.c_line;
    memcpy(out.cc, t.c_cc, NCCS);
    out.ispeed = t.c_ispeed;
    out.ospeed = t.c_ospeed;
}
}  // namespace

int BuildCommTermios(const DCB& dcb, const CommTermios& cur, CommTermios& out) {
    if (dcb.BaudRate == 0 || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY)
        return EINVAL;
    // Windows refuses 5 data bits with 2 stop bits, and 1.5 stop bits with more than 5.
    if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return EINVAL;
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return EINVAL;
    if (dcb.StopBits > TWOSTOPBITS) return EINVAL;
    // Handshakes termios has no switch for.
    if (dcb.fOutxDsrFlow || dcb.fDsrSensitivity || dcb.fDtrControl == DTR_CONTROL_HANDSHAKE ||
        dcb.fRtsControl == RTS_CONTROL_TOGGLE)
        return EINVAL;

    out = cur;
    out.iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                   IXANY | IMAXBEL | IUCLC | INPCK | IGNPAR);
    out.oflag &= ~OPOST;
    out.lflag &= ~(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    out.cflag &=
        ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    out.cflag |= CLOCAL | CREAD;
    out.cc[VMIN] = 1;
    out.cc[VTIME] = 0;

    static const uint32_t sizes[] = {CS5, CS6, CS7, CS8};
    out.cflag |= sizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
        case ODDPARITY:
            out.cflag |= PARENB | PARODD;
            break;
        case EVENPARITY:
            out.cflag |= PARENB;
            break;
        case MARKPARITY:
            out.cflag |= PARENB | PARODD | CMSPAR;
            break;
        case SPACEPARITY:
            out.cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    if (dcb.fParity && dcb.Parity != NOPARITY) out.iflag |= INPCK;
    if (dcb.StopBits != ONESTOPBIT) out.cflag |= CSTOPB;  // with CS5 the UART sends 1.5

    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) out.cflag |= CRTSCTS;
    if (dcb.fOutX) out.iflag |= IXON;
    if (dcb.fInX) out.iflag |= IXOFF;
    out.cc[VSTART] = (uint8_t)dcb.XonChar;
    out.cc[VSTOP] = (uint8_t)dcb.XoffChar;

    const uint32_t code = SpeedCode(dcb.BaudRate);
    out.cflag |= code | (code << IBSHIFT);
    out.ispeed = out.ospeed = dcb.BaudRate;
    return 0;
}

void CommTermiosToDcb(const CommTermios& t, DCB& dcb) {
    dcb.BaudRate = t.ospeed;
    switch (t.cflag & CSIZE) {
        case CS5:
            dcb.ByteSize = 5;
            break;
        case CS6:
            dcb.ByteSize = 6;
            break;
        case CS7:
            dcb.ByteSize = 7;
            break;
        default:
            dcb.ByteSize = 8;
            break;
    }
    if (!(t.cflag & PARENB))
        dcb.Parity = NOPARITY;
    else if (t.cflag & CMSPAR)
        dcb.Parity = (t.cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        dcb.Parity = (t.cflag & PARODD) ? ODDPARITY : EVENPARITY;
    dcb.fParity = (t.iflag & INPCK) ? 1 : 0;
    if (t.cflag & CSTOPB)
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    else
        dcb.StopBits = ONESTOPBIT;
    bool rtscts = (t.cflag & CRTSCTS) != 0;
    dcb.fOutxCtsFlow = rtscts;
    if (rtscts)
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = (t.iflag & IXON) ? 1 : 0;
    dcb.fInX = (t.iflag & IXOFF) ? 1 : 0;
    dcb.XonChar = (char)t.cc[VSTART];
    dcb.XoffChar = (char)t.cc[VSTOP];
}

bool CommSpeedTaken(uint32_t requested, uint32_t actual) {
    if (actual == 0) return false;
    uint64_t diff = requested > actual ? requested - actual : actual - requested;
    return diff * 50 <= requested;
}

int CommGetTermios(int fd, CommTermios& t) {
    termios2 k;
    if (ioctl(fd, TCGETS2, &k) < 0) return errno;
    FromKernel(k, t);
    return 0;
}

int CommSetTermios(int fd, const CommTermios& t) {
    termios2 k;
    ToKernel(t, k);
    return ioctl(fd, TCSETS2, &k) < 0 ? errno : 0;
}

int CommFlush(int fd, bool input, bool output) {
    if (!input && !output) return 0;
    int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ioctl(fd, TCFLSH, which) < 0 ? errno : 0;
}

namespace {
const struct {
    DWORD ms;
    int tiocm;
} kModemLines[] = {
    {MS_CTS_ON, TIOCM_CTS},  {MS_DSR_ON, TIOCM_DSR}, {MS_RING_ON, TIOCM_RNG},
    {MS_RLSD_ON, TIOCM_CAR}, {MS_DTR_ON, TIOCM_DTR}, {MS_RTS_ON, TIOCM_RTS},
};
}  // namespace

int CommGetModemLines(int fd, DWORD& lines) {
    lines = 0;
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) < 0) return errno;
    for (const auto& l : kModemLines)
        if (bits & l.tiocm) lines |= l.ms;
    return 0;
}

int CommSetModemLine(int fd, DWORD line, bool on) {
    const bool dtr = line == MS_DTR_ON;
    if (!dtr && line != MS_RTS_ON) return EINVAL;
    int bit = dtr ? TIOCM_DTR : TIOCM_RTS;
    return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) < 0 ? errno : 0;
}

int CommSetBreak(int fd, bool on) { return ioctl(fd, on ? TIOCSBRK : TIOCCBRK) < 0 ? errno : 0; }
