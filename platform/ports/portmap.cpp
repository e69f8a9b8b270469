// Port map: sysfs and ports-folder scan, identities, and the remembered numbers.
#include "platform/ports/portmap.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/core/hook.h"
#include "platform/ports/neturl.h"
#include "platform/ports/ports_hooks.h"

namespace {
constexpr unsigned kMaxPort = 255;
// The port map's own folder under the runtime and state folders. It is the map's, not the
// application's: kivern-vdev registers its ports there, and the remembered numbers stay in it.
constexpr char kMapFolder[] = "/kivern";
std::mutex g_scanMutex;  // one scan at a time
Hook<void()> g_scanHook;

std::string Env(const char* name) {
    const char* v = getenv(name);
    return v && *v ? v : "";
}
std::string Home() {
    std::string h = Env("HOME");
    return h.empty() ? "/tmp" : h;
}

std::string ReadAttr(const std::string& path) {
    std::ifstream f(path);
    std::string s;
    if (!f || !std::getline(f, s)) return "";
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}
bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}
std::string RealPath(const std::string& path) {
    char buf[PATH_MAX];
    return realpath(path.c_str(), buf) ? buf : "";
}
// The target of a symbolic link, or "" when path is none.
std::string LinkTarget(const std::string& path) {
    char buf[PATH_MAX];
    ssize_t len = readlink(path.c_str(), buf, sizeof buf - 1);
    return len < 0 ? "" : std::string(buf, (size_t)len);
}

std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
std::string Parent(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}
std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}
// "ttyS3" -> 3 with prefix "ttyS"; -1 otherwise.
long NumberAfter(const std::string& name, const char* prefix) {
    size_t n = strlen(prefix);
    if (name.compare(0, n, prefix) != 0 || name.size() == n || name.size() > n + 5) return -1;
    if (name[n] == '0' && name.size() > n + 1) return -1;
    for (size_t i = n; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return -1;
    return strtol(name.c_str() + n, nullptr, 10);
}

struct Candidate {
    PortInfo info;
    long ttySIndex = -1;
};

// Describes one /sys/class/tty entry; false if it is no serial port.
bool ReadTty(const std::string& root, const std::string& name, Candidate& c) {
    const std::string entry = root + "/class/tty/" + name;
    if (!Exists(entry + "/device")) return false;
    if (ReadAttr(entry + "/type") == "0") return false;  // legacy port without a UART
    const std::string devPath = RealPath(entry + "/device");
    if (devPath.empty()) return false;
    const std::string devicesRoot = RealPath(root) + "/devices";
    auto rel = [&](const std::string& p) {
        return p.compare(0, devicesRoot.size(), devicesRoot) == 0 ? p.substr(devicesRoot.size())
                                                                  : p;
    };

    // The hardware node sits above the serial core's own "serial-base" devices.
    std::string hw = devPath;
    while (BaseName(RealPath(hw + "/subsystem")) == "serial-base" && hw.size() > devicesRoot.size())
        hw = Parent(hw);
    std::string driver = BaseName(RealPath(hw + "/driver"));

    std::string usbIf, usbDev;
    std::string p = devPath;
    for (int up = 0; up < 8 && p.size() > devicesRoot.size(); ++up, p = Parent(p)) {
        if (usbIf.empty() && Exists(p + "/bInterfaceNumber")) usbIf = p;
        if (Exists(p + "/idVendor")) {
            usbDev = p;
            break;
        }
    }

    PortInfo& info = c.info;
    info.devNode = "/dev/" + name;
    if (!usbDev.empty()) {
        std::string portNo = ReadAttr(devPath + "/port_number");
        std::string suffix = portNo.empty() || portNo == "0" ? "" : ":port" + portNo;
        std::string serial = ReadAttr(usbDev + "/serial");
        std::string ifNo = usbIf.empty() ? "" : ReadAttr(usbIf + "/bInterfaceNumber");
        if (!serial.empty())
            info.identity = "usb:" + ReadAttr(usbDev + "/idVendor") + ":" +
                            ReadAttr(usbDev + "/idProduct") + ":" + serial + ":if" + ifNo + suffix;
        else
            info.identity = "usbpath:" + rel(usbIf.empty() ? usbDev : usbIf) + suffix;
        info.description = ReadAttr(usbDev + "/product");
    } else {
        info.identity = "dev:" + rel(devPath) + "/" + name;
    }
    if (info.description.empty()) info.description = driver;
    if (info.description.empty()) info.description = "serial port";
    c.ttySIndex = NumberAfter(name, "ttyS");
    return true;
}

std::map<std::string, unsigned> LoadRemembered(const std::string& file) {
    std::map<std::string, unsigned> m;
    std::ifstream f(file);
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream in(line);
        unsigned n;
        std::string id;
        if (in >> n && std::getline(in >> std::ws, id) && n >= 1 && n <= kMaxPort && !id.empty())
            m[id] = n;
    }
    return m;
}

void MakeDirs(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
}

void SaveRemembered(const std::string& file, const std::map<std::string, unsigned>& m) {
    MakeDirs(Parent(file));
    std::string tmp = file + ".tmp";
    {
        std::ofstream f(tmp, std::ios::trunc);
        for (const auto& kv : m) f << kv.second << ' ' << kv.first << '\n';
        if (!f) return;
    }
    rename(tmp.c_str(), file.c_str());
}
}  // namespace

