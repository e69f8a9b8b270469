// Links of ports added by path, in the ports folder.
#include "platform/ports/portlinks.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/ports/neturl.h"
#include "platform/ports/portmap.h"

namespace {
constexpr unsigned kMaxPort = 255;
// Pseudo-terminal slaves have no sysfs entry; their majors are fixed.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

std::string LinkPath(unsigned n) { return PortMapPortsDir() + "/com" + std::to_string(n); }

// The target of a symbolic link, or "" when path is none.
std::string LinkTarget(const std::string& path) {
    char buf[PATH_MAX];
    ssize_t len = readlink(path.c_str(), buf, sizeof buf - 1);
    if (len < 0) return "";
    return std::string(buf, (size_t)len);
}

std::string MarkPath(unsigned n) {
    return PortMapPortsDir() + "/.com" + std::to_string(n) + ".owner";
}

// A process as "pid start-time" (the start time tells a reused id apart); "" if not running.
std::string ProcessStamp(const std::string& pid) {
    std::ifstream in("/proc/" + pid + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) return "";
    size_t close = stat.rfind(')');  // the name in parentheses may hold spaces
    if (close == std::string::npos) return "";
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return fields ? (pid == "self" ? std::to_string(getpid()) : pid) + " " + field : "";
}

void MakeDirs(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
}
}  // namespace

bool IsTerminalDevice(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    unsigned maj = major(st.st_rdev), min = minor(st.st_rdev);
    if (maj >= kPtySlaveMajorFirst && maj <= kPtySlaveMajorLast) return true;
    // /dev/tty, /dev/console and /dev/ptmx are tty-class devices but no port.
    if (maj == 5 && min <= 2) return false;
    std::string sys = PortMapSysfsRoot() + "/dev/char/" + std::to_string(maj) + ":" +
                      std::to_string(min) + "/subsystem";
    std::string subsystem = LinkTarget(sys);
    size_t slash = subsystem.rfind('/');
    return subsystem.substr(slash == std::string::npos ? 0 : slash + 1) == "tty";
}

unsigned FreePortNumber(const std::vector<unsigned>& reserved) {
    std::vector<unsigned> taken = reserved;
    for (const PortInfo& p : ScanPorts()) taken.push_back(p.number);
    for (unsigned n = 1; n <= kMaxPort; ++n)
        if (std::find(taken.begin(), taken.end(), n) == taken.end()) return n;
    return 0;
}

bool CreatePortLink(unsigned n, const std::string& path) {
    if (n < 1 || n > kMaxPort || path.empty()) return false;
    const std::string link = LinkPath(n);
    MakeDirs(PortMapPortsDir());
    struct stat st;
    if (lstat(link.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) return false;
        if (LinkTarget(link) == path) return true;
        if (stat(link.c_str(), &st) == 0) return false;  // a live port of someone else
        if (unlink(link.c_str()) != 0) return false;
    }
    return symlink(path.c_str(), link.c_str()) == 0;
}

bool RemovePortLink(unsigned n, const std::string& path) {
    if (n < 1 || n > kMaxPort) return true;
    const std::string link = LinkPath(n);
    if (LinkTarget(link) != path) return true;
    return unlink(link.c_str()) == 0 || errno == ENOENT;
}

bool CreateRunPortLink(unsigned n, const std::string& path) {
    if (n < 1 || n > kMaxPort || path.empty()) return false;
    const std::string link = LinkPath(n);
    MakeDirs(PortMapPortsDir());
    struct stat st;
    if (lstat(link.c_str(), &st) == 0) {
        // Only a link to nothing gives way; two runs never share one link.
        if (!S_ISLNK(st.st_mode) || NetPortKindOf(LinkTarget(link)) != NET_PORT_NONE ||
            stat(link.c_str(), &st) == 0 || unlink(link.c_str()) != 0)
            return false;
    }
    if (symlink(path.c_str(), link.c_str()) != 0) return false;
    int fd = open(MarkPath(n).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
        const std::string mark = ProcessStamp("self") + "\n" + path + "\n";
        ssize_t written = write(fd, mark.data(), mark.size());
        close(fd);
        if (written == (ssize_t)mark.size()) return true;
    }
    unlink(link.c_str());  // a link without its mark would outlive a crash
    unlink(MarkPath(n).c_str());
    return false;
}

void RemoveRunPortLink(unsigned n, const std::string& path) {
    RemovePortLink(n, path);
    unlink(MarkPath(n).c_str());
}

void KeepRunPortLink(unsigned n) { unlink(MarkPath(n).c_str()); }

void RemoveStaleRunPortLinks() {
    const std::string dir = PortMapPortsDir();
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    std::vector<unsigned> marks;
    while (dirent* e = readdir(d)) {
        unsigned n = 0;
        char tail[8] = "";
        if (sscanf(e->d_name, ".com%u.%7s", &n, tail) == 2 && std::string(tail) == "owner")
            marks.push_back(n);
    }
    closedir(d);
    for (unsigned n : marks) {
        std::ifstream in(MarkPath(n));
        std::string owner, path;
        std::getline(in, owner);
        std::getline(in, path);
        const std::string pid = owner.substr(0, owner.find(' '));
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ProcessStamp(pid) == owner) continue;  // still running
        if (!path.empty()) RemovePortLink(n, path);
        unlink(MarkPath(n).c_str());
    }
}
