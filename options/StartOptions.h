// What the main window does at start, as the command line asks it: the port and the line
// settings to choose, and whether to open the port once the window is up.
#pragma once
#include <string>

// An empty or zero member keeps the window's default.
struct CKivernStartup {
    std::string port;    // "COMn", or a device path to add as a port
    std::string baud;    // decimal rate
    int dataBits = 0;    // 5..8
    std::string parity;  // as the parity list shows it: "None", "Odd", "Even", "Mark", "Space"
    int stopBits = 0;    // 1 or 2
    std::string flow;    // as the flow list shows it: "None", "RTS/CTS", "XON/XOFF"
    bool open = false;   // open the port as the open button does
};

// Whether a port of the command line is a device path or a network URL rather than COMn.
inline bool IsPortPath(const std::string& port) { return port.find('/') != std::string::npos; }
