// The command line: kivern [PORT] [-b|--baud N] [--data 5-8] [--parity N|O|E|M|S] [--stop 1|2]
// [--flow none|rtscts|xonxoff] [--open] [--help] [--version], plus Qt's own options, which go
// on to the framework. Parsing reads nothing but the arguments, so it runs before any window.
#pragma once
#include <string>
#include <vector>

// Exit status of a command line that cannot be run.
#define KV_EXIT_USAGE 2

// What the main window does at start; an empty or zero member keeps the window's default.
struct CKivernStartup {
    std::string port;    // "COMn", or a device path to add as a port
    std::string baud;    // decimal rate
    int dataBits = 0;    // 5..8
    std::string parity;  // as the parity list shows it: "None", "Odd", "Even", "Mark", "Space"
    int stopBits = 0;    // 1 or 2
    std::string flow;    // as the flow list shows it: "None", "RTS/CTS", "XON/XOFF"
    bool open = false;   // open the port as the open button does
};

enum KvCommand { KV_CMD_RUN, KV_CMD_HELP, KV_CMD_VERSION, KV_CMD_ERROR };

struct CKivernCommandLine {
    KvCommand action = KV_CMD_RUN;
    CKivernStartup startup;
    std::vector<std::string> toolkitArgs;  // the program name and Qt's options, in order
    std::string error;                     // why the line cannot be run (KV_CMD_ERROR)
};

CKivernCommandLine ParseCommandLine(int argc, const char* const* argv);
// Whether a port of the command line is a device path or a network URL rather than COMn.
inline bool IsPortPath(const std::string& port) { return port.find('/') != std::string::npos; }
// The text --help prints, and the line --version prints.
std::string CommandLineHelp();
std::string CommandLineVersion();
