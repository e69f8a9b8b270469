// kivern PORT --script FILE, run as a CI rig runs it: no display, a pseudo-terminal as the
// device, the exit status, standard output and standard error checked, and the port left free
// (not exclusive) whichever way the script ended.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

#include <fstream>
#include <thread>

#include "support/program.h"
#include "support/pty.h"

namespace {

// What the test's device does while the script runs.
enum Device {
    kQuiet,  // nothing
    kEcho,   // sends back every byte it gets
    kGone,   // once "ready" arrives, goes away (the port's side sees a hang-up)
    kFlood,  // once "go" arrives, sends 10 MiB of numbered lines
    kTerm,   // once "ready" arrives, the program gets SIGTERM
};

struct ScriptRun {
    int status = -1;  // the exit status, or 128 + the signal
    std::string out, err;
};

// Reads what the device got until it holds `word`.
bool AwaitWord(kvtest::FakeDevice& dev, const std::string& word) {
    std::string got;
    for (int i = 0; i < 3000 && got.find(word) == std::string::npos; ++i)
        got += dev.Receive(word.size(), 20);
    return got.find(word) != std::string::npos;
}

void PlayDevice(kvtest::FakeDevice& dev, Device what, pid_t pid, std::atomic<bool>& done) {
    switch (what) {
        case kQuiet:
            break;
        case kEcho:
            while (!done) {
                std::string got = dev.Receive(4096, 20);
                if (!got.empty()) dev.Send(got);
            }
            break;
        case kGone:
            if (AwaitWord(dev, "ready")) dev.CloseMaster();
            break;
        case kFlood:
            if (AwaitWord(dev, "go")) {
                std::string lines;
                char line[16];
                for (int n = 1; lines.size() < (10u << 20); ++n) {
                    snprintf(line, sizeof line, "%08d\n", n);
                    lines += line;
                }
                dev.Send(lines);
            }
            break;
        case kTerm:
            if (AwaitWord(dev, "ready")) kill(pid, SIGTERM);
            break;
    }
}

ScriptRun RunScript(kvtest::FakeDevice& dev, Device what, std::vector<std::string> args) {
    ScriptRun r;
    kvtest::SpawnedProgram p = kvtest::SpawnProgram(std::move(args), dev.master());
    if (!p.ok()) return r;
    std::atomic<bool> done{false};
    std::thread device([&] { PlayDevice(dev, what, p.pid, done); });
    std::thread errReader([&] {
        char buf[4096];
        for (ssize_t k; (k = read(p.err, buf, sizeof buf)) > 0;) r.err.append(buf, (size_t)k);
    });
    char buf[65536];
    for (ssize_t k; (k = read(p.out, buf, sizeof buf)) > 0;) r.out.append(buf, (size_t)k);
    errReader.join();
    int status = 0;
    waitpid(p.pid, &status, 0);
    done = true;
    device.join();
    close(p.out);
    close(p.err);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

TEST(ScriptHeadless, ExitStatusOutputAndPortReleaseForEachPath) {
    kvtest::PortMapSandbox sandbox;
    kvtest::TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    struct Case {
        const char* name;
        const char* script;  // nullptr: no such file
        std::vector<std::string> extra;
        Device device;
        int status;
        const char* out;  // part of stdout ("" for none at all)
        const char* err;  // part of stderr ("" for none at all)
    } const cases[] = {
        {"normal end",
         "print('hi', arg[1], #arg)",
         {"--", "a b", "c"},
         kQuiet,
         0,
         "hi\ta b\t2\n",
         ""},
        {"exit 0", "exit(0) print('not reached')", {}, kQuiet, 0, "", ""},
        {"checksum",
         "print(checksum('crc16_modbus', '123456789'))",
         {},
         kQuiet,
         0,
         "19255\t7K\n",
         ""},
        {"exit 1", "exit(1)", {}, kQuiet, 1, "", ""},
        {"os.exit is exit", "os.exit(false)", {}, kQuiet, 1, "", ""},
        {"uncaught error", "local t\nprint(t.x)", {}, kQuiet, 1, "", "s.lua:2: attempt to index"},
        {"syntax error", "x = = 1", {}, kQuiet, 1, "", "s.lua:1: unexpected symbol"},
        {"missing script", nullptr, {}, kQuiet, 1, "", "cannot open"},
        {"error inside on_line",
         "on_line(function(l) error('bad ' .. l) end) send('x\\n')",
         {"--quiet"},
         kEcho,
         1,
         "",
         "s.lua:1: bad x"},
        {"send of 1 GiB", "send(string.rep('x', 1 << 30))", {}, kQuiet, 1, "", "not enough memory"},
        {"send of 20 MiB",
         "send(string.rep('x', 20 << 20))",
         {},
         kQuiet,
         1,
         "",
         "s.lua:1: send of 20971520 bytes refused"},
        {"malformed pattern", "expect('%', 10)", {}, kQuiet, 1, "", "s.lua:1: expect: malformed"},
        {"send and expect, bytes shown",
         "send('AT+X=41\\n', {eol='none'}) local m, v = expect('X=(%d+)', 60000) print(m, v)",
         {},
         kEcho,
         0,
         "AT+X=41\nX=41\t41\n",
         ""},
        {"--quiet shows only print",
         "send('AT+X=41\\n') local m, v = expect('X=(%d+)', 60000) print(v)",
         {"--quiet"},
         kEcho,
         0,
         "41\n",
         ""},
        {"expect on a removed port",
         "send('ready') local m, e = expect('never', 60000) print(m, e) exit(m and 1 or 0)",
         {"--quiet"},
         kGone,
         0,
         "nil\tport closed",
         ""},
        {"on_line sees a 10 MiB flood in order",
         "local n, want = 0, tonumber(arg[1])\n"
         "on_line(function(l) n = n + 1 if tonumber(l) ~= n then print('out of order', n, l) "
         "exit(1) end if n == want then exit(0) end end)\n"
         "send('go\\n')",
         {"--quiet", "--", "1165085"},
         kFlood,
         0,
         "",
         ""},
        {"SIGTERM ends an endless script",
         "send('ready') while true do end",
         {},
         kTerm,
         128 + SIGTERM,
         "",
         "stopped by signal 15"},
        {"SIGTERM ends a script waiting",
         "send('ready') expect('never', 600000)",
         {},
         kTerm,
         128 + SIGTERM,
         "",
         "stopped by signal 15"},
        {"bad command line",
         "exit(0)",
         {"--quiet", "--flow", "sideways"},
         kQuiet,
         2,
         "",
         "invalid flow control"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kvtest::FakeDevice dev(sandbox.ports(), 7);
        ASSERT_TRUE(dev.ok());
        const std::string script = dir / "s.lua";
        unlink(script.c_str());
        if (c.script) std::ofstream(script) << c.script;
        std::vector<std::string> args = {"COM7", "--script", "s.lua"};
        // Options before "--", the script's arguments after it.
        size_t dash = 0;
        while (dash < c.extra.size() && c.extra[dash] != "--") ++dash;
        args.insert(args.begin() + 1, c.extra.begin(), c.extra.begin() + dash);
        args.insert(args.end(), c.extra.begin() + dash, c.extra.end());
        char cwd[PATH_MAX];
        ASSERT_TRUE(getcwd(cwd, sizeof cwd));
        ASSERT_EQ(0, chdir(dir.path().c_str()));
        ScriptRun r = RunScript(dev, c.device, args);
        ASSERT_EQ(0, chdir(cwd));
        EXPECT_EQ(r.status, c.status) << r.err;
        if (*c.out)
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out.substr(0, 200);
        else
            EXPECT_EQ(r.out.substr(0, 200), "");
        if (*c.err)
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        else
            EXPECT_EQ(r.err, "");
        if (c.device == kGone) continue;  // the line is hung up: nothing left to hold
        int exclusive = 1;
        ASSERT_EQ(0, ioctl(dev.slave(), TIOCGEXCL, &exclusive));
        EXPECT_EQ(exclusive, 0) << "the port was left exclusive";
    }
}

TEST(ScriptHeadless, PortThatCannotBeOpenedIsStatus3WithTheReason) {
    kvtest::PortMapSandbox sandbox;
    kvtest::TempDir dir;
    std::ofstream(dir / "s.lua") << "exit(0)";
    kvtest::FakeDevice dev(sandbox.ports(), 8);
    ScriptRun r = RunScript(dev, kQuiet, {"COM9", "--script", dir / "s.lua"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("cannot open COM9: "), std::string::npos) << r.err;
}

}  // namespace
