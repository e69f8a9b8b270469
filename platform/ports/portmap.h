// The port map: which serial devices the machine has, each under a stable number n (COMn).
//
// Sources, read without opening any port:
//  - every tty in <sysfs>/class/tty with a "device" link, except legacy ports whose "type"
//    attribute is 0 (no UART behind them); <sysfs> is $KIVERN_SYSFS_ROOT, default /sys;
//  - virtual ports: symbolic links named comN (N = 1..255) in the ports folder,
//    $KIVERN_PORTS_DIR, default $XDG_RUNTIME_DIR/kivern/ports, or ~/.local/state/kivern/ports
//    without XDG_RUNTIME_DIR. Dangling links are left out, except links whose target is a
//    network port URL (neturl.h): their device node and description are the URL.
// Numbers: a virtual port has the number of its link; ttyS<k> is COM<k+1>; any other device
// gets the number remembered for its identity (USB vendor:product:serial:interface, else its
// USB path, else its device path), or the lowest free number the first time, remembered in
// $XDG_STATE_HOME/kivern/comports (default ~/.local/state/kivern/comports).
#pragma once
#include <string>
#include <vector>

struct PortInfo {
    unsigned number = 0;      // n of COMn
    std::string devNode;      // what opening the port opens (/dev/ttyUSB0, a link, a URL)
    std::string description;  // USB product or driver, UTF-8
    std::string identity;     // what the number is remembered by
    bool isVirtual = false;
};

// The ports present now, in ascending number order. Remembers numbers of new devices.
std::vector<PortInfo> ScanPorts();
// The device node of COMn, if present.
bool ResolvePortNumber(unsigned n, std::string& devNode);
// Device node and description of a port named "COMn", for the port list's display.
bool DescribePort(const char* comName, std::string& deviceNodeUtf8, std::string& descriptionUtf8);
// The port named "COMn" in a scan already made; nullptr when it is not there.
const PortInfo* FindPortIn(const std::vector<PortInfo>& ports, const char* comName);
// The same, from a scan already made.
bool DescribePortIn(const std::vector<PortInfo>& ports, const char* comName,
                    std::string& deviceNodeUtf8, std::string& descriptionUtf8);

// Folders in use (after the environment variables).
std::string PortMapSysfsRoot();
std::string PortMapPortsDir();
std::string PortMapStateFile();
