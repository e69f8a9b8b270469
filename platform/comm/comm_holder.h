// Beyond the framework: what keeps a device from being opened, for the message that says why.
// FindCommHolders lists the processes that have the device open, read from the links in
// <procRoot>/<pid>/fd and the names in <procRoot>/<pid>/comm, in ascending process id;
// procRoot is "/proc" (tests pass a tree of their own). A process whose descriptors cannot be
// read (another user's) is left out. GetCommDeviceOwner tells the device's real path (links
// followed) and the name of the group that owns it. Paths in are UTF-8 (as DescribeListedPort
// gives them); names and paths out are GBK, as the application holds text.
#pragma once
#include <string>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"

struct COMMHOLDER {
    DWORD dwProcessId;
    CString strName;  // the program's name as the kernel keeps it (at most 15 bytes)
};

std::vector<COMMHOLDER> FindCommHolders(const std::string& devicePathUtf8,
                                        const std::string& procRootUtf8 = "/proc");
// FALSE when the device cannot be looked at; the group is empty when its id has no name.
BOOL GetCommDeviceOwner(const std::string& devicePathUtf8, CString& strRealPath, CString& strGroup);
