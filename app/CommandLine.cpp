#include "app/CommandLine.h"

#include <strings.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "platform/afx.h"

namespace {
// Qt's options (one dash, or two as Qt also takes them); those with a value take the next
// argument or "=value".
const char* const kToolkitWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
    "display",     "geometry",           "title",         "name",       "qmljsdebugger"};
const char* const kToolkitFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

const char* const kParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};

template <size_t N>
bool In(const std::string& name, const char* const (&names)[N]) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

bool AllDigits(const std::string& s) {
    if (s.empty() || s.size() > 10) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// "COM3", "com3" -> "COM3"; a path as it is; "ttyUSB0" -> "/dev/ttyUSB0"; "" if none of them.
std::string PortOf(const std::string& arg) {
    if (arg.size() > 3 && strncasecmp(arg.c_str(), "COM", 3) == 0) {
        std::string digits = arg.substr(3);
        if (!AllDigits(digits) || digits[0] == '0') return "";
        unsigned long n = strtoul(digits.c_str(), nullptr, 10);
        return n >= 1 && n <= 255 ? "COM" + std::to_string(n) : "";
    }
    if (arg.find('/') != std::string::npos) return arg;
    if (arg.compare(0, 3, "tty") == 0 && arg.size() > 3) return "/dev/" + arg;
    return "";
}

// Sets one of the program's options from its value; false with the reason on a bad value.
bool SetOption(const std::string& name, const std::string& value, CKivernStartup& s,
               std::string& error) {
    std::string v = value;
    for (char& c : v) c = (char)tolower((unsigned char)c);
    if (name == "baud") {
        unsigned long rate = AllDigits(v) ? strtoul(v.c_str(), nullptr, 10) : 0;
        if (rate < 1 || rate > 0xFFFFFFFFul) {
            error = "invalid baud rate '" + value + "' (a whole number such as 115200)";
            return false;
        }
        s.baud = std::to_string(rate);
    } else if (name == "data") {
        if (v.size() != 1 || v[0] < '5' || v[0] > '8') {
            error = "invalid data bits '" + value + "' (5, 6, 7 or 8)";
            return false;
        }
        s.dataBits = v[0] - '0';
    } else if (name == "parity") {
        std::string parity;
        for (const char* p : kParityNames) {
            std::string lower(p);
            for (char& c : lower) c = (char)tolower((unsigned char)c);
            if (v == lower || v == lower.substr(0, 1)) parity = p;
        }
        if (parity.empty()) {
            error = "invalid parity '" + value + "' (N, O, E, M or S)";
            return false;
        }
        s.parity = parity;
    } else if (name == "stop") {
        if (v != "1" && v != "2") {
            error = "invalid stop bits '" + value + "' (1 or 2)";
            return false;
        }
        s.stopBits = v[0] - '0';
    } else {  // flow
        if (v == "none")
            s.flow = "None";
        else if (v == "rtscts" || v == "rts/cts")
            s.flow = "RTS/CTS";
        else if (v == "xonxoff" || v == "xon/xoff")
            s.flow = "XON/XOFF";
        else {
            error = "invalid flow control '" + value + "' (none, rtscts or xonxoff)";
            return false;
        }
    }
    return true;
}
}  // namespace

