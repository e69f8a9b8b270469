// The port map on a fake sysfs tree and ports folder: numbers, filters, remembered numbers,
// the serial device map key, and notifications when ports come and go.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/app/app_hooks.h"
#include "platform/app/devnotify.h"
#include "platform/ports/portmap.h"
#include "platform/ports/registry.h"
#include "support/pty.h"

namespace {
void MakeDirs(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0755);
}
void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text << "\n";
}

// Builds /sys-like entries under a sandbox's sysfs root.
class FakeSysfs {
public:
    explicit FakeSysfs(const std::string& root) : m_root(root) {}
    // A tty whose device is devices/<devRel>; type < 0 writes no type attribute.
    void AddTty(const std::string& name, const std::string& devRel, int type = -1) {
        std::string entry = m_root + "/class/tty/" + name;
        MakeDirs(entry);
        MakeDirs(m_root + "/devices/" + devRel);
        symlink((m_root + "/devices/" + devRel).c_str(), (entry + "/device").c_str());
        if (type >= 0) WriteFile(entry + "/type", std::to_string(type));
    }
    void AddConsole(const std::string& name) { MakeDirs(m_root + "/class/tty/" + name); }
    // A USB device at devices/<usbRel> with one interface :1.0 holding the tty's device.
    void AddUsbTty(const std::string& name, const std::string& usbRel, const std::string& vid,
                   const std::string& pid, const std::string& serial, const std::string& product) {
        std::string usb = m_root + "/devices/" + usbRel;
        std::string intf = usbRel + "/" + BaseName(usbRel) + ":1.0";
        MakeDirs(m_root + "/devices/" + intf);
        WriteFile(usb + "/idVendor", vid);
        WriteFile(usb + "/idProduct", pid);
        if (!serial.empty()) WriteFile(usb + "/serial", serial);
        WriteFile(usb + "/product", product);
        WriteFile(m_root + "/devices/" + intf + "/bInterfaceNumber", "00");
        AddTty(name, intf + "/" + name);
    }
    void Remove(const std::string& name) {
        std::string entry = m_root + "/class/tty/" + name;
        unlink((entry + "/device").c_str());
        unlink((entry + "/type").c_str());
        rmdir(entry.c_str());
    }

private:
    static std::string BaseName(const std::string& p) { return p.substr(p.rfind('/') + 1); }
    std::string m_root;
};

std::vector<std::string> Names(const std::vector<PortInfo>& ports) {
    std::vector<std::string> v;
    for (const PortInfo& p : ports) v.push_back("COM" + std::to_string(p.number) + "=" + p.devNode);
    return v;
}

class PortMapTest : public ::testing::Test {
protected:
    kvtest::PortMapSandbox sandbox;
    FakeSysfs sys{sandbox.sys()};
    void SetUpMachine() {
        sys.AddTty("ttyS0", "pnp0/00:00/00:00:0/00:00:0.0", 4);
        sys.AddTty("ttyS1", "platform/serial8250/serial8250:0.1", 0);  // no UART behind it
        sys.AddTty("ttyS2", "platform/serial8250/serial8250:0.2", 4);
        sys.AddConsole("tty0");
        sys.AddConsole("ptmx");
        sys.AddUsbTty("ttyUSB0", "pci0000:00/usb1/1-1", "0403", "6001", "A12345",
                      "FT232R USB UART");
        sys.AddUsbTty("ttyACM0", "pci0000:00/usb1/1-2", "2341", "0043", "", "Arduino Uno");
    }
};
}  // namespace

TEST_F(PortMapTest, NumbersFiltersAndVirtualPorts) {
    SetUpMachine();
    symlink("/dev/null", (sandbox.ports() + "/com20").c_str());
    symlink("/nonexistent/pts/9", (sandbox.ports() + "/com21").c_str());  // dangling
    symlink("/dev/null", (sandbox.ports() + "/com0").c_str());
    symlink("/dev/null", (sandbox.ports() + "/com256").c_str());
    symlink("/dev/null", (sandbox.ports() + "/comx").c_str());
    WriteFile(sandbox.ports() + "/com22", "not a link");

    std::vector<std::string> want = {"COM1=/dev/ttyS0", "COM2=/dev/ttyACM0", "COM3=/dev/ttyS2",
                                     "COM4=/dev/ttyUSB0", "COM20=" + sandbox.ports() + "/com20"};
    EXPECT_EQ(want, Names(ScanPorts()));

    std::string node, desc;
    ASSERT_TRUE(DescribePort("COM4", node, desc));
    EXPECT_EQ("/dev/ttyUSB0", node);
    EXPECT_EQ("FT232R USB UART", desc);
    EXPECT_FALSE(DescribePort("COM9", node, desc));
}

