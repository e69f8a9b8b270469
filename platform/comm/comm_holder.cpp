// Who holds a device, and which group owns it.
#include "platform/comm/comm_holder.h"

#include <dirent.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "platform/text/gbk.h"

namespace {

// The same file: for devices the same device number, whatever node it was opened through.
bool SameFile(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode) || S_ISCHR(b.st_mode))
        return S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode) && a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The decimal number a name is made of; 0 for any other name.
DWORD ProcessIdOf(const char* name) {
    DWORD pid = 0;
    for (const char* p = name; *p; ++p) {
        if (*p < '0' || *p > '9' || pid > 0x7FFFFFF) return 0;
        pid = pid * 10 + (DWORD)(*p - '0');
    }
    return pid;
}

bool HasFileOpen(const std::string& fdDir, const struct stat& target) {
    DIR* d = opendir(fdDir.c_str());
    if (!d) return false;
    bool found = false;
    while (struct dirent* e = readdir(d)) {
        struct stat st;
        if (e->d_name[0] == '.' || stat((fdDir + "/" + e->d_name).c_str(), &st) != 0) continue;
        if (SameFile(st, target)) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

}  // namespace

std::vector<COMMHOLDER> FindCommHolders(const std::string& devicePath,
                                        const std::string& procRoot) {
    std::vector<COMMHOLDER> holders;
    struct stat target;
    if (stat(devicePath.c_str(), &target) != 0) return holders;
    DIR* d = opendir(procRoot.c_str());
    if (!d) return holders;
    std::vector<DWORD> pids;
    while (struct dirent* e = readdir(d))
        if (DWORD pid = ProcessIdOf(e->d_name)) pids.push_back(pid);
    closedir(d);
    std::sort(pids.begin(), pids.end());
    for (DWORD pid : pids) {
        const std::string dir = procRoot + "/" + std::to_string(pid);
        if (!HasFileOpen(dir + "/fd", target)) continue;
        std::string name;
        std::ifstream comm(dir + "/comm");
        std::getline(comm, name);
        holders.push_back({pid, Utf8ToGbk(name)});
    }
    return holders;
}

BOOL GetCommDeviceOwner(const std::string& devicePath, CString& strRealPath, CString& strGroup) {
    struct stat st;
    if (stat(devicePath.c_str(), &st) != 0) return FALSE;
    char* real = realpath(devicePath.c_str(), nullptr);
    strRealPath = Utf8ToGbk(real ? std::string(real) : devicePath);
    free(real);
    strGroup = "";
    struct group gr;
    struct group* found = nullptr;
    char buf[4096];
    if (getgrgid_r(st.st_gid, &gr, buf, sizeof buf, &found) == 0 && found)
        strGroup = Utf8ToGbk(std::string(found->gr_name));
    return TRUE;
}
