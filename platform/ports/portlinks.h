// Ports added by path: links comN in the ports folder (PortMapPortsDir()) that lead to a
// device the user named (/dev/ttyUSB0, a /dev/serial/by-id link, a pseudo-terminal). The port
// map lists them as virtual ports, so the device appears as COMn.
//
// A run link lasts for one run of the program (a port named on the command line): beside comN
// a mark .comN.owner names the process that made it (its id and start time). The process
// removes it at its end; RemoveStaleRunPortLinks removes those of processes that ended without
// doing so (a crash, a kill).
#pragma once
#include <string>
#include <vector>

// Whether path leads to a terminal device: a character device of the tty class (read from
// sysfs, without opening it, which would toggle the modem lines) or a pseudo-terminal.
bool IsTerminalDevice(const std::string& path);
// The lowest number 1..255 that no present port uses and reserved does not hold; 0 if none.
unsigned FreePortNumber(const std::vector<unsigned>& reserved);
// Makes comN a link to path, creating the folder. A comN that is a link to nothing or to path
// already is replaced; false if comN is anything else, or on failure.
bool CreatePortLink(unsigned n, const std::string& path);
// Removes comN if it is a link to path; true if there is no such link now.
bool RemovePortLink(unsigned n, const std::string& path);
// Makes comN a run link to path; false if comN exists (a dangling link excepted) or on failure.
bool CreateRunPortLink(unsigned n, const std::string& path);
// Removes this process's run link comN to path, and its mark.
void RemoveRunPortLink(unsigned n, const std::string& path);
// This process's run link comN becomes a lasting link: its mark goes.
void KeepRunPortLink(unsigned n);
// Removes the run links (and marks) whose process has ended.
void RemoveStaleRunPortLinks();