CKivernCommandLine ParseCommandLine(int argc, const char* const* argv) {
    CKivernCommandLine cl;
    cl.toolkitArgs.push_back(argc > 0 && argv[0] ? argv[0] : "kivern");
    auto fail = [&](const std::string& why) {
        cl.action = KV_CMD_ERROR;
        cl.error = why;
        return cl;
    };
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            std::string port = PortOf(arg);
            if (port.empty())
                return fail("'" + arg + "' is no port (give COMn or a device path such as " +
                            "/dev/ttyUSB0)");
            if (!cl.startup.port.empty())
                return fail("more than one port given ('" + cl.startup.port + "' and '" + arg +
                            "')");
            cl.startup.port = port;
            continue;
        }
        if (arg == "--") {
            // After --script, the rest is the script's.
            if (!cl.script.empty()) {
                for (++i; i < argc; ++i) cl.scriptArgs.push_back(argv[i] ? argv[i] : "");
                break;
            }
            optionsEnd = true;
            continue;
        }
        // The option's name without dashes, and a value given with '=' (or after -b).
        const bool twoDashes = arg[1] == '-';
        std::string name = arg.substr(twoDashes ? 2 : 1);
        std::string value;
        bool hasValue = false;
        size_t eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
            hasValue = true;
        } else if (!twoDashes && name.size() > 1 && name[0] == 'b') {
            value = name.substr(1);  // -b115200
            name = "b";
            hasValue = true;
        }
        if (name == "b") name = "baud";
        if (name == "h") name = "help";

        const bool ours = twoDashes || name == "baud" || name == "help";
        if (ours && (name == "help" || name == "version" || name == "open" || name == "quiet")) {
            if (hasValue) return fail("option '--" + name + "' takes no value");
            if (name == "open" || name == "quiet") {
                (name == "open" ? cl.startup.open : cl.quiet) = true;
                continue;
            }
            cl.action = name == "help" ? KV_CMD_HELP : KV_CMD_VERSION;
            return cl;
        } else if (ours && (name == "baud" || name == "data" || name == "parity" ||
                            name == "stop" || name == "flow")) {
            if (!hasValue) {
                if (i + 1 >= argc || !argv[i + 1])
                    return fail("option '" + arg + "' needs a value");
                value = argv[++i];
            }
            std::string why;
            if (!SetOption(name, value, cl.startup, why)) return fail(why);
        } else if (ours && name == "language") {
            if (!hasValue) {
                if (i + 1 >= argc || !argv[i + 1])
                    return fail("option '" + arg + "' needs a value");
                value = argv[++i];
            }
            if (value != "zh" && value != "en")
                return fail("invalid language '" + value + "' (zh or en)");
            cl.language = value == "en" ? LANG_ENGLISH : LANG_CHINESE;
        } else if (ours && name == "script") {
            if (!hasValue) {
                if (i + 1 >= argc || !argv[i + 1])
                    return fail("option '" + arg + "' needs a value");
                value = argv[++i];
            }
            if (value.empty()) return fail("option '--script' needs a file");
            cl.script = value;
        } else if (In(name, kToolkitWithValue)) {
            cl.toolkitArgs.push_back(arg);
            if (!hasValue) {
                if (i + 1 >= argc || !argv[i + 1])
                    return fail("option '" + arg + "' needs a value");
                cl.toolkitArgs.push_back(argv[++i]);
            }
        } else if (In(name, kToolkitFlags) && !hasValue) {
            cl.toolkitArgs.push_back(arg);
        } else {
            return fail("unknown option '" + arg + "'");
        }
    }
    if (cl.quiet && cl.script.empty()) return fail("option '--quiet' needs '--script'");
    if (!cl.script.empty() && cl.startup.port.empty())
        return fail("option '--script' needs a port");
    if (!cl.script.empty() && cl.startup.open)
        return fail("option '--open' is for the window, not '--script'");
    return cl;
}

std::string CommandLineHelp() {
    return "Usage: kivern [PORT] [OPTION]...\n"
           "  or:  kivern PORT [OPTION]... --script FILE [--quiet] [-- ARG...]\n"
           "Serial port terminal for testing devices.\n"
           "\n"
           "PORT is a port of the port list (COM3), or a device path (/dev/ttyUSB0,\n"
           "/dev/serial/by-id/..., /dev/pts/5) or a network port (rfc2217://HOST:PORT,\n"
           "tcp://HOST:PORT), which becomes a port for this run and is selected.\n"
           "\n"
           "  -b, --baud=N            baud rate (default 9600)\n"
           "      --data=5|6|7|8      data bits (default 8)\n"
           "      --parity=N|O|E|M|S  none, odd, even, mark or space parity (default N)\n"
           "      --stop=1|2          stop bits (default 1)\n"
           "      --flow=none|rtscts|xonxoff\n"
           "                          flow control (default none)\n"
           "      --open              open the port at start\n"
           "      --language=zh|en    the interface in Chinese or English for this run\n"
           "                          (default: as chosen in the settings, Chinese at first)\n"
           "      --script=FILE       run the Lua script FILE against PORT without a window;\n"
           "                          received bytes go to standard output, ARGs to 'arg'\n"
           "      --quiet             with --script: only the script's print on standard output\n"
           "  -h, --help              show this help and exit\n"
           "      --version           show the version and exit\n"
           "\n"
           "Qt's own options, such as -platform offscreen, are passed on to Qt.\n"
           "Exit status: 0, or 2 for a command line that cannot be run. With --script: the\n"
           "script's (0 at its end or exit(0); 1 for exit(1) or an error), 2 for a bad\n"
           "command line, 3 for a port that cannot be opened.\n";
}

std::string CommandLineVersion() { return std::string("kivern ") + KIVERN_VERSION + "\n"; }
