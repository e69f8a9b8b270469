// The command line: what each line asks for, and the program's answer to --help, --version
// and a bad line, run without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/afx.h"
#include "support/program.h"

namespace {
CKivernCommandLine Parse(std::vector<const char*> args) {
    args.insert(args.begin(), "kivern");
    return ParseCommandLine((int)args.size(), args.data());
}

struct ParseCase {
    std::vector<const char*> args;
    KvCommand action;
    CKivernStartup want;          // for KV_CMD_RUN
    std::vector<std::string> qt;  // Qt's arguments after the program name
    const char* error;            // part of the reason, for KV_CMD_ERROR
};

TEST(CommandLine, EachLineAsksForWhatItSays) {
    auto s = [](const char* port, const char* baud, int data, const char* parity, int stop,
                const char* flow,
                bool open) { return CKivernStartup{port, baud, data, parity, stop, flow, open}; };
    const ParseCase cases[] = {
        {{}, KV_CMD_RUN, s("", "", 0, "", 0, "", false), {}, ""},
        {{"COM3", "-b", "115200", "--open"},
         KV_CMD_RUN,
         s("COM3", "115200", 0, "", 0, "", true),
         {},
         ""},
        {{"com12", "--baud=57600", "--data", "7", "--parity=e", "--stop", "2", "--flow", "rtscts"},
         KV_CMD_RUN,
         s("COM12", "57600", 7, "Even", 2, "RTS/CTS", false),
         {},
         ""},
        {{"/dev/serial/by-id/usb-x", "-b9600", "--parity", "Odd", "--flow=XONXOFF", "--data=5"},
         KV_CMD_RUN,
         s("/dev/serial/by-id/usb-x", "9600", 5, "Odd", 0, "XON/XOFF", false),
         {},
         ""},
        {{"ttyACM0", "--parity", "s", "--parity", "M"},
         KV_CMD_RUN,
         s("/dev/ttyACM0", "", 0, "Mark", 0, "", false),
         {},
         ""},
        {{"-platform", "offscreen", "COM1", "-reverse", "-style=fusion"},
         KV_CMD_RUN,
         s("COM1", "", 0, "", 0, "", false),
         {"-platform", "offscreen", "-reverse", "-style=fusion"},
         ""},
        {{"--", "./-odd"}, KV_CMD_RUN, s("./-odd", "", 0, "", 0, "", false), {}, ""},
        {{"--help", "--bogus"}, KV_CMD_HELP, {}, {}, ""},
        {{"COM1", "-h"}, KV_CMD_HELP, {}, {}, ""},
        {{"--version"}, KV_CMD_VERSION, {}, {}, ""},
        {{"--baud"}, KV_CMD_ERROR, {}, {}, "needs a value"},
        {{"-platform"}, KV_CMD_ERROR, {}, {}, "needs a value"},
        {{"--baud", "0"}, KV_CMD_ERROR, {}, {}, "baud rate"},
        {{"-b", "12x"}, KV_CMD_ERROR, {}, {}, "baud rate"},
        {{"--baud=99999999999"}, KV_CMD_ERROR, {}, {}, "baud rate"},
        {{"--data", "9"}, KV_CMD_ERROR, {}, {}, "data bits"},
        {{"--parity=nonsense"}, KV_CMD_ERROR, {}, {}, "parity"},
        {{"--stop", "1.5"}, KV_CMD_ERROR, {}, {}, "stop bits"},
        {{"--flow", "hw"}, KV_CMD_ERROR, {}, {}, "flow control"},
        {{"--open=yes"}, KV_CMD_ERROR, {}, {}, "takes no value"},
        {{"COM0"}, KV_CMD_ERROR, {}, {}, "no port"},
        {{"COM256"}, KV_CMD_ERROR, {}, {}, "no port"},
        {{"usb0"}, KV_CMD_ERROR, {}, {}, "no port"},
        {{"COM1", "COM2"}, KV_CMD_ERROR, {}, {}, "more than one port"},
        {{"--bogus"}, KV_CMD_ERROR, {}, {}, "unknown option '--bogus'"},
        {{"-x"}, KV_CMD_ERROR, {}, {}, "unknown option '-x'"},
        {{"--language=fr"}, KV_CMD_ERROR, {}, {}, "invalid language 'fr'"},
        {{"--language"}, KV_CMD_ERROR, {}, {}, "needs a value"},
    };
    for (const ParseCase& c : cases) {
        std::string line;
        for (const char* a : c.args) line += std::string(a) + " ";
        SCOPED_TRACE(line);
        CKivernCommandLine cl = Parse(c.args);
        ASSERT_EQ(cl.action, c.action) << cl.error;
        if (c.action == KV_CMD_ERROR) {
            EXPECT_NE(cl.error.find(c.error), std::string::npos) << cl.error;
            continue;
        }
        if (c.action != KV_CMD_RUN) continue;
        const CKivernStartup& got = cl.startup;
        EXPECT_EQ(got.port, c.want.port);
        EXPECT_EQ(got.baud, c.want.baud);
        EXPECT_EQ(got.dataBits, c.want.dataBits);
        EXPECT_EQ(got.parity, c.want.parity);
        EXPECT_EQ(got.stopBits, c.want.stopBits);
        EXPECT_EQ(got.flow, c.want.flow);
        EXPECT_EQ(got.open, c.want.open);
        std::vector<std::string> qt = c.qt;
        qt.insert(qt.begin(), "kivern");
        EXPECT_EQ(cl.toolkitArgs, qt);
    }
    // The interface language for one run; without the option the settings choose (-1).
    const std::pair<std::vector<const char*>, int> languages[] = {
        {{"COM3"}, -1},
        {{"--language=en"}, LANG_ENGLISH},
        {{"--language", "zh", "COM3", "--open"}, LANG_CHINESE},
    };
    for (const auto& [args, language] : languages) EXPECT_EQ(Parse(args).language, language);
}

struct ProgramRun {
    int status = -1;
    std::string out, err;
};

// Runs the built program with no display at all.
ProgramRun RunProgram(std::vector<std::string> args) {
    ProgramRun r;
    kvtest::SpawnedProgram p = kvtest::SpawnProgram(std::move(args));
    if (!p.ok()) return r;
    // The texts are short: each fits a pipe, so reading one after the other cannot block.
    char buf[4096];
    for (ssize_t k; (k = read(p.out, buf, sizeof buf)) > 0;) r.out.append(buf, k);
    for (ssize_t k; (k = read(p.err, buf, sizeof buf)) > 0;) r.err.append(buf, k);
    close(p.out);
    close(p.err);
    int status = 0;
    if (waitpid(p.pid, &status, 0) == p.pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    return r;
}

TEST(CommandLine, HelpVersionAndBadLinesEndWithoutAWindow) {
    struct {
        std::vector<std::string> args;
        int status;
        const char* out;  // part of stdout ("" for none at all)
        const char* err;  // part of stderr ("" for none at all)
    } const cases[] = {
        {{"--help"}, 0, "Usage: kivern [PORT]", ""},
        {{"COM2", "--version"}, 0, "kivern ", ""},
        {{"--stop", "3"}, 2, "", "kivern: invalid stop bits '3'"},
        {{"--frobnicate"}, 2, "", "Try 'kivern --help'"},
        {{"/dev/null"}, 2, "", "no serial port or terminal device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0]);
        ProgramRun r = RunProgram(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (*c.out)
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        else
            EXPECT_EQ(r.out, "");
        if (*c.err)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, "");
    }
    EXPECT_EQ(RunProgram({"--version"}).out, CommandLineVersion());
}
}  // namespace
