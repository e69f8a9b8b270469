// Mode strings and the termios values built from a DCB. Pseudo-terminals keep 8 data bits
// and no parity whatever is asked, so these settings are checked on the values themselves.
#include <asm/termbits.h>
#include <gtest/gtest.h>

#include "platform/comm/comm.h"
#include "platform/comm/comm_termios.h"

namespace {
DCB Parse(const char* mode, bool* ok = nullptr) {
    DCB d;
    BOOL r = BuildCommDCBA(mode, &d);
    if (ok) *ok = r != FALSE;
    return d;
}

CommTermios Build(const DCB& d, int* err = nullptr) {
    CommTermios cur, out;
    cur.iflag = ICRNL | IXANY | IXON;
    cur.oflag = OPOST | ONLCR;
    cur.lflag = ICANON | ECHO | ISIG;
    cur.cflag = B9600 | CS8 | CREAD | HUPCL;
    int e = BuildCommTermios(d, cur, out);
    if (err) *err = e;
    return out;
}
}  // namespace

TEST(CommModeString, AcceptsTheTerminalsFormAndOthers) {
    bool ok;
    DCB d = Parse("baud=9600 parity=N data=8 stop=1", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(9600u, d.BaudRate);
    EXPECT_EQ(NOPARITY, d.Parity);
    EXPECT_EQ(8, d.ByteSize);
    EXPECT_EQ(ONESTOPBIT, d.StopBits);

    d = Parse("baud=250000 parity=M data=7 stop=2", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(250000u, d.BaudRate);
    EXPECT_EQ(MARKPARITY, d.Parity);
    EXPECT_EQ(7, d.ByteSize);
    EXPECT_EQ(TWOSTOPBITS, d.StopBits);

    d = Parse("COM3: baud=1200 parity=s data=5 stop=1.5", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(SPACEPARITY, d.Parity);
    EXPECT_EQ(ONE5STOPBITS, d.StopBits);

    d = Parse("baud=110 parity=E data=7", &ok);  // 110 baud: two stop bits unless given
    ASSERT_TRUE(ok);
    EXPECT_EQ(TWOSTOPBITS, d.StopBits);
}

TEST(CommModeString, RejectsBadStringsAndLeavesTheDcbAlone) {
    const char* bad[] = {"",
                         "baud=0 parity=N data=8 stop=1",
                         "baud=96x00 parity=N data=8 stop=1",
                         "baud=9600 parity=X data=8 stop=1",
                         "baud=9600 parity=N data=4 stop=1",
                         "baud=9600 parity=N data=9 stop=1",
                         "baud=9600 parity=N data=8 stop=3",
                         "baud=9600 parity=NO data=8 stop=1",
                         "speed=9600",
                         "baud=9600 parity"};
    for (const char* mode : bad) {
        DCB d;
        d.BaudRate = 4800;
        SetLastError(0);
        EXPECT_FALSE(BuildCommDCBA(mode, &d)) << mode;
        EXPECT_NE(0u, GetLastError()) << mode;
        EXPECT_EQ(4800u, d.BaudRate) << mode;
    }
}

TEST(CommModeString, FlowControlIsOffUnlessNamed) {
    DCB d;
    d.fOutxCtsFlow = 1;
    d.fRtsControl = RTS_CONTROL_HANDSHAKE;
    d.fOutX = d.fInX = 1;
    ASSERT_TRUE(BuildCommDCBA("baud=9600 parity=N data=8 stop=1", &d));
    EXPECT_EQ(0u, d.fOutxCtsFlow);
    EXPECT_EQ((DWORD)RTS_CONTROL_ENABLE, d.fRtsControl);
    EXPECT_EQ(0u, d.fOutX);
    ASSERT_TRUE(BuildCommDCBA("baud=9600 xon=on octs=on rts=hs", &d));
    EXPECT_EQ(1u, d.fOutX);
    EXPECT_EQ(1u, d.fInX);
    EXPECT_EQ(1u, d.fOutxCtsFlow);
    EXPECT_EQ((DWORD)RTS_CONTROL_HANDSHAKE, d.fRtsControl);
}

TEST(CommTermios, RawModeAnySpeedAndTheLineSettings) {
    int err;
    CommTermios t = Build(Parse("baud=250000 parity=N data=8 stop=1"), &err);
    ASSERT_EQ(0, err);
    EXPECT_EQ(0u, t.lflag & (ICANON | ECHO | ISIG));
    EXPECT_EQ(0u, t.oflag & OPOST);
    EXPECT_EQ(0u, t.iflag & (ICRNL | IXON | IXANY | IXOFF));
    EXPECT_EQ((tcflag_t)(CLOCAL | CREAD), t.cflag & (CLOCAL | CREAD));
    EXPECT_EQ((tcflag_t)BOTHER, t.cflag & CBAUD);
    EXPECT_EQ((tcflag_t)BOTHER, (t.cflag >> IBSHIFT) & CBAUD);
    EXPECT_EQ(250000u, t.ospeed);
    EXPECT_EQ(250000u, t.ispeed);
    EXPECT_EQ((tcflag_t)CS8, t.cflag & CSIZE);
    EXPECT_EQ(0u, t.cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_EQ(1, t.cc[VMIN]);
    EXPECT_EQ(0, t.cc[VTIME]);

    // A rate the kernel names is set by its code, which other programs read; others by BOTHER.
    const struct {
        const char* mode;
        tcflag_t code;
        uint32_t speed;
    } speeds[] = {{"baud=110", B110, 110},
                  {"baud=9600", B9600, 9600},
                  {"baud=115200", B115200, 115200},
                  {"baud=921600", B921600, 921600},
                  {"baud=4000000", B4000000, 4000000},
                  {"baud=9601", BOTHER, 9601}};
    for (const auto& c : speeds) {
        t = Build(Parse(c.mode), &err);
        ASSERT_EQ(0, err) << c.mode;
        EXPECT_EQ(c.code, t.cflag & CBAUD) << c.mode;
        EXPECT_EQ(c.code, (t.cflag >> IBSHIFT) & CBAUD) << c.mode;
        EXPECT_EQ(c.speed, t.ospeed) << c.mode;
    }

    struct Case {
        const char* mode;
        tcflag_t size, parity;
        bool cstopb;
    } cases[] = {
        {"baud=9600 parity=O data=7 stop=1", CS7, PARENB | PARODD, false},
        {"baud=9600 parity=E data=6 stop=2", CS6, PARENB, true},
        {"baud=9600 parity=M data=8 stop=2", CS8, PARENB | PARODD | CMSPAR, true},
        {"baud=9600 parity=S data=5 stop=1.5", CS5, PARENB | CMSPAR, true},
    };
    for (const Case& c : cases) {
        t = Build(Parse(c.mode), &err);
        ASSERT_EQ(0, err) << c.mode;
        EXPECT_EQ(c.size, t.cflag & CSIZE) << c.mode;
        EXPECT_EQ(c.parity, t.cflag & (PARENB | PARODD | CMSPAR)) << c.mode;
        EXPECT_EQ(c.cstopb, (t.cflag & CSTOPB) != 0) << c.mode;
        // Reading the values back gives the same line settings.
        DCB back;
        CommTermiosToDcb(t, back);
        DCB want = Parse(c.mode);
        EXPECT_EQ(want.ByteSize, back.ByteSize) << c.mode;
        EXPECT_EQ(want.Parity, back.Parity) << c.mode;
        EXPECT_EQ(want.StopBits, back.StopBits) << c.mode;
    }
}

TEST(CommTermios, FlowControlChoices) {
    DCB d = Parse("baud=115200 parity=N data=8 stop=1");
    CommTermios t = Build(d);
    EXPECT_EQ(0u, t.cflag & CRTSCTS);
    EXPECT_EQ(0u, t.iflag & (IXON | IXOFF));

    d.fOutxCtsFlow = 1;
    d.fRtsControl = RTS_CONTROL_HANDSHAKE;
    t = Build(d);
    EXPECT_EQ((tcflag_t)CRTSCTS, t.cflag & CRTSCTS);

    d = Parse("baud=115200 parity=N data=8 stop=1");
    d.fOutX = d.fInX = 1;
    t = Build(d);
    EXPECT_EQ((tcflag_t)(IXON | IXOFF), t.iflag & (IXON | IXOFF | IXANY));
    EXPECT_EQ(0x11, t.cc[VSTART]);
    EXPECT_EQ(0x13, t.cc[VSTOP]);
}

TEST(CommTermios, RefusesWhatTermiosCannotDo) {
    int err;
    DCB d = Parse("baud=9600 parity=N data=5 stop=2");  // Windows refuses this pair too
    Build(d, &err);
    EXPECT_EQ(EINVAL, err);
    d = Parse("baud=9600 parity=N data=8 stop=1");
    d.StopBits = ONE5STOPBITS;
    Build(d, &err);
    EXPECT_EQ(EINVAL, err);
    d = Parse("baud=9600 parity=N data=8 stop=1");
    d.fOutxDsrFlow = 1;
    Build(d, &err);
    EXPECT_EQ(EINVAL, err);
}

TEST(CommTermios, SpeedReadBackToleratesRoundingOnly) {
    EXPECT_TRUE(CommSpeedTaken(115200, 115200));
    EXPECT_TRUE(CommSpeedTaken(250000, 249600));  // divisor rounding
    EXPECT_FALSE(CommSpeedTaken(250000, 230400));
    EXPECT_FALSE(CommSpeedTaken(9600, 0));
}