std::string PortMapSysfsRoot() {
    std::string r = Env("KIVERN_SYSFS_ROOT");
    return r.empty() ? "/sys" : r;
}

std::string PortMapPortsDir() {
    std::string d = Env("KIVERN_PORTS_DIR");
    if (!d.empty()) return d;
    std::string run = Env("XDG_RUNTIME_DIR");
    if (!run.empty()) return run + kMapFolder + "/ports";
    return Home() + "/.local/state" + kMapFolder + "/ports";
}

std::string PortMapStateFile() {
    std::string s = Env("XDG_STATE_HOME");
    if (s.empty()) s = Home() + "/.local/state";
    return s + kMapFolder + "/comports";
}

namespace {
// The links comN in the ports folder that lead somewhere, as ports numbered N.
void AddVirtualPorts(std::vector<PortInfo>& result, std::set<unsigned>& taken) {
    const std::string portsDir = PortMapPortsDir();
    for (const std::string& name : ListDir(portsDir)) {
        long n = NumberAfter(name, "com");
        if (n < 1 || n > (long)kMaxPort) continue;
        std::string path = portsDir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) continue;
        // A link to a network port URL leads nowhere in the file system; the URL is opened.
        const std::string url = LinkTarget(path);
        const bool network = NetPortKindOf(url) != NET_PORT_NONE;
        if (!network && !Exists(path)) continue;
        PortInfo info;
        info.number = (unsigned)n;
        info.devNode = network ? url : path;
        info.description = network ? url : "virtual port (" + RealPath(path) + ")";
        info.identity = "virtual:" + name;
        info.isVirtual = true;
        taken.insert(info.number);
        result.push_back(info);
    }
}
}  // namespace

std::vector<PortInfo> ScanPorts() {
    std::lock_guard<std::mutex> lock(g_scanMutex);
    if (auto hook = g_scanHook.Get()) hook();
    std::vector<PortInfo> result;
    std::set<unsigned> taken;

    // Virtual ports first: their link names fix their numbers.
    AddVirtualPorts(result, taken);

    const std::string root = PortMapSysfsRoot();
    std::vector<Candidate> others;
    for (const std::string& name : ListDir(root + "/class/tty")) {
        Candidate c;
        if (!ReadTty(root, name, c)) continue;
        unsigned n = c.ttySIndex >= 0 ? (unsigned)c.ttySIndex + 1 : 0;
        if (n >= 1 && n <= kMaxPort && !taken.count(n)) {
            c.info.number = n;
            taken.insert(n);
            result.push_back(c.info);
        } else {
            others.push_back(c);
        }
    }

    const std::string stateFile = PortMapStateFile();
    std::map<std::string, unsigned> remembered = LoadRemembered(stateFile);
    std::set<unsigned> reserved;
    for (const auto& kv : remembered) reserved.insert(kv.second);
    bool changed = false;
    for (Candidate& c : others) {
        auto it = remembered.find(c.info.identity);
        unsigned n = 0;
        if (it != remembered.end() && !taken.count(it->second)) {
            n = it->second;
        } else {
            // Lowest number nobody holds; numbers of absent devices only when none is left.
            for (unsigned k = 1; k <= kMaxPort && !n; ++k)
                if (!taken.count(k) && !reserved.count(k)) n = k;
            for (unsigned k = 1; k <= kMaxPort && !n; ++k)
                if (!taken.count(k)) n = k;
            if (!n) continue;
            remembered[c.info.identity] = n;
            reserved.insert(n);
            changed = true;
        }
        c.info.number = n;
        taken.insert(n);
        result.push_back(c.info);
    }
    if (changed) SaveRemembered(stateFile, remembered);

    std::sort(result.begin(), result.end(),
              [](const PortInfo& a, const PortInfo& b) { return a.number < b.number; });
    return result;
}

bool ResolvePortNumber(unsigned n, std::string& devNode) {
    for (const PortInfo& p : ScanPorts()) {
        if (p.number == n) {
            devNode = p.devNode;
            return true;
        }
    }
    return false;
}

const PortInfo* FindPortIn(const std::vector<PortInfo>& ports, const char* comName) {
    long n = comName ? NumberAfter(comName, "COM") : -1;
    if (n < 1) return nullptr;
    for (const PortInfo& p : ports)
        if (p.number == (unsigned)n) return &p;
    return nullptr;
}

bool DescribePortIn(const std::vector<PortInfo>& ports, const char* comName,
                    std::string& deviceNodeUtf8, std::string& descriptionUtf8) {
    const PortInfo* p = FindPortIn(ports, comName);
    if (!p) return false;
    deviceNodeUtf8 = p->devNode;
    descriptionUtf8 = p->description;
    return true;
}

bool DescribePort(const char* comName, std::string& deviceNodeUtf8, std::string& descriptionUtf8) {
    if (!comName || NumberAfter(comName, "COM") < 1) return false;  // no scan for other names
    return DescribePortIn(ScanPorts(), comName, deviceNodeUtf8, descriptionUtf8);
}

void SetPortScanHook(std::function<void()> hook) { g_scanHook.Install(std::move(hook)); }