TEST_F(PortMapTest, TheSameDeviceKeepsItsNumber) {
    SetUpMachine();
    ScanPorts();
    // Unplugged: the number stays reserved for it; a new adapter gets the next free one.
    sys.Remove("ttyACM0");
    sys.Remove("ttyUSB0");
    sys.AddUsbTty("ttyUSB0", "pci0000:00/usb1/1-3", "1a86", "7523", "", "USB Serial");
    std::vector<std::string> want = {"COM1=/dev/ttyS0", "COM3=/dev/ttyS2", "COM5=/dev/ttyUSB0"};
    EXPECT_EQ(want, Names(ScanPorts()));

    // Both come back under other names and in other order; the map is read afresh as after
    // a restart of the terminal.
    sys.AddUsbTty("ttyUSB1", "pci0000:00/usb1/1-4", "0403", "6001", "A12345", "FT232R USB UART");
    sys.AddUsbTty("ttyACM3", "pci0000:00/usb1/1-2", "2341", "0043", "", "Arduino Uno");
    want = {"COM1=/dev/ttyS0", "COM2=/dev/ttyACM3", "COM3=/dev/ttyS2", "COM4=/dev/ttyUSB1",
            "COM5=/dev/ttyUSB0"};
    EXPECT_EQ(want, Names(ScanPorts()));
    EXPECT_EQ(want, Names(ScanPorts()));
}

TEST_F(PortMapTest, TheSerialDeviceMapKeyListsComNamesInOrder) {
    SetUpMachine();
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0,
                                           KEY_READ, &hKey));
    std::vector<std::string> values;
    for (DWORD i = 0;; ++i) {
        char name[256], data[256];
        DWORD nameLen = sizeof name, dataLen = sizeof data, type = 0;
        LONG r = RegEnumValueA(hKey, i, name, &nameLen, NULL, &type, (BYTE*)data, &dataLen);
        if (r == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(ERROR_SUCCESS, r);
        EXPECT_EQ((DWORD)REG_SZ, type);
        EXPECT_EQ(strlen(data) + 1, dataLen);
        values.push_back(data);
    }
    EXPECT_EQ((std::vector<std::string>{"COM1", "COM2", "COM3", "COM4"}), values);
    char tiny[3];
    char name[256];
    DWORD nameLen = sizeof name, tinyLen = sizeof tiny;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueA(hKey, 0, name, &nameLen, NULL, NULL, (BYTE*)tiny, &tinyLen));
    EXPECT_EQ(5u, tinyLen);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(hKey));
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Other", 0, KEY_READ, &hKey));
}

TEST_F(PortMapTest, NotifiesOncePerBurstOfLinkChanges) {
    std::mutex mutex;
    std::vector<WPARAM> seen;
    SetDeviceChangeHook([&](WPARAM type) {
        std::lock_guard<std::mutex> lock(mutex);
        seen.push_back(type);
    });
    auto waitFor = [&](size_t n) {
        for (int i = 0; i < 300; ++i) {
            {
                std::lock_guard<std::mutex> lock(mutex);
                if (seen.size() >= n) break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Let a stray second notice show up if there is one.
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        std::lock_guard<std::mutex> lock(mutex);
        return seen;
    };
    StartDeviceNotifications();
    {
        kvtest::FakeDevice a(sandbox.ports(), 30), b(sandbox.ports(), 31), c(sandbox.ports(), 32);
        ASSERT_TRUE(a.ok() && b.ok() && c.ok());
        EXPECT_EQ(std::vector<WPARAM>{DBT_DEVICEARRIVAL}, waitFor(1));
    }
    EXPECT_EQ((std::vector<WPARAM>{DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}), waitFor(2));
    // A link whose target is gone counts as removed too.
    symlink("/dev/null", (sandbox.ports() + "/com40").c_str());
    EXPECT_EQ(3u, waitFor(3).size());
    unlink((sandbox.ports() + "/com40").c_str());
    auto all = waitFor(4);
    StopDeviceNotifications();
    SetDeviceChangeHook(nullptr);
    ASSERT_EQ(4u, all.size());
    EXPECT_EQ((WPARAM)DBT_DEVICEREMOVECOMPLETE, all[3]);
}
